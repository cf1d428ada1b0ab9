#include "QuorvelShared/support/event_boundary.hpp"

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

void reportEscapedException(LogArea area, std::string_view where,
                            const std::exception_ptr& error) noexcept {
    try {
        logWarning(area, std::string(where) + ": " + describeException(error));
    } catch (...) {
        // No memory left for the line: at least where it happened.
        logWarning(area, where);
    }
}

}  // namespace quorvel
