#pragma once

// The one place where the interface's colours, text styles and symbols are chosen. Everything
// else asks here, so the panes share one visual language.
#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QString>
#include <vector>

class QLabel;
class QWidget;

namespace quorvel::ui::theme {

QColor green();
QColor orange();
QColor red();
QColor blue();
// The fill of prominent buttons: white text on it reads at a contrast above 4.5:1.
QColor accent();
QColor gray();
// The grey of secondary and tertiary text.
QColor secondary();
QColor tertiary();
QColor primary();
QColor controlBackground();
QColor windowBackground();
QColor separator();

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
// drawing is monochrome and takes the colour it is given (the text colour when none).
QIcon symbol(const QString& name);
QIcon symbol(const QString& name, const QColor& colour);
// The symbol drawn in one colour at `side` points, at the screen's pixel density.
QPixmap tintedSymbol(const QString& name, int side, const QColor& colour);
// Every symbol name of the table, sorted; the symbolic icon a name maps to (empty when the
// name is unknown); the file that draws it here (empty when no theme has it).
std::vector<QString> symbolNames();
QString symbolicIconName(const QString& name);
QString symbolFile(const QString& name);

// Sets a label's text colour through its palette (style sheets would defeat font roles).
void setForeground(QWidget* widget, const QColor& colour);
// A label that wraps and can be read by tests through its text.
QLabel* makeLabel(const QString& text, TextStyle style, const QColor& colour, QWidget* parent);

}  // namespace quorvel::ui::theme
