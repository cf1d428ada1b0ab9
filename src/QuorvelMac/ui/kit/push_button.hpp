#pragma once

// The one button family of the views: a rounded shape, the symbol (if any) 6 before the title,
// 12 of room at each side. Prominent: the accent fill under its own readable text, the row's main
// action. Bordered: the palette's button colour inside a separator line. Plain: no shape until
// hovered, its content leading. All darken while hovered or pressed and take the palette's
// disabled colours when disabled. Drawn by the kit with the palette's colours at paint time, since
// the desktop's style draws gradients that white text no longer reads on and sets symbols
// against their text.
#include <QPushButton>

namespace quorvel::ui {

enum class ButtonStyle { plain, bordered, prominent };

class PushButton : public QPushButton {
    Q_OBJECT

public:
    PushButton(const QString& title, ButtonStyle style, QWidget* parent = nullptr);

    ButtonStyle buttonStyle() const { return style_; }
    // The symbol drawn before the title, in the title's colour; empty for none.
    void setSymbol(const QString& systemImage);
    QString symbol() const { return symbol_; }

    // The colours drawn in the button's present state (the fill transparent for a plain button
    // at rest).
    QColor fillColour() const;
    QColor textColour() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int contentWidth() const;

    ButtonStyle style_;
    QString symbol_;
};

}  // namespace quorvel::ui
