#include "QuorvelMac/shell/lock_overlay_view.hpp"

#include <QGraphicsDropShadowEffect>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QVBoxLayout>

#include "QuorvelMac/shell/lock_overlay_presentation.hpp"
#include "QuorvelMac/ui/kit/theme.hpp"

namespace quorvel {

namespace theme = ui::theme;

namespace {

using Kind = LockOverlayState::Status::Kind;

// The card: a rounded rectangle in the control background colour with a thin separator border.
class Card final : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 20, 20);
        painter.fillPath(path, palette().color(QPalette::Base));
        QColor separator = palette().color(QPalette::Mid);
        separator.setAlphaF(0.5);
        painter.setPen(QPen(separator, 1));
        painter.drawPath(path);
    }
};

QLabel* makeLabel(const QString& text, QWidget* parent, bool wrap = true) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(wrap);
    label->setMinimumHeight(52);
    // No layout minimum may clamp the panel over a narrow window.
    return label;
}

QColor secondaryText(const QWidget* widget) {
    QColor color = widget->palette().color(QPalette::WindowText);
    color.setAlphaF(0.6);
    return color;
}

QString colorCss(const QColor& color) {
    return QStringLiteral("rgba(%1,%2,%3,%4)").arg(color.red()).arg(color.green()).arg(color.blue()).arg(color.alphaF());
}

// A row of the symbol's icon (when the theme has one) and a label; the label is returned in
// `text` so that the caller can name and style it.
QWidget* symbolRow(const QString& text, const std::string& symbol, const QString& css, QWidget* parent,
                   QLabel*& label) {
    auto* row = new QWidget(parent);
    row->setMinimumHeight(52);
    row->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto* layout = new QHBoxLayout(row);
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    layout->setSpacing(6);
    layout->addStretch(1);
    auto* image = new QLabel(row);
    image->setPixmap(theme::symbol(QString::fromStdString(symbol)).pixmap(16, 16));
    layout->addWidget(image, 0, Qt::AlignVCenter);
    label = new QLabel(text, row);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignCenter);
    label->setProperty("symbol", QString::fromStdString(symbol));
    label->setStyleSheet(css);
    layout->addWidget(label, 0, Qt::AlignVCenter);
    layout->addStretch(1);
    return row;
}

// Desaturates an image: 1.0 keeps the colours, 0.0 gives grey.
QPixmap saturated(const QPixmap& pixmap, double saturation) {
    if (saturation >= 1.0 || pixmap.isNull()) return pixmap;
    QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = line[x];
            const double grey = 0.2126 * qRed(p) + 0.7152 * qGreen(p) + 0.0722 * qBlue(p);
            auto mix = [&](int c) { return qBound(0, int(grey + (c - grey) * saturation + 0.5), 255); };
            line[x] = qRgba(mix(qRed(p)), mix(qGreen(p)), mix(qBlue(p)), qAlpha(p));
        }
    }
    return QPixmap::fromImage(image);
}

}  // namespace

