#pragma once

// Freedesktop symbolic icons: finding one in an icon theme, and drawing it in one colour.
#include <QColor>
#include <QIcon>
#include <QString>
#include <QStringList>
#include <functional>

namespace quorvel::ui::theme {

// The theme whose symbolic icons stand in wherever the user's theme has none: Debian's
// adwaita-icon-theme, which the program depends on.
inline constexpr const char* packagedSymbolTheme = "Adwaita";

// The file of the icon `iconName` in the icon theme `themeName` or the themes it inherits
// (hicolor last), looked up in the theme folders under `searchPaths`; in each theme scalable
// drawings come before bitmaps. Empty when none of them has it.
QString findThemeIcon(const QString& iconName, const QString& themeName,
                      const QStringList& searchPaths);

// The program's own drawings, in the same manner, of the few symbols the packaged set lacks (a
// plain globe, a chain link, a QR viewfinder), built into the program under this folder.
inline constexpr const char* ownSymbolFolder = ":/quorvel/symbols";

// The user's icon theme (Qt's current one) first, then the packaged set, then the program's
// own drawings. Remembered per theme and name for the life of the process.
QString findSymbolicIcon(const QString& iconName);

// Where icon themes live: Qt's search paths and the XDG data folders' "icons".
QStringList iconSearchPaths();

// An icon that draws the file (SVG or bitmap) in the colour `colour` gives each time it is drawn,
// keeping only its shape (its alpha); dimmed in the disabled mode. Its name is the file's icon
// name. An empty file draws a thin ring, so a symbol is never blank.
QIcon tintedSymbolIcon(const QString& file, std::function<QColor()> colour);

}  // namespace quorvel::ui::theme
