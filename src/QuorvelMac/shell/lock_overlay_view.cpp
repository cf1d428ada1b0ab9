#include "QuorvelMac/shell/lock_overlay_view.hpp"

#include <QGraphicsDropShadowEffect>
#include <QGraphicsOpacityEffect>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPropertyAnimation>
#include <algorithm>

#include "QuorvelMac/shell/lock_overlay_action_button.hpp"
#include "QuorvelMac/shell/lock_overlay_presentation.hpp"
#include "QuorvelMac/shell/lock_overlay_status_row.hpp"
#include "QuorvelMac/ui/kit/busy_indicator.hpp"
#include "QuorvelMac/ui/kit/theme.hpp"

namespace quorvel {

namespace theme = ui::theme;
using theme::Ink;

namespace {

using Kind = LockOverlayState::Status::Kind;

constexpr int kCardWidth = 480;
constexpr int kButtonWidth = 320;
constexpr int kFailureWidth = 420;
constexpr int kSymbolSide = 16;

constexpr LockOverlayView::Step kSteps[] = {
    {32, 48, 40, 20, 84, 52, 44, 1.6, 1.0, true, true, true},
    {16, 24, 20, 12, 56, 40, 40, 1.6, 1.0, true, true, true},
    {8, 12, 10, 8, 0, 0, 36, 1.3, 1.0, true, true, true},
    {4, 8, 6, 4, 0, 0, 28, 1.0, 0.85, false, true, true},
    {4, 8, 6, 4, 0, 0, 28, 1.0, 0.85, false, false, true},
    {2, 6, 4, 3, 0, 0, 24, 1.0, 0.7, false, false, false},
};

// The palette's shadow colour at an opacity.
QColor shadow(double opacity) {
    QColor colour = QGuiApplication::palette().color(QPalette::Shadow);
    colour.setAlphaF(opacity);
    return colour;
}

// The card's rounded rectangle: filled in the control background colour with a thin separator
// border.
void paintCardShape(QWidget* widget) {
    QPainter painter(widget);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(widget->rect()).adjusted(0.5, 0.5, -0.5, -0.5), 20, 20);
    painter.fillPath(path, theme::controlBackground());
    QColor separator = theme::separator();
    separator.setAlphaF(separator.alphaF() * 0.5);
    painter.setPen(QPen(separator, 1));
    painter.drawPath(path);
}

// The card's shadow: the same shape, behind the card, casting the shadow. It is a sibling of the
// card rather than an effect on it, because Qt misplaces or drops the effects of a child inside a
// widget that has an effect (the status fade, the button's dimming).
class CardShadow final : public QWidget {
public:
    explicit CardShadow(QWidget* parent)
        : QWidget(parent), effect_(new QGraphicsDropShadowEffect(this)) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        effect_->setBlurRadius(28);
        effect_->setOffset(0, 10);
        setGraphicsEffect(effect_);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        effect_->setColor(shadow(0.22));
        paintCardShape(this);
    }

private:
    QGraphicsDropShadowEffect* effect_;
};

// The card, which keeps its shadow under it wherever the view puts it.
class Card final : public QWidget {
public:
    explicit Card(QWidget* parent) : QWidget(parent), shadow_(new CardShadow(parent)) {
        shadow_->lower();
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
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    return label;
}

// The font a text of the panel takes at the step's scale, from the one it was made with.
void setBaseFont(QWidget* widget, const QFont& font) {
    widget->setProperty("baseFont", font);
    widget->setFont(font);
}

void scaleFont(QWidget* widget, double scale) {
    QFont font = widget->property("baseFont").value<QFont>();
    font.setPointSizeF(font.pointSizeF() * scale);
    widget->setFont(font);
}

QLabel* symbolPicture(const std::string& symbol, Ink ink, QWidget* parent) {
    auto* picture = new QLabel(parent);
    picture->setFixedSize(kSymbolSide, kSymbolSide);
    theme::setSymbol(picture, QString::fromStdString(symbol), kSymbolSide, ink);
    return picture;
}

// A status row of a symbol and a text, both in the ink, the text in the given font.
LockOverlayStatusRow* symbolRow(const QString& text, const std::string& symbol, Ink ink,
                                const QFont& font, QWidget* parent) {
    auto* row = new LockOverlayStatusRow(symbolPicture(symbol, ink, nullptr), text, 6, parent);
    row->label()->setProperty("symbol", QString::fromStdString(symbol));
    theme::setForeground(row->label(), ink);
    setBaseFont(row->label(), font);
    return row;
}

// Desaturates an image: 1.0 keeps the colours, 0.0 gives grey.
QPixmap saturated(const QPixmap& pixmap, double saturation) {
    if (saturation >= 1.0 || pixmap.isNull())
        return pixmap;
    QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = line[x];
            const double grey = 0.2126 * qRed(p) + 0.7152 * qGreen(p) + 0.0722 * qBlue(p);
            auto mix = [&](int c) {
                return qBound(0, int(grey + (c - grey) * saturation + 0.5), 255);
            };
            line[x] = qRgba(mix(qRed(p)), mix(qGreen(p)), mix(qBlue(p)), qAlpha(p));
        }
    }
    QPixmap result = QPixmap::fromImage(image);
    result.setDevicePixelRatio(pixmap.devicePixelRatio());
    return result;
}

}  // namespace

