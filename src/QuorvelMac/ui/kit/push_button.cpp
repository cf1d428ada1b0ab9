#include "QuorvelMac/ui/kit/push_button.hpp"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "QuorvelMac/ui/kit/theme.hpp"

namespace quorvel::ui {

namespace {
constexpr int horizontalPadding = 12;
constexpr int symbolGap = 6;
constexpr int symbolSide = 16;
constexpr qreal radius = 6;

// A colour moved towards another by a share (hover and press shades).
QColor towards(const QColor& from, const QColor& to, double share) {
    return theme::over(QColor::fromRgbF(to.redF(), to.greenF(), to.blueF(), share), from);
}
}  // namespace

PushButton::PushButton(const QString& title, ButtonStyle style, QWidget* parent)
    : QPushButton(title, parent), style_(style) {
    setAttribute(Qt::WA_Hover);
    setAutoDefault(false);
    setFlat(style == ButtonStyle::plain);
    setProperty("prominent", style == ButtonStyle::prominent);
}

void PushButton::setSymbol(const QString& systemImage) {
    symbol_ = systemImage;
    setProperty("systemImage", systemImage);
    updateGeometry();
    update();
}

QColor PushButton::fillColour() const {
    const QPalette& colours = palette();
    if (!isEnabled()) {
        return style_ == ButtonStyle::plain ? QColor(Qt::transparent)
                                            : colours.color(QPalette::Disabled, QPalette::Button);
    }
    const double shade = isDown() ? 0.24 : underMouse() ? 0.12 : 0.0;
    switch (style_) {
        case ButtonStyle::prominent:
            return towards(theme::accent(), Qt::black, shade);
        case ButtonStyle::bordered:
            return towards(colours.color(QPalette::Button), colours.color(QPalette::ButtonText),
                           shade / 2);
        case ButtonStyle::plain:
            break;
    }
    QColor hover = colours.color(QPalette::ButtonText);
    hover.setAlphaF(shade / 2);
    return hover;
}

QColor PushButton::textColour() const {
    if (!isEnabled()) {
        return palette().color(QPalette::Disabled, QPalette::ButtonText);
    }
    return style_ == ButtonStyle::prominent ? theme::onAccent()
                                            : palette().color(QPalette::ButtonText);
}

int PushButton::contentWidth() const {
    const int symbol = symbol_.isEmpty() ? 0 : symbolSide + symbolGap;
    return fontMetrics().size(Qt::TextShowMnemonic, text()).width() + symbol;
}

QSize PushButton::sizeHint() const {
    const int textHeight = fontMetrics().size(Qt::TextShowMnemonic, text()).height();
    const int height = std::max({textHeight + 12, symbolSide + 12, 30});
    return {contentWidth() + 2 * horizontalPadding, height};
}

void PushButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF shape = QRectF(rect()).adjusted(1, 1, -1, -1);
    QPainterPath path;
    path.addRoundedRect(shape, radius, radius);
    painter.fillPath(path, fillColour());
    if (style_ == ButtonStyle::bordered) {
        painter.setPen(QPen(theme::separator(), 1));
        painter.drawRoundedRect(shape.adjusted(0.5, 0.5, -0.5, -0.5), radius - 0.5, radius - 0.5);
    }
    if (hasFocus()) {
        QColor ring = theme::accent();
        ring.setAlphaF(0.5);
        painter.setPen(QPen(ring, 2));
        painter.drawRoundedRect(shape, radius, radius);
    }

    const QColor ink = textColour();
    int x = style_ == ButtonStyle::plain
                ? horizontalPadding
                : std::max(horizontalPadding, (width() - contentWidth()) / 2);
    if (!symbol_.isEmpty()) {
        const QRect place(x, (height() - symbolSide) / 2, symbolSide, symbolSide);
        theme::symbol(symbol_, ink).paint(&painter, place);
        x += symbolSide + symbolGap;
    }
    painter.setPen(ink);
    painter.setFont(font());
    painter.drawText(QRect(x, 0, width() - x, height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, text());
}

}  // namespace quorvel::ui
