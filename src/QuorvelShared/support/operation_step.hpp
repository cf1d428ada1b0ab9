#pragma once

// Where a road of several file and bus operations stands: the step under way and the file it
// reads or writes. A road keeps its current step so that a failure's report names what was being
// done and with which file beside the error itself (a mailbox that does not decode must say which
// file it is).
#include <filesystem>
#include <string>
#include <string_view>

namespace quorvel {

struct OperationStep {
    std::string what;            // "filing the request in the mailbox"
    std::filesystem::path file;  // the file the step reads or writes; empty when none
};

// "<what> (<file>): <error>", or "<what>: <error>" when no file is involved.
std::string describeFailure(const OperationStep& step, std::string_view error);

}  // namespace quorvel
