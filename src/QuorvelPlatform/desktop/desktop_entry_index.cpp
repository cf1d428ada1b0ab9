#include "QuorvelPlatform/desktop/desktop_entry_index.hpp"

#include <set>

#include "QuorvelShared/support/xdg_paths.hpp"

namespace quorvel::desktop {
namespace fs = std::filesystem;

namespace {

std::optional<fs::file_time_type> modificationTime(const fs::path& folder) {
    std::error_code error;
    const auto time = fs::last_write_time(folder, error);
    if (error)
        return std::nullopt;
    return time;
}

bool hasDesktopSuffix(const fs::path& file) {
    return file.extension() == ".desktop";
}

}  // namespace

std::vector<fs::path> applicationFolders() {
    std::vector<fs::path> folders;
    for (const auto& data : paths::dataFolders())
        folders.push_back(data / "applications");
    return folders;
}

std::optional<std::string> desktopEntryId(const fs::path& file,
                                          const std::vector<fs::path>& folders) {
    if (!hasDesktopSuffix(file))
        return std::nullopt;
    const fs::path normal = file.lexically_normal();
    for (const auto& folder : folders) {
        const fs::path relative = normal.lexically_relative(folder.lexically_normal());
        if (relative.empty() || *relative.begin() == "..")
            continue;
        std::string id = relative.generic_string();
        id.resize(id.size() - std::string_view(".desktop").size());
        for (char& c : id) {
            if (c == '/')
                c = '-';
        }
        return id;
    }
    return std::nullopt;
}

DesktopEntryIndex::DesktopEntryIndex(std::vector<fs::path> folders)
    : fixedFolders_(std::move(folders)) {}

std::vector<fs::path> DesktopEntryIndex::folders() const {
    return fixedFolders_ ? *fixedFolders_ : applicationFolders();
}

const DesktopEntry* DesktopEntryIndex::find(const std::string& id) {
    refreshIfChanged();
    const auto found = entries_.find(id);
    return found == entries_.end() ? nullptr : &found->second;
}

const std::map<std::string, DesktopEntry>& DesktopEntryIndex::entries() {
    refreshIfChanged();
    return entries_;
}

void DesktopEntryIndex::refreshIfChanged() {
    auto current = folders();
    if (!loaded_ || changed(current))
        reload(std::move(current));
}

bool DesktopEntryIndex::changed(const std::vector<fs::path>& folders) const {
    if (folders != scannedRoots_)
        return true;
    for (const auto& root : folders) {
        // A root that did not exist at the last read and exists now is a change too.
        if (!scannedFolders_.contains(root) && modificationTime(root))
            return true;
    }
    for (const auto& [folder, time] : scannedFolders_) {
        if (modificationTime(folder) != time)
            return true;
    }
    return false;
}

void DesktopEntryIndex::reload(std::vector<fs::path> folders) {
    entries_.clear();
    scannedFolders_.clear();
    std::set<std::string> claimed;  // ids decided by an earlier folder, hidden ones included
    for (const auto& root : folders) {
        if (const auto time = modificationTime(root))
            scannedFolders_[root] = *time;
        std::error_code error;
        fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied,
                                            error);
        for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
            const fs::path path = it->path();
            if (it->is_directory(error)) {
                if (const auto time = modificationTime(path))
                    scannedFolders_[path] = *time;
                continue;
            }
            const auto id = desktopEntryId(path, {root});
            if (!id || !claimed.insert(*id).second)
                continue;
            if (auto entry = readDesktopEntry(path, *id))
                entries_.emplace(*id, std::move(*entry));
        }
    }
    scannedRoots_ = std::move(folders);
    loaded_ = true;
}

}  // namespace quorvel::desktop