LockOverlayView::LockOverlayView(IconSource icons, QWidget* parent)
    : QWidget(parent), icons_(std::move(icons)) {
    setAutoFillBackground(false);
    auto* outer = new QVBoxLayout(this);
    outer->setSizeConstraint(QLayout::SetNoConstraint);
    outer->setContentsMargins(32, 32, 32, 32);
    outer->addStretch(1);

    card_ = new Card(this);
    card_->setMaximumWidth(480);
    card_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Maximum);
    auto* shadow = new QGraphicsDropShadowEffect(card_);
    shadow->setColor(QColor(0, 0, 0, int(0.22 * 255)));
    shadow->setBlurRadius(28);
    shadow->setOffset(0, 10);
    card_->setGraphicsEffect(shadow);
    outer->addWidget(card_, 0, Qt::AlignHCenter);
    outer->addStretch(1);

    auto* stack = new QVBoxLayout(card_);
    stack->setSizeConstraint(QLayout::SetNoConstraint);
    stack->setSpacing(20);
    stack->setContentsMargins(48, 40, 48, 40);

    icon_ = new QLabel(card_);
    icon_->setObjectName("mac-lock-icon");
    icon_->setFixedSize(84, 84);
    icon_->setAlignment(Qt::AlignCenter);
    auto* iconShadow = new QGraphicsDropShadowEffect(icon_);
    iconShadow->setColor(QColor(0, 0, 0, int(0.18 * 255)));
    iconShadow->setBlurRadius(10);
    iconShadow->setOffset(0, 5);
    icon_->setGraphicsEffect(iconShadow);
    stack->addWidget(icon_, 0, Qt::AlignHCenter);

    name_ = makeLabel(QString(), card_);
    name_->setObjectName("mac-lock-name");
    name_->setMinimumHeight(0);
    QFont title = name_->font();
    title.setPointSizeF(title.pointSizeF() * 1.6);
    title.setWeight(QFont::DemiBold);
    name_->setFont(title);
    stack->addWidget(name_);

    statusBlock_ = new QWidget(card_);
    statusBlock_->setObjectName("mac-lock-status");
    statusBlock_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    statusLayout_ = new QVBoxLayout(statusBlock_);
    statusLayout_->setContentsMargins(0, 0, 0, 0);
    statusLayout_->setSizeConstraint(QLayout::SetNoConstraint);
    stack->addWidget(statusBlock_);

    button_ = new QPushButton(card_);
    button_->setObjectName("mac-lock-unlock-request-button");
    button_->setAccessibleName(QStringLiteral("mac-lock-unlock-request-button"));
    button_->setFocusPolicy(Qt::NoFocus);
    button_->setCursor(Qt::PointingHandCursor);
    button_->setMinimumHeight(44);
    button_->setMaximumWidth(320);
    button_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    QFont headline = button_->font();
    headline.setWeight(QFont::DemiBold);
    button_->setFont(headline);
    button_->setStyleSheet(QStringLiteral(
        "QPushButton { color: white; border: none; border-radius: 10px; padding: 0 16px;"
        " background-color: rgb(13, 107, 242); }"));
    button_->setGraphicsEffect(new QGraphicsOpacityEffect(button_));
    connect(button_, &QPushButton::clicked, this, [this] {
        if (onUnlock_) onUnlock_();
    });
    stack->addWidget(button_, 0, Qt::AlignHCenter);
}

void LockOverlayView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
}

