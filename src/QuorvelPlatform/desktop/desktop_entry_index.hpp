#pragma once

// All application entries of the XDG data folders, by desktop-entry id. A folder earlier in the
// search order hides an entry of the same id in a later one (also when its entry is Hidden, which
// deletes the application). The index re-reads the folders when one of them changed, so an
// application installed while the program runs is found.
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "QuorvelPlatform/desktop/desktop_entry.hpp"

namespace quorvel::desktop {

// $XDG_DATA_HOME (or ~/.local/share), then $XDG_DATA_DIRS (or /usr/local/share:/usr/share),
// each with "applications" appended.
std::vector<std::filesystem::path> applicationFolders();

// The id of a desktop file found under one of the folders, or no value when it lies in none.
std::optional<std::string> desktopEntryId(const std::filesystem::path& file,
                                          const std::vector<std::filesystem::path>& folders);

class DesktopEntryIndex {
public:
    // Reads the folders of applicationFolders(), taken anew at every refresh.
    DesktopEntryIndex() = default;
    // Reads fixed folders (tests).
    explicit DesktopEntryIndex(std::vector<std::filesystem::path> folders);

    const DesktopEntry* find(const std::string& id);
    // Every application entry, NoDisplay ones included, ordered by id.
    const std::map<std::string, DesktopEntry>& entries();

    // Re-reads the folders when the set of folders or the modification time of one of the
    // scanned folders changed since the last read.
    void refreshIfChanged();

    // The application folders read, in search order.
    std::vector<std::filesystem::path> folders() const;

private:
    void reload(std::vector<std::filesystem::path> folders);
    bool changed(const std::vector<std::filesystem::path>& folders) const;

    std::optional<std::vector<std::filesystem::path>> fixedFolders_;
    std::vector<std::filesystem::path> scannedRoots_;
    std::map<std::filesystem::path, std::filesystem::file_time_type> scannedFolders_;
    std::map<std::string, DesktopEntry> entries_;
    bool loaded_ = false;
};

}  // namespace quorvel::desktop
