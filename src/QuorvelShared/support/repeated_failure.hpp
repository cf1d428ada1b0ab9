#pragma once

// A failure met by work that runs again and again (a status file read every few seconds, a file
// read for every message a peer sends) is reported once when it begins and again only when its
// text changes, so that standard error tells of each change instead of filling with copies. A
// success ends it: the same failure coming back afterwards is reported afresh.
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

class RepeatedFailure {
public:
    // True when `text` is to be reported: no failure was reported since the last success, or
    // the last one reported had another text.
    [[nodiscard]] bool isNew(std::string_view text);
    // The work succeeded.
    void ended();

private:
    std::mutex mutex_;
    std::optional<std::string> reported_;
};

}  // namespace quorvel
