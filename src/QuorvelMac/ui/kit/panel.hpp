#pragma once

// The two panel looks every card shares: raised (control background, faint shadow, separator
// border) and tinted (the tint at low opacity, a border of the same tint). Radius 12. Both are
// painted in the palette's colours of the moment.
#include <QColor>
#include <QWidget>

#include "QuorvelMac/ui/kit/palette_colours.hpp"

class QVBoxLayout;

namespace quorvel::ui {

class Panel : public QWidget {
    Q_OBJECT

public:
    enum class Look { raised, tinted };

    // The body is a leading-aligned vertical stack with the given padding and spacing that
    // stretches to the full available width.
    Panel(Look look, theme::Ink tint, int padding, int spacing, QWidget* parent);

    QVBoxLayout* body() const { return body_; }
    Look look() const { return look_; }
    theme::Ink tint() const { return tint_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Look look_;
    theme::Ink tint_;
    QVBoxLayout* body_;
};

}  // namespace quorvel::ui
