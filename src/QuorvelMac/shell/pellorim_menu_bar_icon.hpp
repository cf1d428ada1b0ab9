#pragma once

// The tray icon: a circle broken on both sides, with an exclamation mark while setup still needs
// attention, or a slash while some target is unlocked for now.
#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPalette>
#include <QString>
#include <map>
#include <string>

#include "QuorvelMac/model/mac_setup_status.hpp"
#include "QuorvelShared/support/date.hpp"

namespace quorvel {

namespace PellorimMenuBarIcon {

enum class State { normal, attention, allowing };

// Setup incomplete (any of the first three steps) wins over an open allow window; the browser
// step is not looked at.
State state(const MacSetupStatus& setup, const std::map<std::string, Date>& activeAllowWindows);

// An 18 x 18 point drawing at the device pixel ratio, in `ink` on a transparent ground: the tray
// has no template images, so the caller passes the colour that reads on the panel. A `halo` that
// is not transparent lines every edge of the glyph, so that it reads on a tray whose shade the
// caller does not know.
QImage image(State state, qreal devicePixelRatio = 1.0, QColor ink = Qt::black,
             QColor halo = Qt::transparent);

// The halo for glyphs in `ink`: the palette's window or text colour, whichever stands out more
// from the ink.
QColor haloFor(const QColor& ink, const QPalette& palette);

// The symbolic icon of the state in the hicolor theme ("app.quorvel.mac-symbolic",
// "app.quorvel.mac-attention-symbolic", "app.quorvel.mac-allowing-symbolic"), which a desktop
// that knows the name colours for its panel.
QString iconName(State state);

// The tray's icon: named as above, and drawn as `image` in `ink` with its `halo` wherever the
// desktop takes the pixels instead of the name (an XEmbed tray, a panel without our icon in its
// theme).
QIcon icon(State state, QColor ink, QColor halo);

}  // namespace PellorimMenuBarIcon
}  // namespace quorvel
