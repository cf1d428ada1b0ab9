#include "QuorvelMac/ui/kit/icon_chip.hpp"

#include <cmath>

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "QuorvelMac/ui/kit/theme.hpp"

namespace quorvel::ui {

IconChip::IconChip(const QString& systemImage, theme::Ink ink, double size, QWidget* parent)
    : QWidget(parent), systemImage_(systemImage), ink_(ink), size_(size) {
    const int side = static_cast<int>(std::lround(size));
    setFixedSize(side, side);
}

void IconChip::setInk(theme::Ink ink) {
    if (ink != ink_) {
        ink_ = ink;
        update();
    }
}

void IconChip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, 0, height());
    const QColor bottom = colour();
    QColor top = bottom;
    top.setAlphaF(0.8);
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    QPainterPath tile;
    tile.addRoundedRect(QRectF(rect()), cornerRadius(), cornerRadius());
    painter.fillPath(tile, gradient);

    // The symbol in white: its own colours are replaced, its shape kept.
    const int side = static_cast<int>(std::lround(symbolSize()));
    const QPixmap glyph = theme::tintedSymbol(systemImage_, side, Qt::white);
    const QPointF origin((width() - side) / 2.0, (height() - side) / 2.0);
    painter.drawPixmap(origin, glyph);
}

}  // namespace quorvel::ui
