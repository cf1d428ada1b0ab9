#include "QuorvelMac/shell/lock_overlay_view.hpp"

#include <QGraphicsDropShadowEffect>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPropertyAnimation>
#include <QVBoxLayout>

#include "QuorvelMac/shell/lock_overlay_action_button.hpp"
#include "QuorvelMac/shell/lock_overlay_presentation.hpp"
#include "QuorvelMac/ui/kit/theme.hpp"

namespace quorvel {

namespace theme = ui::theme;

namespace {

using Kind = LockOverlayState::Status::Kind;

// The card's rounded rectangle: filled in the control background colour with a thin separator
// border.
void paintCardShape(QWidget* widget) {
    QPainter painter(widget);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(widget->rect()).adjusted(0.5, 0.5, -0.5, -0.5), 20, 20);
    painter.fillPath(path, widget->palette().color(QPalette::Base));
    QColor separator = widget->palette().color(QPalette::Mid);
    separator.setAlphaF(0.5);
    painter.setPen(QPen(separator, 1));
    painter.drawPath(path);
}

// The card's shadow: the same shape, behind the card, casting the shadow. It is a sibling of the
// card rather than an effect on it, because Qt misplaces or drops the effects of a child inside a
// widget that has an effect (the status fade, the button's dimming).
class CardShadow final : public QWidget {
public:
    explicit CardShadow(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        auto* shadow = new QGraphicsDropShadowEffect(this);
        shadow->setColor(QColor(0, 0, 0, int(0.22 * 255)));
        shadow->setBlurRadius(28);
        shadow->setOffset(0, 10);
        setGraphicsEffect(shadow);
    }

protected:
    void paintEvent(QPaintEvent*) override { paintCardShape(this); }
};

// The card, which keeps its shadow under it wherever the layout puts it.
class Card final : public QWidget {
public:
    explicit Card(QWidget* parent) : QWidget(parent), shadow_(new CardShadow(parent)) {
        shadow_->lower();
        setMaximumWidth(480);
    }

    // The card takes the width it is given up to 480 (the layout centres it), and the height its
    // wrapped texts need at that width.
    QSize sizeHint() const override {
        const int width = std::min(maximumWidth(), parentWidget() ? parentWidget()->width() : maximumWidth());
        return {maximumWidth(), heightForWidth(width)};
    }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override {
        return layout() && layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width)
                                                         : QWidget::sizeHint().height();
    }

protected:
    void paintEvent(QPaintEvent*) override { paintCardShape(this); }
    void moveEvent(QMoveEvent*) override { shadow_->setGeometry(geometry()); }
    void resizeEvent(QResizeEvent*) override { shadow_->setGeometry(geometry()); }

private:
    CardShadow* shadow_;
};

// Every text of the panel is shown as it stands: a target's name and a failure come from data,
// and "<b>Editor</b>" is a name, not markup.
QLabel* plainLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    return label;
}

QLabel* makeLabel(const QString& text, QWidget* parent, bool wrap = true) {
    auto* label = plainLabel(text, parent);
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

// A centred row of the symbol's icon and a label; the label is returned in `label` so that the
// caller can name and style it.
QWidget* symbolRow(const QString& text, const std::string& symbol, const QColor& tint, const QString& css,
                   QWidget* parent, QLabel*& label) {
    auto* row = new QWidget(parent);
    row->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto* layout = new QHBoxLayout(row);
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    layout->setSpacing(6);
    layout->addStretch(1);
    auto* image = new QLabel(row);
    image->setPixmap(theme::tintedSymbol(QString::fromStdString(symbol), 16, tint));
    layout->addWidget(image, 0, Qt::AlignVCenter);
    label = plainLabel(text, row);
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
    auto* outer = outer_ = new QVBoxLayout(this);
    outer->setSizeConstraint(QLayout::SetNoConstraint);
    outer->setContentsMargins(32, 32, 32, 32);
    outer->addStretch(1);

    card_ = new Card(this);
    card_->setObjectName("mac-lock-card");
    card_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Maximum);
    outer->addWidget(card_, 0, Qt::AlignHCenter);
    outer->addStretch(1);

    auto* stack = stack_ = new QVBoxLayout(card_);
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

    button_ = new LockOverlayActionButton(card_);
    button_->setObjectName("mac-lock-unlock-request-button");
    button_->setAccessibleName(QStringLiteral("mac-lock-unlock-request-button"));
    connect(button_, &QPushButton::clicked, this, [this] {
        // The callback's work sets a new state, and with it a new callback, while it runs: run a
        // copy, which outlives that replacement.
        const std::function<void()> onUnlock = onUnlock_;
        if (onUnlock)
            onUnlock();
    });
    stack->addWidget(button_, 0, Qt::AlignHCenter);
}

