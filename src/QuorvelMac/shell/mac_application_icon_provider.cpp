#include "QuorvelMac/shell/mac_application_icon_provider.hpp"

#include "QuorvelMac/ui/kit/theme.hpp"
#include "QuorvelPlatform/desktop/desktop_entry.hpp"

namespace quorvel {
namespace fs = std::filesystem;

MacApplicationIconProvider::MacApplicationIconProvider(std::shared_ptr<desktop::DesktopEntryIndex> index)
    : index_(std::move(index)) {}

std::optional<fs::path> MacApplicationIconProvider::applicationURL(const MacLockTarget& target) const {
    if (target.applicationURLPath) {
        std::error_code error;
        if (fs::exists(*target.applicationURLPath, error)) return fs::path(*target.applicationURLPath);
    }
    if (const auto* entry = index_->find(target.identifier)) return entry->file;
    return std::nullopt;
}

QIcon MacApplicationIconProvider::icon(const MacLockTarget& target) const {
    if (const auto file = applicationURL(target)) {
        if (const auto entry = desktop::readDesktopEntry(*file, target.identifier)) {
            const QIcon icon = iconOfEntry(*entry);
            if (!icon.isNull()) return icon;
        }
    }
    return genericApplicationIcon();
}

QIcon MacApplicationIconProvider::iconOfEntry(const desktop::DesktopEntry& entry) {
    if (!entry.icon) return {};
    const QString name = QString::fromStdString(*entry.icon);
    if (fs::path(*entry.icon).is_absolute()) {
        QIcon icon(name);
        return icon.availableSizes().isEmpty() && icon.pixmap(16).isNull() ? QIcon() : icon;
    }
    return QIcon::fromTheme(name);
}

QIcon MacApplicationIconProvider::genericApplicationIcon() {
    return ui::theme::symbol(QStringLiteral("app"));
}

}  // namespace quorvel
