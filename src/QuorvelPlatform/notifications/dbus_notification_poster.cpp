#include "QuorvelPlatform/notifications/dbus_notification_poster.hpp"

#include <QDBusMessage>
#include <string>

#include "QuorvelPlatform/notifications/distributed_notification_bus.hpp"

namespace quorvel {

std::shared_ptr<DBusNotificationPoster> DBusNotificationPoster::connect() {
    return std::shared_ptr<DBusNotificationPoster>(
        new DBusNotificationPoster(notificationbus::connectedSessionBus()));
}

void DBusNotificationPoster::post(std::string_view name) {
    const QString text = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    if (text.toUtf8() != QByteArray(name.data(), static_cast<qsizetype>(name.size()))) {
        throw Error<DistributedNotificationError>(DistributedNotificationError::invalidName,
                                                  "a notification name must be UTF-8 text");
    }
    notificationbus::checkName(text);
    QDBusMessage signal = QDBusMessage::createSignal(
        notificationbus::objectPath, notificationbus::interfaceName, notificationbus::signalName);
    signal << text;
    if (!bus_.send(signal)) {
        throw Error<DistributedNotificationError>(
            DistributedNotificationError::postFailed,
            "the session bus did not take the notification \"" + std::string(name) +
                "\": " + bus_.lastError().message().toStdString());
    }
}

void installDBusNotificationPoster() {
    installNotificationPoster(DBusNotificationPoster::connect());
}

}  // namespace quorvel
