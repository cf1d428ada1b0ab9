#include "QuorvelMac/shell/lock_overlay_action_button.hpp"

#include <QPainter>
#include <QPainterPath>

#include "QuorvelMac/ui/kit/theme.hpp"

namespace quorvel {

namespace {

constexpr int kSymbolSide = 16;
constexpr int kSymbolSpacing = 6;
constexpr int kHorizontalPadding = 16;
constexpr int kMinimumHeight = 44;

}  // namespace

LockOverlayActionButton::LockOverlayActionButton(QWidget* parent) : QPushButton(parent) {
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setMinimumHeight(kMinimumHeight);
    setMaximumWidth(320);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    QFont headline = font();
    headline.setWeight(QFont::DemiBold);
    setFont(headline);
}

void LockOverlayActionButton::setPresentation(const LockOverlayActionPresentation& presentation) {
    setText(QString::fromStdString(presentation.title));
    symbol_ = QString::fromStdString(presentation.symbol);
    setProperty("symbol", symbol_);
    setEnabled(presentation.isEnabled);
    opacity_ = presentation.isEnabled ? 1.0 : 0.55;
    update();
}

QSize LockOverlayActionButton::sizeHint() const {
    return {maximumWidth(), kMinimumHeight};
}

QSize LockOverlayActionButton::minimumSizeHint() const { return {captionWidth(), kMinimumHeight}; }

int LockOverlayActionButton::captionWidth() const {
    return 2 * kHorizontalPadding + kSymbolSide + kSymbolSpacing + fontMetrics().horizontalAdvance(text());
}

void LockOverlayActionButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(opacity_);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), 10, 10);
    painter.fillPath(shape, QColor::fromRgbF(0.05f, 0.42f, 0.95f));

    // Symbol and title centred together; a title too long for the button is elided.
    const QFontMetrics metrics = fontMetrics();
    const int room = std::max(0, width() - 2 * kHorizontalPadding - kSymbolSide - kSymbolSpacing);
    const QString title = metrics.elidedText(text(), Qt::ElideRight, room);
    const int captionWidth = kSymbolSide + kSymbolSpacing + metrics.horizontalAdvance(title);
    int x = (width() - captionWidth) / 2;
    const QPixmap symbol = ui::theme::tintedSymbol(symbol_, kSymbolSide, Qt::white);
    painter.drawPixmap(QRect(x, (height() - kSymbolSide) / 2, kSymbolSide, kSymbolSide), symbol);
    x += kSymbolSide + kSymbolSpacing;
    painter.setPen(Qt::white);
    painter.drawText(QRect(x, 0, width() - x, height()), Qt::AlignLeft | Qt::AlignVCenter, title);
}

}  // namespace quorvel
