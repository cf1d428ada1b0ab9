#include "QuorvelMac/ui/kit/application_icon.hpp"

#include <QString>

#include "QuorvelShared/support/application_identity.hpp"

namespace quorvel::ui {

QIcon applicationIcon() {
    const QString name = QString::fromUtf8(macApplicationId);
    return QIcon::fromTheme(
        name, QIcon(QStringLiteral(":/quorvel/icons/") + name + QStringLiteral(".svg")));
}

}  // namespace quorvel::ui
