#pragma once

// Small helpers the views share: text conversion, emptying a rebuilt list, and symbol buttons.
#include <string>

#include <QString>

class QColor;
class QLayout;
class QPushButton;
class QWidget;

namespace quorvel::ui {

inline QString qs(const std::string& text) { return QString::fromStdString(text); }

// A text made from data (a target's name) as the title of a button or a menu item: there a "&"
// marks the next letter as the shortcut and is not drawn, so it is doubled to stay as it is.
inline QString actionText(const std::string& text) {
    return QString::fromStdString(text).replace(QLatin1Char('&'), QLatin1String("&&"));
}

// Deletes every item of the layout, nested layouts and widgets included.
void clearLayout(QLayout* layout);

// A wrapping label with a symbol before it, both in one colour; the text label is named
// "message", the holder carries the symbol's name in its "systemImage" property.
QWidget* makeSymbolLabel(const QString& text, const QString& symbol, const QColor& colour,
                         QWidget* parent);

enum class ButtonStyle { plain, bordered, prominent };
// A push button with a symbol; `prominent` is the default (accent) button of its row.
QPushButton* makeButton(const QString& title, const QString& systemImage, ButtonStyle style,
                        QWidget* parent = nullptr);
QPushButton* makeButton(const QString& title, ButtonStyle style, QWidget* parent = nullptr);

}  // namespace quorvel::ui
