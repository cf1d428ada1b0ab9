#include "QuorvelMac/shell/lock_overlay_action_button.hpp"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "QuorvelMac/ui/kit/theme.hpp"

namespace quorvel {

namespace {

constexpr int kSymbolSide = 16;
constexpr int kSymbolSpacing = 6;
constexpr int kHorizontalPadding = 16;
constexpr int kVerticalPadding = 6;
constexpr int kMinimumHeight = 44;
constexpr int kTitleFlags = Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextWordWrap;

}  // namespace

LockOverlayActionButton::LockOverlayActionButton(QWidget* parent)
    : QPushButton(parent), minimumButtonHeight_(kMinimumHeight) {
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setMinimumHeight(kMinimumHeight);
    setMaximumWidth(320);
    QSizePolicy policy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
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
    updateGeometry();
    update();
}

void LockOverlayActionButton::setMinimumButtonHeight(int height) {
    minimumButtonHeight_ = height;
    setMinimumHeight(height);
    updateGeometry();
}

void LockOverlayActionButton::setSymbolShown(bool shown) {
    symbolShown_ = shown;
    updateGeometry();
    update();
}

int LockOverlayActionButton::symbolWidth() const {
    return symbolShown_ ? kSymbolSide + kSymbolSpacing : 0;
}

QSize LockOverlayActionButton::sizeHint() const {
    return {maximumWidth(), heightForWidth(maximumWidth())};
}

QSize LockOverlayActionButton::minimumSizeHint() const {
    return {captionWidth(), minimumButtonHeight_};
}

int LockOverlayActionButton::captionWidth() const {
    return 2 * kHorizontalPadding + symbolWidth() + fontMetrics().horizontalAdvance(text());
}

int LockOverlayActionButton::titleWidth(int width) const {
    const int room = std::max(1, width - 2 * kHorizontalPadding - symbolWidth());
    return std::min(room, fontMetrics().horizontalAdvance(text()) + 1);
}

int LockOverlayActionButton::heightForWidth(int width) const {
    const QRect title =
        fontMetrics().boundingRect(QRect(0, 0, titleWidth(width), 100000), kTitleFlags, text());
    return std::max(minimumButtonHeight_, title.height() + 2 * kVerticalPadding);
}

void LockOverlayActionButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(opacity_);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), 10, 10);
    painter.fillPath(shape, ui::theme::lockActionFill());

    // Symbol and title centred together; the title's lines centred on each other.
    const QColor ink = ui::theme::lockActionText();
    const int title = titleWidth(width());
    int x = (width() - symbolWidth() - title) / 2;
    if (symbolShown_) {
        const QPixmap symbol = ui::theme::tintedSymbol(symbol_, kSymbolSide, ink);
        painter.drawPixmap(QRect(x, (height() - kSymbolSide) / 2, kSymbolSide, kSymbolSide),
                           symbol);
        x += symbolWidth();
    }
    painter.setPen(ink);
    painter.drawText(QRect(x, 0, title, height()), kTitleFlags, text());
}

}  // namespace quorvel
