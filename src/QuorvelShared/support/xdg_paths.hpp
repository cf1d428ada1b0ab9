#pragma once

#include <filesystem>
#include <string_view>

namespace quorvel::paths {

// $XDG_DATA_HOME when it is an absolute path, else ~/.local/share.
std::filesystem::path dataHome();
// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config.
std::filesystem::path configHome();

// The folder through which the programs share their state: "Quorvel" in the data home. It is made
// (mode 0700) on every call, so a folder removed between two operations comes back. A failure to
// make it is not reported here; the store's own file operation then fails on its own terms.
std::filesystem::path sharedStateFolder();

// A file in the shared state folder.
std::filesystem::path sharedStateFile(std::string_view name);

}  // namespace quorvel::paths
