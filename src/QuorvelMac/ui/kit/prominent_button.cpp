#include "QuorvelMac/ui/kit/prominent_button.hpp"

#include <QPainter>
#include <QPainterPath>

#include "QuorvelMac/ui/kit/theme.hpp"

namespace quorvel::ui {

namespace {
constexpr int horizontalPadding = 14;
constexpr int symbolGap = 6;
constexpr int symbolSide = 16;
}  // namespace

ProminentButton::ProminentButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    setAttribute(Qt::WA_Hover);
    setAutoDefault(false);
    setProperty("prominent", true);
}

void ProminentButton::setSymbol(const QString& systemImage) {
    symbol_ = systemImage;
    setProperty("systemImage", systemImage);
    updateGeometry();
    update();
}

QColor ProminentButton::fillColour() const {
    if (!isEnabled()) {
        return QColor(0xd8, 0xd8, 0xdc);
    }
    if (isDown()) {
        return theme::accent().darker(130);
    }
    return underMouse() ? theme::accent().darker(112) : theme::accent();
}

QColor ProminentButton::textColour() const {
    return isEnabled() ? QColor(Qt::white) : QColor(0x8e, 0x8e, 0x93);
}

QSize ProminentButton::sizeHint() const {
    const QSize text = fontMetrics().size(Qt::TextShowMnemonic, this->text());
    const int symbol = symbol_.isEmpty() ? 0 : symbolSide + symbolGap;
    const int height = std::max({text.height() + 12, symbolSide + 12, 30});
    return {text.width() + symbol + 2 * horizontalPadding, height};
}

void ProminentButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF shape = QRectF(rect()).adjusted(1, 1, -1, -1);
    QPainterPath path;
    path.addRoundedRect(shape, 6, 6);
    painter.fillPath(path, fillColour());
    if (hasFocus()) {
        QColor ring = theme::accent();
        ring.setAlphaF(0.5);
        painter.setPen(QPen(ring, 2));
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 6, 6);
    }

    const QColor ink = textColour();
    const QSize text = fontMetrics().size(Qt::TextShowMnemonic, this->text());
    const int symbol = symbol_.isEmpty() ? 0 : symbolSide + symbolGap;
    int x = std::max(horizontalPadding, (width() - text.width() - symbol) / 2);
    if (!symbol_.isEmpty()) {
        const QRect place(x, (height() - symbolSide) / 2, symbolSide, symbolSide);
        theme::symbol(symbol_, ink).paint(&painter, place);
        x += symbol;
    }
    painter.setPen(ink);
    painter.setFont(font());
    painter.drawText(QRect(x, 0, width() - x, height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, this->text());
}

}  // namespace quorvel::ui
