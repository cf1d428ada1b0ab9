#pragma once

// The one place where the interface's colours, text styles and symbols are chosen. Everything
// else asks here, so the panes share one visual language.
#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QString>

class QLabel;
class QWidget;

namespace quorvel::ui::theme {

QColor green();
QColor orange();
QColor red();
QColor blue();
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

// The icon standing for a symbol name of the design ("lock.fill", "globe"...): a freedesktop
// theme icon where the desktop has one, else a drawn stand-in, so that no symbol is ever blank.
QIcon symbol(const QString& name);
// The symbol drawn in one colour (its shape kept, its own colours replaced).
QPixmap tintedSymbol(const QString& name, int side, const QColor& colour);

// Sets a label's text colour through its palette (style sheets would defeat font roles).
void setForeground(QWidget* widget, const QColor& colour);
// A label that wraps and can be read by tests through its text.
QLabel* makeLabel(const QString& text, TextStyle style, const QColor& colour, QWidget* parent);

}  // namespace quorvel::ui::theme
