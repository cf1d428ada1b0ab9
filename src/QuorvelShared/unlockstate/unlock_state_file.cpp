#include "QuorvelShared/unlockstate/unlock_state_file.hpp"

#include <system_error>

#include "QuorvelShared/support/files.hpp"

namespace quorvel::unlockstate {

std::optional<std::string> readForLoad(const std::filesystem::path& path) {
    try {
        return files::readIfPresent(path);
    } catch (const std::system_error&) {
        return std::nullopt;
    }
}

std::optional<std::string> readForChange(const std::filesystem::path& path) {
    return files::readIfPresent(path);
}

}  // namespace quorvel::unlockstate
