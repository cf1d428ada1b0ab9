#include "QuorvelMac/ui/kit/symbolic_icons.hpp"

#include <algorithm>
#include <optional>

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QPixmapCache>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>
#include <QSvgRenderer>

#include "QuorvelMac/ui/kit/drawn_icon.hpp"

namespace quorvel::ui::theme {

namespace {

// The folders of one theme under one search path, scalable ones first, and the themes it
// inherits; empty when the theme is not there.
struct ThemeFolder {
    QDir root;
    QStringList directories;
    QStringList inherits;
};

std::optional<ThemeFolder> readThemeFolder(const QString& searchPath, const QString& themeName) {
    QDir root(searchPath + QLatin1Char('/') + themeName);
    const QString index = root.filePath(QStringLiteral("index.theme"));
    if (!QFileInfo::exists(index)) {
        return std::nullopt;
    }
    QSettings settings(index, QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("Icon Theme"));
    QStringList directories = settings.value(QStringLiteral("Directories")).toStringList();
    directories += settings.value(QStringLiteral("ScaledDirectories")).toStringList();
    std::stable_partition(directories.begin(), directories.end(), [](const QString& folder) {
        return folder.startsWith(QLatin1String("scalable")) ||
               folder.startsWith(QLatin1String("symbolic"));
    });
    return ThemeFolder{root, directories,
                       settings.value(QStringLiteral("Inherits")).toStringList()};
}

QString findInFolder(const ThemeFolder& theme, const QString& iconName) {
    for (const char* suffix : {".svg", ".png"}) {
        for (const QString& folder : theme.directories) {
            const QString file =
                theme.root.filePath(folder + QLatin1Char('/') + iconName + QLatin1String(suffix));
            if (QFileInfo::exists(file)) {
                return file;
            }
        }
    }
    return {};
}

}  // namespace

QString findThemeIcon(const QString& iconName, const QString& themeName,
                      const QStringList& searchPaths) {
    QStringList queue{themeName};
    QSet<QString> seen;
    bool hicolorQueued = false;
    while (!queue.isEmpty()) {
        const QString theme = queue.takeFirst();
        if (theme.isEmpty() || seen.contains(theme)) {
            continue;
        }
        seen.insert(theme);
        QStringList inherits;
        for (const QString& path : searchPaths) {
            const auto folder = readThemeFolder(path, theme);
            if (!folder) {
                continue;
            }
            if (inherits.isEmpty()) {
                inherits = folder->inherits;
            }
            if (QString file = findInFolder(*folder, iconName); !file.isEmpty()) {
                return file;
            }
        }
        queue += inherits;
        // Every theme falls back to hicolor last.
        if (queue.isEmpty() && !hicolorQueued) {
            hicolorQueued = true;
            queue << QStringLiteral("hicolor");
        }
    }
    return {};
}

QStringList iconSearchPaths() {
    QStringList paths = QIcon::themeSearchPaths();
    for (const QString& data :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        paths << data + QStringLiteral("/icons");
    }
    paths << QStringLiteral("/usr/share/icons");
    paths.removeDuplicates();
    return paths;
}

QString findSymbolicIcon(const QString& iconName) {
    static QHash<QString, QString> found;
    const QString userTheme = QIcon::themeName();
    const QString key = userTheme + QLatin1Char('\n') + iconName;
    if (const auto known = found.constFind(key); known != found.constEnd()) {
        return *known;
    }
    const QStringList paths = iconSearchPaths();
    QString file = userTheme.isEmpty() ? QString() : findThemeIcon(iconName, userTheme, paths);
    if (file.isEmpty()) {
        file = findThemeIcon(iconName, QString::fromLatin1(packagedSymbolTheme), paths);
    }
    if (const QString own = QString::fromLatin1(ownSymbolFolder) + QLatin1Char('/') + iconName +
                            QLatin1String(".svg");
        file.isEmpty() && QFileInfo::exists(own)) {
        file = own;
    }
    found.insert(key, file);
    return file;
}

namespace {

QImage drawShape(const QString& file, const QSize& size) {
    QImage shape(size, QImage::Format_ARGB32_Premultiplied);
    shape.fill(Qt::transparent);
    QPainter painter(&shape);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF area(QPointF(0, 0), QSizeF(size));
    if (file.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
        QSvgRenderer renderer(file);
        if (renderer.isValid()) {
            renderer.setAspectRatioMode(Qt::KeepAspectRatio);
            renderer.render(&painter, area);
            return shape;
        }
    } else if (!file.isEmpty()) {
        const QImage bitmap(file);
        if (!bitmap.isNull()) {
            painter.drawImage(area,
                              bitmap.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation));
            return shape;
        }
    }
    const qreal pen = std::max<qreal>(1.0, size.width() / 12.0);
    painter.setPen(QPen(Qt::black, pen));
    painter.drawEllipse(area.adjusted(size.width() / 5.0, size.height() / 5.0, -size.width() / 5.0,
                                      -size.height() / 5.0));
    return shape;
}

// The shape of the file in `colour`, dimmed in the disabled mode; kept in Qt's pixmap cache.
QPixmap tintedPixmap(const QString& file, const QColor& colour, const QSize& size,
                     QIcon::Mode mode) {
    QColor ink = colour;
    if (mode == QIcon::Disabled) {
        ink.setAlphaF(ink.alphaF() * 0.4);
    }
    const QString cacheKey = QStringLiteral("quorvel-symbol:%1:%2x%3:%4")
                                 .arg(file)
                                 .arg(size.width())
                                 .arg(size.height())
                                 .arg(ink.rgba(), 8, 16);
    QPixmap cached;
    if (QPixmapCache::find(cacheKey, &cached)) {
        return cached;
    }
    QImage image = drawShape(file, size);
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), ink);
    painter.end();
    QPixmap result = QPixmap::fromImage(std::move(image));
    QPixmapCache::insert(cacheKey, result);
    return result;
}

}  // namespace

QIcon tintedSymbolIcon(const QString& file, std::function<QColor()> colour) {
    return drawnIcon(QStringLiteral("quorvel-tinted-symbol"), QFileInfo(file).completeBaseName(),
                     [file, colour = std::move(colour)](const QSize& size, QIcon::Mode mode) {
                         return tintedPixmap(file, colour(), size, mode);
                     });
}

}  // namespace quorvel::ui::theme
