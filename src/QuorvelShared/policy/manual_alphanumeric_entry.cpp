#include "QuorvelShared/policy/manual_alphanumeric_entry.hpp"

#include "QuorvelShared/policy/user_perceived_characters.hpp"

namespace quorvel {

bool ManualAlphanumericEntry::allowsReplacement(std::string_view text) {
    if (userPerceivedCharacters(text).size() > 1) {
        return false;
    }
    if (text.empty()) {
        return true;
    }
    // Every allowed character is ASCII, so the first scalar is allowed only as the first byte.
    return allowedCharacters.find(text.front()) != std::string_view::npos;
}

}  // namespace quorvel
