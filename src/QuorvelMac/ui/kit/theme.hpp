#pragma once

// The one place where the interface's colours, text styles and symbols are chosen. Everything
// else asks here, so the panes share one visual language. Colours come from the application's
// current palette (`palette_colours.hpp`), and views that keep a colour keep its meaning
// (`scheme_follower.hpp`), so a change of scheme redraws them.
#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QString>
#include <vector>

#include "QuorvelMac/ui/kit/palette_colours.hpp"
#include "QuorvelMac/ui/kit/scheme_follower.hpp"

class QLabel;
class QWidget;

namespace quorvel::ui::theme {

// The inks' colours at this moment, by their usual names.
QColor green();
QColor orange();
QColor red();
QColor blue();
// The fill of prominent buttons and of the selected row, and the text on it (4.5:1 or more).
QColor accent();
QColor onAccent();
QColor gray();
QColor secondary();
QColor tertiary();
QColor primary();
QColor separator();
// The palette's base (cards, fields) and window colours.
QColor controlBackground();
QColor windowBackground();
// The lock panel's action: one blue in both schemes, under white text at 4.8:1.
QColor lockActionFill();
QColor lockActionText();

// Text styles, relative to the application's base font.
enum class TextStyle { body, callout, caption, headline, subheadline, title2, title3 };
QFont font(TextStyle style);
QFont font(TextStyle style, QFont::Weight weight);
// The system font at an absolute point size.
QFont systemFont(double pointSize, QFont::Weight weight);
// A monospaced font (codes, digits that must not jump).
QFont monospacedFont(double pointSize, QFont::Weight weight);

// The symbols of the design ("lock.fill", "globe"...), each drawn from a freedesktop symbolic
// icon: the user's icon theme where it has that symbolic icon, else Debian's Adwaita set. The
// drawing is monochrome and takes the colour it is given; an ink (primary text when none) is
// looked up each time the icon is drawn, so the icon follows the scheme.
QIcon symbol(const QString& name, Ink ink = Ink::primary);
QIcon symbol(const QString& name, const QColor& colour);
// The symbol drawn in one colour at `side` points, at the screen's pixel density.
QPixmap tintedSymbol(const QString& name, int side, const QColor& colour);
// Every symbol name of the table, sorted; the symbolic icon a name maps to (empty when the
// name is unknown); that icon as the desktop's icon themes have it, untinted (null when none has
// it).
std::vector<QString> symbolNames();
QString symbolicIconName(const QString& name);
QIcon symbolShape(const QString& name);

// A plain-text label that wraps, in the ink (kept through scheme changes).
QLabel* makeLabel(const QString& text, TextStyle style, Ink ink, QWidget* parent);

}  // namespace quorvel::ui::theme
