#include "QuorvelPlatform/notifications/distributed_notification_bus.hpp"

#include <QDBusError>

namespace quorvel::notificationbus {

QDBusConnection connectedSessionBus() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        const QDBusError error = bus.lastError();
        std::string reason = error.isValid() ? error.message().toStdString()
                                             : std::string("no session bus address is set");
        throw Error<DistributedNotificationError>(
            DistributedNotificationError::noSessionBus,
            "distributed notifications need the D-Bus session bus, which cannot be reached: " +
                reason);
    }
    return bus;
}

void checkName(const QString& name) {
    // A NUL would end the name on the bus early and so post (or match) a shorter, other name.
    if (name.isEmpty() || name.contains(u'\'') || name.contains(u'\\') || name.contains(QChar())) {
        throw Error<DistributedNotificationError>(
            DistributedNotificationError::invalidName,
            "not a distributed notification name: \"" + name.toStdString() + "\"");
    }
}

}  // namespace quorvel::notificationbus
