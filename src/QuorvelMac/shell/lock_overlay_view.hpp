#pragma once

// What the lock panel shows: the whole panel in the window background colour and, in its
// centre, a card with the locked application's icon and name, the unlock request's status and
// the one button that sends (or sends again) the request. Rebuilt from each new state; every
// colour is the theme's, so a change of scheme redraws it.
#include <QList>
#include <QWidget>
#include <functional>
#include <optional>

#include "QuorvelMac/model/overlay_state.hpp"
#include "QuorvelMac/shell/lock_overlay_action_button.hpp"

class QLabel;

namespace quorvel {

class LockOverlayView final : public QWidget {
    Q_OBJECT
public:
    using IconSource = std::function<QIcon(const MacLockTarget&)>;
    explicit LockOverlayView(IconSource icons, QWidget* parent = nullptr);

    // Over a small window the card steps down, one step at a time, until what it shows fits
    // whole: its margins, spacing, icon and type shrink, then the status message, the name and
    // the button's symbol give way (the status and the button's title always stay). The first
    // step's sizes are the design's, the largest the card takes.
    struct Step {
        int outer, paddingX, paddingY, spacing, icon, element, button;
        double nameScale;  // the name's type against the body text
        double textScale;  // every other text's type against its usual size
        bool message;      // the status block's second line
        bool name;
        bool buttonSymbol;
    };

    void setState(const LockOverlayState& state, std::function<void()> onUnlock);
    const std::optional<LockOverlayState>& state() const { return state_; }

    LockOverlayActionButton* unlockButton() const { return button_; }
    QWidget* statusBlock() const { return statusBlock_; }
    QLabel* iconLabel() const { return icon_; }
    QLabel* nameLabel() const { return name_; }
    // The colour saturation the icon is drawn with (0.4 while a request is on its way).
    double iconSaturation() const { return iconSaturation_; }
    // Which step the card is drawn at now, 0 being the largest.
    int step() const { return step_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void rebuildStatusBlock(const LockOverlayState::Status& status);
    void updateButton(const LockOverlayState::Status& status);
    void updateIcon(const MacLockTarget& target, const LockOverlayState::Status& status);
    void applyStep(const Step& step);
    // The card's height at the step (applied), for a card `width` wide.
    int cardHeight(const Step& step, int width) const;
    int elementHeight(const Step& step, QWidget* element, int inside) const;
    void placeCard(const Step& step, int width, int height);
    void fitToSize();

    IconSource icons_;
    std::optional<LockOverlayState> state_;
    std::function<void()> onUnlock_;
    QWidget* card_;
    QLabel* icon_;
    QLabel* name_;
    QWidget* statusBlock_;
    // The status block's elements, top down; the message (if any) may be left out.
    QList<QWidget*> elements_;
    QWidget* message_ = nullptr;
    LockOverlayActionButton* button_;
    double iconSaturation_ = 1.0;
    int step_ = 0;
};

}  // namespace quorvel
