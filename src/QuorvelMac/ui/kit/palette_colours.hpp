#pragma once

// The interface's colours by what they mean, worked out from the application's current palette.
// Primary text is the palette's window text; secondary and tertiary text are that text moved
// towards the window colour until they reach their contrast, so the three never swap places;
// the tones start from a pair chosen for light or dark schemes and are darkened (light) or
// lightened (dark) until they read on the window, on cards and on their own pill fill; the
// accent is the palette's highlight, deepened until its highlighted text reads on it. Every text
// colour ends at 4.5:1 or more against every background the kit puts it on.
#include <QColor>

#include "QuorvelMac/ui/kit/tone.hpp"

namespace quorvel::ui::theme {

enum class Ink {
    // Text, in falling order of emphasis.
    primary,
    secondary,
    tertiary,
    // The tones, readable as text; blue also fills the web targets' tiles.
    green,
    orange,
    red,
    blue,
    // The fill of an inactive symbol tile (a white symbol on it).
    gray,
    // Translucent: lines between parts, and faint fills behind a label.
    separator,
    quaternary,
    // The fill of a main action and of the selected row, and the text that reads on it.
    accent,
    onAccent,
};

// The ink's colour in the palette the application has now.
QColor colour(Ink ink);
// The ink a status tone is drawn in: green, orange, red, or secondary text for neutral.
Ink inkOf(Tone tone);
// The opacity of a tone's own capsule behind its text.
inline constexpr double pillFillOpacity = 0.13;
// True when the window is darker than its text.
bool isDarkScheme();

// The contrast ratio of two opaque colours (1 to 21), as the web's accessibility rules count it.
double contrast(const QColor& a, const QColor& b);
// What a translucent colour looks like drawn over an opaque one.
QColor over(const QColor& fill, const QColor& background);

}  // namespace quorvel::ui::theme
