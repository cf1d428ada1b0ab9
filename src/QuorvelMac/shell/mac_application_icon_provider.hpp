#pragma once

// The icon shown beside an application target: its desktop entry's Icon, found as the desktop
// finds it (the absolute path the entry names, else the name in the user's icon theme, hicolor,
// then the XDG data folders' "pixmaps"), drawn from its largest size or its scalable drawing. An
// entry that moved or went away is found again by the target's identifier; failing that, the
// "app" symbol.
#include <QIcon>
#include <filesystem>
#include <memory>
#include <optional>

#include "QuorvelMac/model/mac_lock_target.hpp"
#include "QuorvelPlatform/desktop/desktop_entry_index.hpp"

namespace quorvel {

class MacApplicationIconProvider {
public:
    explicit MacApplicationIconProvider(std::shared_ptr<desktop::DesktopEntryIndex> index);

    // The stored entry path when a file is there now, else the entry with the target's id.
    std::optional<std::filesystem::path> applicationURL(const MacLockTarget& target) const;
    // Never fails: without an icon of the application's own, the "app" symbol.
    QIcon icon(const MacLockTarget& target) const;

    // The entry's own icon; null when it names none or none is found.
    static QIcon iconOfEntry(const desktop::DesktopEntry& entry);
    // The entry's own icon, else the "app" symbol.
    static QIcon shownIconOfEntry(const desktop::DesktopEntry& entry);
    static QIcon genericApplicationIcon();

private:
    std::shared_ptr<desktop::DesktopEntryIndex> index_;
};

}  // namespace quorvel
