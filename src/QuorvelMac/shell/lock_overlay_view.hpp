#pragma once

// What the lock panel shows: the whole panel in the window background colour and, in its
// centre, a card with the locked application's icon and name, the unlock request's status and
// the one button that sends (or sends again) the request. Rebuilt from each new state.
#include <QWidget>
#include <functional>
#include <optional>

#include "QuorvelMac/model/overlay_state.hpp"
#include "QuorvelMac/shell/lock_overlay_action_button.hpp"

class QLabel;
class QVBoxLayout;

namespace quorvel {

class LockOverlayView final : public QWidget {
    Q_OBJECT
public:
    using IconSource = std::function<QIcon(const MacLockTarget&)>;
    explicit LockOverlayView(IconSource icons, QWidget* parent = nullptr);

    // Over a small window the card's margins, spacing and icon shrink, one step at a time, until
    // its texts and button fit whole; the given sizes are the largest it takes.
    struct Spacing {
        int outer, paddingX, paddingY, spacing, icon, element;
    };

    void setState(const LockOverlayState& state, std::function<void()> onUnlock);
    const std::optional<LockOverlayState>& state() const { return state_; }

    LockOverlayActionButton* unlockButton() const { return button_; }
    QWidget* statusBlock() const { return statusBlock_; }
    QLabel* iconLabel() const { return icon_; }
    QLabel* nameLabel() const { return name_; }
    // The colour saturation the icon is drawn with (0.4 while a request is on its way).
    double iconSaturation() const { return iconSaturation_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void rebuildStatusBlock(const LockOverlayState::Status& status);
    void updateButton(const LockOverlayState::Status& status);
    void updateIcon(const MacLockTarget& target, const LockOverlayState::Status& status);
    void applySpacing(const Spacing& spacing);
    bool fits(const Spacing& spacing) const;
    void fitToSize();

    IconSource icons_;
    std::optional<LockOverlayState> state_;
    std::function<void()> onUnlock_;
    QWidget* card_;
    QLabel* icon_;
    QLabel* name_;
    QWidget* statusBlock_;
    QVBoxLayout* statusLayout_;
    QVBoxLayout* outer_;
    QVBoxLayout* stack_;
    int elementHeight_ = 52;
    LockOverlayActionButton* button_;
    double iconSaturation_ = 1.0;
};

}  // namespace quorvel
