#pragma once

// Small helpers the views share: text conversion, emptying a rebuilt list, and symbol buttons.
#include <string>

#include <QString>

class QLayout;
class QPushButton;
class QWidget;

namespace quorvel::ui {

inline QString qs(const std::string& text) { return QString::fromStdString(text); }

// Deletes every item of the layout, nested layouts and widgets included.
void clearLayout(QLayout* layout);

enum class ButtonStyle { plain, bordered, prominent };
// A push button with a symbol; `prominent` is the default (accent) button of its row.
QPushButton* makeButton(const QString& title, const QString& systemImage, ButtonStyle style,
                        QWidget* parent = nullptr);
QPushButton* makeButton(const QString& title, ButtonStyle style, QWidget* parent = nullptr);

}  // namespace quorvel::ui
