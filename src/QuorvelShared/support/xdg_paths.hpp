#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

namespace quorvel::paths {

// $XDG_DATA_HOME when it is an absolute path, else ~/.local/share.
std::filesystem::path dataHome();
// The data folders in the order the desktop searches them: the data home, then each absolute
// folder of $XDG_DATA_DIRS (/usr/local/share and /usr/share when it is unset or empty). Taken
// from the variables at every call.
std::vector<std::filesystem::path> dataFolders();
// $HOME when it is an absolute path, else the user's home folder of the password database.
std::filesystem::path home();
// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config.
std::filesystem::path configHome();

// The folder through which the programs share their state: "Quorvel" in the data home. It is made
// (mode 0700) on every call, so a folder removed between two operations comes back, and an
// existing one that lets others in is tightened to 0700. A folder owned by another user throws
// std::filesystem::filesystem_error naming it, so that no store reads or writes there (see
// files::keepFolderPrivate). A failure to make the folder is not reported here; the store's own
// file operation then fails on its own terms.
std::filesystem::path sharedStateFolder();

// A file in the shared state folder; throws as sharedStateFolder does.
std::filesystem::path sharedStateFile(std::string_view name);

}  // namespace quorvel::paths
