#include "QuorvelMac/ui/kit/application_icon.hpp"

#include <QString>

#include "QuorvelMac/ui/kit/desktop_icons.hpp"
#include "QuorvelShared/support/application_identity.hpp"

namespace quorvel::ui {

QIcon applicationIcon() {
    const QString name = QString::fromUtf8(macApplicationId);
    const QIcon installed = theme::desktopIcon(name);
    return installed.isNull()
               ? QIcon(QStringLiteral(":/quorvel/icons/") + name + QStringLiteral(".svg"))
               : installed;
}

}  // namespace quorvel::ui
