#pragma once

// Icons found as the desktop finds them, through Qt's icon-theme lookup pointed at the desktop's
// folders: the user's icon theme and the themes it inherits, then the packaged symbolic set
// (Qt's fallback theme), then hicolor; a name that no theme has is taken as a file from each XDG
// data folder's "pixmaps", then from the program's own symbol drawings. The folders follow the
// XDG variables as they are at each lookup.
#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QStringList>

namespace quorvel::ui::theme {

// The theme whose symbolic icons stand in wherever the user's theme has none: Debian's
// adwaita-icon-theme, which the program depends on.
inline constexpr const char* packagedSymbolTheme = "Adwaita";

// The program's own drawings of the few symbols the packaged set lacks (a plain globe, a chain
// link, a QR viewfinder), built into the program under this folder.
inline constexpr const char* ownSymbolFolder = ":/quorvel/symbols";

// The icon `name` (a theme name, never a path); a null icon when neither a theme nor a fallback
// folder has it.
QIcon desktopIcon(const QString& name);

// Where the lookup looks: the theme folders (~/.icons, then each XDG data folder's "icons") and
// the folders of names that no theme has.
QStringList iconThemeFolders();
QStringList iconFallbackFolders();

// The icon's largest drawing (its scalable one when it has one) fitted into `pixels` device
// pixels, centred on a transparent square of that size; null when the icon draws nothing. A
// theme that has the icon at 48 pixels only still fills a larger frame.
QPixmap fittedPixmap(const QIcon& icon, const QSize& pixels, QIcon::Mode mode = QIcon::Normal);

}  // namespace quorvel::ui::theme
