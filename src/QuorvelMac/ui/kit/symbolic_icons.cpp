#include "QuorvelMac/ui/kit/symbolic_icons.hpp"

#include <QImage>
#include <QPainter>
#include <QPixmapCache>
#include <algorithm>

#include "QuorvelMac/ui/kit/desktop_icons.hpp"
#include "QuorvelMac/ui/kit/drawn_icon.hpp"

namespace quorvel::ui::theme {

namespace {

QImage drawShape(const QIcon& shape, const QSize& size) {
    const QPixmap drawing = fittedPixmap(shape, size);
    if (!drawing.isNull()) {
        return drawing.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    QImage ring(size, QImage::Format_ARGB32_Premultiplied);
    ring.fill(Qt::transparent);
    QPainter painter(&ring);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area(QPointF(0, 0), QSizeF(size));
    const qreal pen = std::max<qreal>(1.0, size.width() / 12.0);
    painter.setPen(QPen(Qt::black, pen));
    painter.drawEllipse(area.adjusted(size.width() / 5.0, size.height() / 5.0, -size.width() / 5.0,
                                      -size.height() / 5.0));
    return ring;
}

// The shape in `colour`, dimmed in the disabled mode; kept in Qt's pixmap cache under the theme
// and the folders it came from, so that a change of either draws anew.
QPixmap tintedPixmap(const QString& iconName, const QIcon& shape, const QColor& colour,
                     const QSize& size, QIcon::Mode mode) {
    QColor ink = colour;
    if (mode == QIcon::Disabled) {
        ink.setAlphaF(ink.alphaF() * 0.4);
    }
    const QString cacheKey = QStringLiteral("quorvel-symbol:%1:%2:%3:%4:%5x%6:%7")
                                 .arg(QIcon::themeName(), iconName)
                                 .arg(qHash(QIcon::themeSearchPaths()))
                                 .arg(shape.cacheKey())
                                 .arg(size.width())
                                 .arg(size.height())
                                 .arg(ink.rgba(), 8, 16);
    QPixmap cached;
    if (QPixmapCache::find(cacheKey, &cached)) {
        return cached;
    }
    QImage image = drawShape(shape, size);
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), ink);
    painter.end();
    QPixmap result = QPixmap::fromImage(std::move(image));
    QPixmapCache::insert(cacheKey, result);
    return result;
}

}  // namespace

QIcon tintedSymbolIcon(const QString& iconName, const QIcon& shape,
                       std::function<QColor()> colour) {
    return drawnIcon(
        QStringLiteral("quorvel-tinted-symbol"), iconName,
        [iconName, shape, colour = std::move(colour)](const QSize& size, QIcon::Mode mode) {
            return tintedPixmap(iconName, shape, colour(), size, mode);
        });
}

}  // namespace quorvel::ui::theme
