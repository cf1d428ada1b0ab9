#pragma once

// The lock panel's one action: a filled blue rounded button with the action's symbol and title in
// white, dimmed while a request is under way. It paints itself, dimming included: an opacity
// effect nested inside the card's shadow effect left the button undrawn.
#include <QPushButton>

#include "QuorvelMac/shell/lock_overlay_presentation.hpp"

namespace quorvel {

class LockOverlayActionButton final : public QPushButton {
    Q_OBJECT
public:
    explicit LockOverlayActionButton(QWidget* parent = nullptr);

    void setPresentation(const LockOverlayActionPresentation& presentation);
    // 1.0 when the action is enabled, 0.55 when it is dimmed.
    double opacity() const { return opacity_; }
    // The button fills the width it is given, up to 320; a longer title is elided.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // The width the symbol and the whole title need, paddings included.
    int captionWidth() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString symbol_;
    double opacity_ = 1.0;
};

}  // namespace quorvel
