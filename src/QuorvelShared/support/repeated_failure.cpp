#include "QuorvelShared/support/repeated_failure.hpp"

namespace quorvel {

bool RepeatedFailure::isNew(std::string_view text) {
    std::lock_guard lock(mutex_);
    if (reported_ == text)
        return false;
    reported_ = std::string(text);
    return true;
}

void RepeatedFailure::ended() {
    std::lock_guard lock(mutex_);
    reported_.reset();
}

}  // namespace quorvel
