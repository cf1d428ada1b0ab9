#pragma once

// Small helpers the views share: text conversion, emptying a rebuilt list, and symbol buttons.
#include <string>

#include <QString>

#include "QuorvelMac/ui/kit/palette_colours.hpp"
#include "QuorvelMac/ui/kit/push_button.hpp"

class QLayout;
class QPushButton;
class QWidget;

namespace quorvel::ui {

inline QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

// A text made from data (a target's name) as the title of a button or a menu item: there a "&"
// marks the next letter as the shortcut and is not drawn, so it is doubled to stay as it is.
inline QString actionText(const std::string& text) {
    return QString::fromStdString(text).replace(QLatin1Char('&'), QLatin1String("&&"));
}

// Deletes every item of the layout, nested layouts and widgets included.
void clearLayout(QLayout* layout);

// A wrapping label with a symbol before it, both in one ink; the text label is named
// "message", the holder carries the symbol's name in its "systemImage" property.
QWidget* makeSymbolLabel(const QString& text, const QString& symbol, theme::Ink ink,
                         QWidget* parent);

// A button of the kit's one family (`PushButton`) with a symbol; `prominent` is the main
// (accent) button of its row.
QPushButton* makeButton(const QString& title, const QString& systemImage, ButtonStyle style,
                        QWidget* parent = nullptr);
QPushButton* makeButton(const QString& title, ButtonStyle style, QWidget* parent = nullptr);

}  // namespace quorvel::ui
