#pragma once

// A borderless button whose label is a symbol and which opens its menu when pressed. It draws
// the symbol alone: the small arrow a tool button adds for its menu would sit under the symbol.
#include <QToolButton>

namespace quorvel::ui {

class MenuButton : public QToolButton {
public:
    MenuButton(const QIcon& symbol, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void initWithoutArrow(QStyleOptionToolButton* option) const;
};

}  // namespace quorvel::ui
