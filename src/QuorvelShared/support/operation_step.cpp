#include "QuorvelShared/support/operation_step.hpp"

namespace quorvel {

std::string describeFailure(const OperationStep& step, std::string_view error) {
    std::string text = step.what;
    if (!step.file.empty())
        text += " (" + step.file.string() + ")";
    text += ": ";
    text += error;
    return text;
}

}  // namespace quorvel
