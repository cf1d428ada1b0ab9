#pragma once

// The lock panel's one action: a filled blue rounded button with the action's symbol and title in
// white, dimmed while a request is under way. It paints itself, dimming included: an opacity
// effect nested inside the card's shadow effect left the button undrawn. Where the panel is too
// narrow for the title on one line, the title wraps, centred, and the button grows to hold it:
// it is never cut. Assistive technology reads its title.
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
    // The least height of the button (44 in the largest step of the panel), and whether the
    // symbol is drawn (the smallest step leaves it out to keep the title on fewer lines).
    void setMinimumButtonHeight(int height);
    void setSymbolShown(bool shown);
    // The button fills the width it is given, up to 320.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    // The width the symbol and the whole title need on one line, paddings included.
    int captionWidth() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The width the title's lines take inside a button `width` wide, and what the symbol and its
    // spacing take beside them.
    int titleWidth(int width) const;
    int symbolWidth() const;

    QString symbol_;
    bool symbolShown_ = true;
    double opacity_ = 1.0;
    int minimumButtonHeight_;
};

}  // namespace quorvel