LockOverlayView::LockOverlayView(IconSource icons, QWidget* parent)
    : QWidget(parent), icons_(std::move(icons)) {
    setAutoFillBackground(false);
    card_ = new Card(this);
    card_->setObjectName("mac-lock-card");

    icon_ = new QLabel(card_);
    icon_->setObjectName("mac-lock-icon");
    icon_->setAlignment(Qt::AlignCenter);
    auto* iconShadow = new QGraphicsDropShadowEffect(icon_);
    iconShadow->setColor(shadow(0.18));
    iconShadow->setBlurRadius(10);
    iconShadow->setOffset(0, 5);
    icon_->setGraphicsEffect(iconShadow);
    theme::followScheme(iconShadow, QStringLiteral("colour"),
                        [iconShadow] { iconShadow->setColor(shadow(0.18)); });

    name_ = plainLabel(QString(), card_);
    name_->setObjectName("mac-lock-name");
    QFont title = name_->font();
    title.setWeight(QFont::DemiBold);
    setBaseFont(name_, title);

    statusBlock_ = new QWidget(card_);
    statusBlock_->setObjectName("mac-lock-status");

    button_ = new LockOverlayActionButton(card_);
    button_->setObjectName("mac-lock-unlock-request-button");
    setBaseFont(button_, button_->font());
    connect(button_, &QPushButton::clicked, this, [this] {
        // The callback's work sets a new state, and with it a new callback, while it runs: run a
        // copy, which outlives that replacement.
        const std::function<void()> onUnlock = onUnlock_;
        if (onUnlock)
            onUnlock();
    });
}

void LockOverlayView::applyStep(const Step& step) {
    icon_->setVisible(step.icon > 0);
    if (step.icon > 0 && icon_->width() != step.icon) {
        icon_->resize(step.icon, step.icon);
        if (state_)
            updateIcon(state_->target, state_->status);
    }
    name_->setVisible(step.name);
    scaleFont(name_, step.nameScale);
    for (QWidget* element : elements_) {
        auto* row = qobject_cast<LockOverlayStatusRow*>(element);
        scaleFont(row ? row->label() : element, step.textScale);
        element->setVisible(element != message_ || step.message);
    }
    scaleFont(button_, step.textScale);
    button_->setMinimumButtonHeight(step.button);
    button_->setSymbolShown(step.buttonSymbol);
}

int LockOverlayView::elementHeight(const Step& step, QWidget* element, int inside) const {
    return std::max(step.element, element->heightForWidth(inside));
}

int LockOverlayView::cardHeight(const Step& step, int width) const {
    const int inside = width - 2 * step.paddingX;
    QList<int> heights;
    if (step.icon > 0)
        heights << step.icon;
    if (step.name)
        heights << name_->heightForWidth(inside);
    int block = 0;
    int shown = 0;
    for (QWidget* element : elements_) {
        if (element == message_ && !step.message)
            continue;
        block +=
            (shown++ > 0 ? std::min(8, step.spacing) : 0) + elementHeight(step, element, inside);
    }
    heights << block << button_->heightForWidth(std::min(kButtonWidth, inside));
    int total = 2 * step.paddingY + step.spacing * (int(heights.size()) - 1);
    for (const int height : heights)
        total += height;
    return total;
}

void LockOverlayView::placeCard(const Step& step, int width, int height) {
    const int inside = width - 2 * step.paddingX;
    int y = step.paddingY;
    if (step.icon > 0) {
        icon_->setGeometry((width - step.icon) / 2, y, step.icon, step.icon);
        y += step.icon + step.spacing;
    }
    if (step.name) {
        const int nameHeight = name_->heightForWidth(inside);
        name_->setGeometry(step.paddingX, y, inside, nameHeight);
        y += nameHeight + step.spacing;
    }
    int top = 0;
    for (QWidget* element : elements_) {
        if (!element->isVisibleTo(statusBlock_))
            continue;
        const int elementTop = top > 0 ? top + std::min(8, step.spacing) : 0;
        const int elementHeight = this->elementHeight(step, element, inside);
        element->setGeometry(0, elementTop, inside, elementHeight);
        top = elementTop + elementHeight;
    }
    statusBlock_->setGeometry(step.paddingX, y, inside, top);
    y += top + step.spacing;
    const int buttonWidth = std::min(kButtonWidth, inside);
    button_->setGeometry((width - buttonWidth) / 2, y, buttonWidth,
                         button_->heightForWidth(buttonWidth));
    card_->setGeometry((this->width() - width) / 2, (this->height() - height) / 2, width, height);
}

