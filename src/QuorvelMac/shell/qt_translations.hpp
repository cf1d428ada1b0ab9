#pragma once

// Qt's own texts (the text fields' context menus, the standard buttons of dialogs) in Japanese,
// as every other text of the application is, whatever the desktop's language: Qt's catalogue
// from Debian's qt6-translations-l10n.
class QCoreApplication;

namespace quorvel {

// Installs the catalogue on the application; false, with Qt's English texts left in place, when
// it is not installed.
bool installJapaneseQtTranslations(QCoreApplication& application);

}  // namespace quorvel