void LockOverlayView::setState(const LockOverlayState& state, std::function<void()> onUnlock) {
    const bool statusChanged = !state_ || !(state_->status == state.status);
    const bool targetChanged = !state_ || !(state_->target == state.target);
    onUnlock_ = std::move(onUnlock);
    state_ = state;
    if (targetChanged || statusChanged) updateIcon(state.target, state.status);
    name_->setText(QString::fromStdString(state.target.displayName));
    if (!statusChanged) return;
    rebuildStatusBlock(state.status);
    updateButton(state.status);
    // A status change fades the new block in, ease-in-out over 0.2 s.
    auto* fade = new QGraphicsOpacityEffect(statusBlock_);
    statusBlock_->setGraphicsEffect(fade);
    auto* animation = new QPropertyAnimation(fade, "opacity", statusBlock_);
    animation->setDuration(200);
    animation->setEasingCurve(QEasingCurve::InOutQuad);
    animation->setStartValue(0.0);
    animation->setEndValue(1.0);
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void LockOverlayView::updateIcon(const MacLockTarget& target, const LockOverlayState::Status& status) {
    iconSaturation_ = isRequestInFlight(status) ? 0.4 : 1.0;
    const QIcon icon = icons_ ? icons_(target) : QIcon();
    const qreal ratio = devicePixelRatioF();
    QPixmap pixmap = icon.pixmap(QSize(84, 84), ratio);
    icon_->setPixmap(saturated(pixmap, iconSaturation_));
}

void LockOverlayView::updateButton(const LockOverlayState::Status& status) {
    const LockOverlayActionPresentation presentation(status);
    button_->setText(QString::fromStdString(presentation.title));
    button_->setIcon(theme::symbol(QString::fromStdString(presentation.symbol)));
    button_->setProperty("symbol", QString::fromStdString(presentation.symbol));
    button_->setEnabled(presentation.isEnabled);
    static_cast<QGraphicsOpacityEffect*>(button_->graphicsEffect())->setOpacity(presentation.isEnabled ? 1.0 : 0.55);
}

void LockOverlayView::rebuildStatusBlock(const LockOverlayState::Status& status) {
    while (auto* item = statusLayout_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const QString secondary = QStringLiteral("color: %1;").arg(colorCss(secondaryText(this)));
    switch (status.kind) {
    case Kind::locked: {
        QLabel* pill = nullptr;
        auto* row = symbolRow(QStringLiteral("ロック中"), "lock.fill",
                              secondary + QStringLiteral("font-weight: 500; padding: 6px 12px;"
                                                         " border-radius: 14px; background: rgba(128,128,128,0.15);"),
                              statusBlock_, pill);
        pill->setObjectName("mac-lock-status-title");
        statusLayout_->addWidget(row);
        auto* message = makeLabel(QStringLiteral("解除するには、iPhoneでミッションをクリアしてください。"), statusBlock_);
        message->setObjectName("mac-lock-status-message");
        message->setStyleSheet(secondary);
        statusLayout_->addWidget(message);
        break;
    }
    case Kind::requesting:
    case Kind::confirmingIPhoneDelivery:
    case Kind::waitingForIPhone: {
        const LockOverlayStatusPresentation presentation(status);
        auto* row = new QWidget(statusBlock_);
        row->setMinimumHeight(52);
        auto* rowLayout = new QHBoxLayout(row);
        rowLayout->setSpacing(10);
        rowLayout->addStretch(1);
        auto* spinner = new QProgressBar(row);
        spinner->setObjectName("mac-lock-spinner");
        spinner->setRange(0, 0);  // indeterminate
        spinner->setTextVisible(false);
        spinner->setFixedSize(48, 8);
        rowLayout->addWidget(spinner, 0, Qt::AlignVCenter);
        auto* title = new QLabel(QString::fromStdString(presentation.title), row);
        title->setObjectName("mac-lock-status-title");
        title->setProperty("prominent", presentation.isTitleProminent);
        if (!presentation.isTitleProminent) title->setStyleSheet(secondary);
        rowLayout->addWidget(title, 0, Qt::AlignVCenter);
        rowLayout->addStretch(1);
        statusLayout_->addWidget(row);
        if (presentation.message) {
            auto* message = makeLabel(QString::fromStdString(*presentation.message), statusBlock_);
            message->setObjectName("mac-lock-status-message");
            message->setStyleSheet(secondary);
            statusLayout_->addWidget(message);
        }
        break;
    }
    case Kind::approved: {
        QLabel* label = nullptr;
        auto* row = symbolRow(QStringLiteral("解除されました"), "checkmark.circle.fill",
                              QStringLiteral("color: rgb(40, 167, 69);"), statusBlock_, label);
        label->setObjectName("mac-lock-status-title");
        statusLayout_->addWidget(row);
        break;
    }
    case Kind::failed: {
        QLabel* label = nullptr;
        auto* row = symbolRow(QString::fromStdString(status.message), "exclamationmark.triangle.fill",
                              QStringLiteral("color: rgb(230, 126, 34);"), statusBlock_, label);
        label->setObjectName("mac-lock-status-title");
        label->setMaximumWidth(420);  // long messages wrap, centred
        statusLayout_->addWidget(row);
        break;
    }
    }
}

}  // namespace quorvel
