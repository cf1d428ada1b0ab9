#pragma once

// The two panel looks every card shares: raised (control background, faint shadow, separator
// border) and tinted (the tint at low opacity, a border of the same tint). Radius 12.
#include <QColor>
#include <QWidget>

class QVBoxLayout;

namespace quorvel::ui {

class Panel : public QWidget {
    Q_OBJECT


public:
    enum class Look { raised, tinted };

    // The body is a leading-aligned vertical stack with the given padding and spacing that
    // stretches to the full available width.
    Panel(Look look, QColor tint, int padding, int spacing, QWidget* parent);

    QVBoxLayout* body() const { return body_; }
    Look look() const { return look_; }
    QColor tint() const { return tint_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Look look_;
    QColor tint_;
    QVBoxLayout* body_;
};

}  // namespace quorvel::ui
