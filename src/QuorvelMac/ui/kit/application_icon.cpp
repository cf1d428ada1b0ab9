#include "QuorvelMac/ui/kit/application_icon.hpp"

#include <QString>

namespace quorvel::ui {

QIcon applicationIcon() {
    return QIcon::fromTheme(QStringLiteral("app.quorvel.mac"),
                            QIcon(QStringLiteral(":/quorvel/icons/app.quorvel.mac.svg")));
}

}  // namespace quorvel::ui