void LockOverlayView::fitToSize() {
    // The first step that fits; past the last one nothing more can give way.
    const int last = int(std::size(kSteps)) - 1;
    for (step_ = 0; step_ <= last; ++step_) {
        const Step& step = kSteps[step_];
        applyStep(step);
        const int width = std::min(kCardWidth, this->width() - 2 * step.outer);
        if (cardHeight(step, width) <= height() - 2 * step.outer || step_ == last) {
            placeCard(step, width, cardHeight(step, width));
            return;
        }
    }
}

void LockOverlayView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitToSize();
}

void LockOverlayView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), theme::windowBackground());
}

void LockOverlayView::setState(const LockOverlayState& state, std::function<void()> onUnlock) {
    const bool statusChanged = !state_ || !(state_->status == state.status);
    const bool targetChanged = !state_ || !(state_->target == state.target);
    onUnlock_ = std::move(onUnlock);
    state_ = state;
    name_->setText(QString::fromStdString(state.target.displayName));
    if (statusChanged) {
        rebuildStatusBlock(state.status);
        updateButton(state.status);
    }
    fitToSize();
    if (targetChanged || statusChanged)
        updateIcon(state.target, state.status);
    if (!statusChanged)
        return;
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

void LockOverlayView::updateIcon(const MacLockTarget& target,
                                 const LockOverlayState::Status& status) {
    iconSaturation_ = isRequestInFlight(status) ? 0.4 : 1.0;
    // The generic "app" symbol is drawn in the text colour: it is drawn again in a new scheme.
    theme::setPicture(icon_, [this, target, saturation = iconSaturation_] {
        const QIcon icon = icons_ ? icons_(target) : QIcon();
        return saturated(icon.pixmap(icon_->size(), devicePixelRatioF()), saturation);
    });
}

void LockOverlayView::updateButton(const LockOverlayState::Status& status) {
    button_->setPresentation(LockOverlayActionPresentation(status));
}

void LockOverlayView::rebuildStatusBlock(const LockOverlayState::Status& status) {
    qDeleteAll(elements_);
    elements_.clear();
    message_ = nullptr;
    const auto addMessage = [this](const QString& text) {
        message_ = plainLabel(text, statusBlock_);
        message_->setObjectName("mac-lock-status-message");
        theme::setForeground(message_, Ink::secondary);
        setBaseFont(message_, theme::font(theme::TextStyle::callout));
        elements_ << message_;
    };
    switch (status.kind) {
        case Kind::locked: {
            auto* pill =
                symbolRow(QStringLiteral("ロック中"), "lock.fill", Ink::secondary,
                          theme::font(theme::TextStyle::callout, QFont::Medium), statusBlock_);
            pill->setCapsule(QMargins(12, 6, 12, 6));
            pill->label()->setObjectName("mac-lock-status-title");
            elements_ << pill;
            addMessage(QStringLiteral("解除するには、iPhoneでミッションをクリアしてください。"));
            break;
        }
        case Kind::requesting:
        case Kind::confirmingIPhoneDelivery:
        case Kind::waitingForIPhone: {
            const LockOverlayStatusPresentation presentation(status);
            auto* spinner = new ui::BusyIndicator(kSymbolSide);
            spinner->setObjectName("mac-lock-spinner");
            auto* row = new LockOverlayStatusRow(
                spinner, QString::fromStdString(presentation.title), 10, statusBlock_);
            QLabel* title = row->label();
            title->setObjectName("mac-lock-status-title");
            title->setProperty("prominent", presentation.isTitleProminent);
            theme::setForeground(title,
                                 presentation.isTitleProminent ? Ink::primary : Ink::secondary);
            setBaseFont(title, theme::font(theme::TextStyle::body));
            elements_ << row;
            if (presentation.message)
                addMessage(QString::fromStdString(*presentation.message));
            break;
        }
        case Kind::approved: {
            auto* row = symbolRow(QStringLiteral("解除されました"), "checkmark.circle.fill",
                                  Ink::green, theme::font(theme::TextStyle::body), statusBlock_);
            row->label()->setObjectName("mac-lock-status-title");
            elements_ << row;
            break;
        }
        case Kind::failed: {
            // Long messages take the width there is, up to 420, and wrap there, centred, the symbol
            // right beside them.
            auto* row =
                symbolRow(QString::fromStdString(status.message), "exclamationmark.triangle.fill",
                          Ink::orange, theme::font(theme::TextStyle::body), statusBlock_);
            row->label()->setObjectName("mac-lock-status-title");
            row->setMaximumTextWidth(kFailureWidth);
            elements_ << row;
            break;
        }
    }
    for (QWidget* element : elements_)
        element->show();
}

}  // namespace quorvel
