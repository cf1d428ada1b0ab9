#pragma once

// The main action of a row: white text and symbol on a solid accent fill (contrast above 4.5:1),
// darker while hovered or pressed, and plainly grey while disabled. Drawn by itself, since the
// desktop's style lightens a button's colour into a gradient that white text no longer reads on.
#include <QPushButton>

namespace quorvel::ui {

class ProminentButton : public QPushButton {
    Q_OBJECT

public:
    explicit ProminentButton(const QString& text, QWidget* parent = nullptr);

    // The symbol drawn before the text, in the text's colour; empty for none.
    void setSymbol(const QString& systemImage);
    QString symbol() const { return symbol_; }

    // The colours drawn in the button's present state.
    QColor fillColour() const;
    QColor textColour() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString symbol_;
};

}  // namespace quorvel::ui
