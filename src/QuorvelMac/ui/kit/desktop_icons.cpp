#include "QuorvelMac/ui/kit/desktop_icons.hpp"

#include <QPainter>

#include "QuorvelShared/support/xdg_paths.hpp"

namespace quorvel::ui::theme {

namespace {

QStringList dataSubfolders(const char* name) {
    QStringList folders;
    for (const auto& data : paths::dataFolders()) {
        folders << QString::fromStdString((data / name).string());
    }
    return folders;
}

// Qt's lookup keeps what it found until one of its settings changes: each is set only when it
// differs, so that a lookup with unchanged folders finds Qt's results still there.
void followDesktopFolders() {
    if (const QStringList themes = iconThemeFolders(); QIcon::themeSearchPaths() != themes) {
        QIcon::setThemeSearchPaths(themes);
    }
    if (const QStringList fallback = iconFallbackFolders();
        QIcon::fallbackSearchPaths() != fallback) {
        QIcon::setFallbackSearchPaths(fallback);
    }
    if (QIcon::fallbackThemeName() != QLatin1String(packagedSymbolTheme)) {
        QIcon::setFallbackThemeName(QString::fromLatin1(packagedSymbolTheme));
    }
    // Where no desktop names a theme (a bare X session, the offscreen platform) Qt would look in
    // none: hicolor is the theme every desktop has.
    if (QIcon::themeName().isEmpty()) {
        QIcon::setThemeName(QStringLiteral("hicolor"));
    }
}

}  // namespace

QStringList iconThemeFolders() {
    return QStringList{QString::fromStdString((paths::home() / ".icons").string())} +
           dataSubfolders("icons");
}

QStringList iconFallbackFolders() {
    return dataSubfolders("pixmaps") << QString::fromLatin1(ownSymbolFolder);
}

QIcon desktopIcon(const QString& name) {
    followDesktopFolders();
    return QIcon::fromTheme(name);
}

QPixmap fittedPixmap(const QIcon& icon, const QSize& pixels, QIcon::Mode mode) {
    if (icon.isNull() || pixels.isEmpty()) {
        return {};
    }
    QSize largest = pixels;
    for (const QSize& size : icon.availableSizes(mode)) {
        if (size.width() * size.height() > largest.width() * largest.height()) {
            largest = size;
        }
    }
    const QPixmap drawing = icon.pixmap(largest, 1.0, mode);
    if (drawing.isNull()) {
        return {};
    }
    // Scaled apart from the painter: the smooth scaling averages a large drawing's pixels.
    const QPixmap scaled = drawing.size() == pixels ? drawing
                                                    : drawing.scaled(pixels, Qt::KeepAspectRatio,
                                                                     Qt::SmoothTransformation);
    QPixmap fitted(pixels);
    fitted.fill(Qt::transparent);
    QPainter painter(&fitted);
    painter.drawPixmap((pixels.width() - scaled.width()) / 2,
                       (pixels.height() - scaled.height()) / 2, scaled);
    painter.end();
    return fitted;
}

}  // namespace quorvel::ui::theme
