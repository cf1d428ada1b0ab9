#include "QuorvelShared/support/xdg_paths.hpp"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "QuorvelShared/support/files.hpp"

namespace quorvel::paths {

std::filesystem::path home() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        return home;
    }
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* result = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 &&
        result != nullptr && result->pw_dir != nullptr) {
        return result->pw_dir;
    }
    return "/";
}

namespace {

std::filesystem::path xdgFolder(const char* variable, const char* fallbackBelowHome) {
    if (const char* value = std::getenv(variable); value != nullptr && value[0] == '/') {
        return value;
    }
    return home() / fallbackBelowHome;
}

}  // namespace

std::filesystem::path dataHome() {
    return xdgFolder("XDG_DATA_HOME", ".local/share");
}

std::vector<std::filesystem::path> dataFolders() {
    std::vector<std::filesystem::path> folders{dataHome()};
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    std::istringstream list(dirs != nullptr && dirs[0] != '\0' ? dirs
                                                               : "/usr/local/share:/usr/share");
    std::string folder;
    while (std::getline(list, folder, ':')) {
        if (!folder.empty() && folder[0] == '/')
            folders.emplace_back(folder);
    }
    return folders;
}

std::filesystem::path configHome() {
    return xdgFolder("XDG_CONFIG_HOME", ".config");
}

std::filesystem::path sharedStateFolder() {
    const std::filesystem::path folder = dataHome() / "Quorvel";
    try {
        files::createDirectories(folder);
    } catch (const std::filesystem::filesystem_error&) {
        // The store's own operation fails on its own terms: no file to read, a write that cannot
        // be made there.
        return folder;
    }
    files::keepFolderPrivate(folder);
    return folder;
}

std::filesystem::path sharedStateFile(std::string_view name) {
    return sharedStateFolder() / name;
}

}  // namespace quorvel::paths
