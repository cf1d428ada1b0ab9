#include "QuorvelMac/shell/mac_application_icon_provider.hpp"

#include "QuorvelMac/ui/kit/desktop_icons.hpp"
#include "QuorvelMac/ui/kit/drawn_icon.hpp"
#include "QuorvelMac/ui/kit/theme.hpp"
#include "QuorvelPlatform/desktop/desktop_entry.hpp"

namespace quorvel {
namespace fs = std::filesystem;

MacApplicationIconProvider::MacApplicationIconProvider(
    std::shared_ptr<desktop::DesktopEntryIndex> index)
    : index_(std::move(index)) {}

std::optional<fs::path> MacApplicationIconProvider::applicationURL(
    const MacLockTarget& target) const {
    if (target.applicationURLPath) {
        std::error_code error;
        if (fs::exists(*target.applicationURLPath, error))
            return fs::path(*target.applicationURLPath);
    }
    if (const auto* entry = index_->find(target.identifier))
        return entry->file;
    return std::nullopt;
}

QIcon MacApplicationIconProvider::icon(const MacLockTarget& target) const {
    if (const auto file = applicationURL(target)) {
        if (const auto entry = desktop::readDesktopEntry(*file, target.identifier))
            return shownIconOfEntry(*entry);
    }
    return genericApplicationIcon();
}

QIcon MacApplicationIconProvider::iconOfEntry(const desktop::DesktopEntry& entry) {
    if (!entry.icon)
        return {};
    const QString name = QString::fromStdString(*entry.icon);
    const bool isPath = fs::path(*entry.icon).is_absolute();
    const QIcon source = isPath ? QIcon(name) : ui::theme::desktopIcon(name);
    if (source.isNull() ||
        (isPath && source.availableSizes().isEmpty() && source.pixmap(16).isNull())) {
        return {};
    }
    // Drawn from the largest drawing at whatever size the view asks, so that an icon fills its
    // frame although the theme's nearest size is smaller.
    return ui::drawnIcon(
        QStringLiteral("quorvel-application-icon"), isPath ? QString() : name,
        [source](const QSize& pixels, QIcon::Mode mode) {
            return ui::theme::fittedPixmap(source, pixels, mode);
        },
        source.availableSizes());
}

QIcon MacApplicationIconProvider::shownIconOfEntry(const desktop::DesktopEntry& entry) {
    const QIcon icon = iconOfEntry(entry);
    return icon.isNull() ? genericApplicationIcon() : icon;
}

QIcon MacApplicationIconProvider::genericApplicationIcon() {
    return ui::theme::symbol(QStringLiteral("app"));
}

}  // namespace quorvel
