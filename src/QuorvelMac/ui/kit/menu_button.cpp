#include "QuorvelMac/ui/kit/menu_button.hpp"

#include <QStyleOptionToolButton>
#include <QStylePainter>

namespace quorvel::ui {

MenuButton::MenuButton(const QIcon& symbol, QWidget* parent) : QToolButton(parent) {
    setIcon(symbol);
    setAutoRaise(true);
    setPopupMode(QToolButton::InstantPopup);
}

void MenuButton::initWithoutArrow(QStyleOptionToolButton* option) const {
    initStyleOption(option);
    option->features &=
        ~(QStyleOptionToolButton::HasMenu | QStyleOptionToolButton::MenuButtonPopup);
}

QSize MenuButton::sizeHint() const {
    ensurePolished();
    QStyleOptionToolButton option;
    initWithoutArrow(&option);
    return style()->sizeFromContents(QStyle::CT_ToolButton, &option, iconSize(), this);
}

void MenuButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initWithoutArrow(&option);
    painter.drawComplexControl(QStyle::CC_ToolButton, option);
}

}  // namespace quorvel::ui
