#include "QuorvelShared/support/event_boundary.hpp"

#include <errno.h>

#include <cstdio>

namespace quorvel {

std::string describeException(const std::exception_ptr& error) noexcept {
    try {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& caught) {
            return caught.what();
        } catch (...) {
            return "an exception that is no std::exception";
        }
    } catch (...) {
        // Copying the text itself failed (no memory left).
        return {};
    }
}

void reportEscapedException(std::string_view where, const std::exception_ptr& error) noexcept {
    const std::string text = describeException(error);
    // One write, so that reports of two threads do not interleave within a line.
    std::fprintf(stderr, "%s: %.*s: %s\n", program_invocation_short_name,
                 static_cast<int>(where.size()), where.data(), text.c_str());
    std::fflush(stderr);
}

}  // namespace quorvel