namespace {

constexpr LockOverlayView::Spacing kSteps[] = {
    {32, 48, 40, 20, 84, 52},
    {16, 24, 20, 12, 56, 40},
    {8, 12, 10, 8, 0, 0},
};

}  // namespace

void LockOverlayView::applySpacing(const Spacing& spacing) {
    outer_->setContentsMargins(spacing.outer, spacing.outer, spacing.outer, spacing.outer);
    stack_->setContentsMargins(spacing.paddingX, spacing.paddingY, spacing.paddingX, spacing.paddingY);
    stack_->setSpacing(spacing.spacing);
    icon_->setVisible(spacing.icon > 0);
    if (spacing.icon > 0) icon_->setFixedSize(spacing.icon, spacing.icon);
    elementHeight_ = spacing.element;
    // Each element of the status block is at least as high as its wrapped text at the card's width.
    const int inside = std::min(card_->maximumWidth(), width() - 2 * spacing.outer) - 2 * spacing.paddingX;
    for (QWidget* element : statusBlock_->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        // A label's own minimum would count in its answer, so it is cleared first.
        element->setMinimumHeight(0);
        const int wrapped = element->hasHeightForWidth() && inside > 0 ? element->heightForWidth(inside) : 0;
        element->setMinimumHeight(std::max(elementHeight_, wrapped));
    }
    if (state_) updateIcon(state_->target, state_->status);
}

bool LockOverlayView::fits(const Spacing& spacing) const {
    const int cardWidth = std::min(card_->maximumWidth(), width() - 2 * spacing.outer);
    const int inside = cardWidth - 2 * spacing.paddingX;
    if (std::min(button_->maximumWidth(), inside) < button_->captionWidth()) return false;
    // The card's height at that width, added up from its parts: the layouts' own answers lag
    // behind the heights just given to the status block's elements.
    int status = 0;
    const auto elements = statusBlock_->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget* element : elements) status += element->minimumHeight();
    status += std::max<int>(0, elements.size() - 1) * statusLayout_->spacing();
    const int needed = 2 * spacing.paddingY + (spacing.icon > 0 ? spacing.icon + spacing.spacing : 0) +
                       name_->heightForWidth(inside) + spacing.spacing + status + spacing.spacing +
                       button_->minimumHeight();
    return needed <= height() - 2 * spacing.outer;
}

void LockOverlayView::fitToSize() {
    for (const Spacing& step : kSteps) {
        applySpacing(step);
        if (fits(step)) return;
    }
}

void LockOverlayView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitToSize();
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
    fitToSize();
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
    QPixmap pixmap = icon.pixmap(icon_->size(), ratio);
    icon_->setPixmap(saturated(pixmap, iconSaturation_));
}

void LockOverlayView::updateButton(const LockOverlayState::Status& status) {
    button_->setPresentation(LockOverlayActionPresentation(status));
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
        auto* row = symbolRow(QStringLiteral("ロック中"), "lock.fill", secondaryText(this),
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
        auto* rowLayout = new QHBoxLayout(row);
        rowLayout->setSpacing(10);
        rowLayout->addStretch(1);
        auto* spinner = new QProgressBar(row);
        spinner->setObjectName("mac-lock-spinner");
        spinner->setRange(0, 0);  // indeterminate
        spinner->setTextVisible(false);
        spinner->setFixedSize(48, 8);
        rowLayout->addWidget(spinner, 0, Qt::AlignVCenter);
        auto* title = plainLabel(QString::fromStdString(presentation.title), row);
        title->setWordWrap(true);
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
        auto* row = symbolRow(QStringLiteral("解除されました"), "checkmark.circle.fill", QColor(40, 167, 69),
                              QStringLiteral("color: rgb(40, 167, 69);"), statusBlock_, label);
        label->setObjectName("mac-lock-status-title");
        statusLayout_->addWidget(row);
        break;
    }
    case Kind::failed: {
        QLabel* label = nullptr;
        auto* row = symbolRow(QString::fromStdString(status.message), "exclamationmark.triangle.fill", QColor(230, 126, 34),
                              QStringLiteral("color: rgb(230, 126, 34);"), statusBlock_, label);
        label->setObjectName("mac-lock-status-title");
        // Long messages take the width there is, up to 420, and wrap there, centred.
        label->setMaximumWidth(420);
        static_cast<QHBoxLayout*>(row->layout())->setStretchFactor(label, 100);
        statusLayout_->addWidget(row);
        break;
    }
    }
}

}  // namespace quorvel
