#pragma once

// Views remember what a colour means, never its shade. Every setting made through these
// functions is made again, from the new palette, when the application's palette changes (the
// desktop switching between light and dark): label colours, palette roles, and the pictures of
// labels (tinted symbols and icons drawn in a scheme's colours). What the kit paints itself
// (pills, tiles, cards, buttons) asks for its colours while painting and only needs the repaint
// that the palette change brings anyway.
#include <QPalette>
#include <QPixmap>
#include <QString>
#include <functional>
#include <vector>

#include "QuorvelMac/ui/kit/palette_colours.hpp"

class QLabel;
class QObject;
class QWidget;

namespace quorvel::ui::theme {

// Runs `redraw` whenever the application's palette changes, for as long as `owner` lives; a
// second call for the same owner and `what` replaces the first.
void followScheme(QObject* owner, const QString& what, std::function<void()> redraw);

struct InkRole {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
    Ink ink;
};
// Sets the palette roles of `widget` to the inks' colours, now and after each change.
void setInks(QWidget* widget, const std::vector<InkRole>& roles);
// The text colour of a label, a button or a line (all colour groups alike).
void setForeground(QWidget* widget, Ink ink);
// The label's picture, drawn by `draw` now and again after each change.
void setPicture(QLabel* label, std::function<QPixmap()> draw);
// The label's picture is the symbol in the ink at `side` points; the label carries the symbol's
// name in its "systemImage" property.
void setSymbol(QLabel* label, const QString& name, int side, Ink ink);

}  // namespace quorvel::ui::theme
