#pragma once

// Freedesktop symbolic icons drawn in one colour.
#include <QColor>
#include <QIcon>
#include <QString>
#include <functional>

namespace quorvel::ui::theme {

// An icon that draws the symbolic icon `shape` in the colour `colour` gives each time it is drawn,
// keeping only its shape (its alpha); dimmed in the disabled mode. Its name is `iconName`. A null
// shape draws a thin ring, so a symbol is never blank.
QIcon tintedSymbolIcon(const QString& iconName, const QIcon& shape, std::function<QColor()> colour);

}  // namespace quorvel::ui::theme
