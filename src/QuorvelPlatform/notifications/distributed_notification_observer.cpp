#include "QuorvelPlatform/notifications/distributed_notification_observer.hpp"

#include <QDBusMessage>
#include <QStringList>

#include "QuorvelPlatform/notifications/distributed_notification_bus.hpp"

namespace quorvel {
namespace {

const char* const postedSlot = SLOT(onPosted(QString));

}  // namespace

DistributedNotificationObserver::DistributedNotificationObserver(const std::string& name,
                                                                 std::function<void()> handler,
                                                                 QObject* parent)
    : QObject(parent),
      name_(name),
      matchedName_(QString::fromStdString(name)),
      handler_(std::move(handler)),
      bus_(notificationbus::connectedSessionBus()) {
    notificationbus::checkName(matchedName_);
    if (!bus_.connect(QString(), notificationbus::objectPath, notificationbus::interfaceName,
                      notificationbus::signalName, QStringList{matchedName_}, QStringLiteral("s"),
                      this, postedSlot)) {
        throw Error<DistributedNotificationError>(
            DistributedNotificationError::noSessionBus,
            "cannot observe \"" + name +
                "\" on the session bus: " + bus_.lastError().message().toStdString());
    }
    // The match rule goes out ahead of this call on the same connection, and the bus handles
    // one connection's messages in order: once the reply is here, the rule is in force, so a
    // post that any process makes after this constructor returns cannot slip past the observer.
    const QDBusMessage ping = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping"));
    const QDBusMessage reply = bus_.call(ping);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        bus_.disconnect(QString(), notificationbus::objectPath, notificationbus::interfaceName,
                        notificationbus::signalName, QStringList{matchedName_}, QStringLiteral("s"),
                        this, postedSlot);
        throw Error<DistributedNotificationError>(
            DistributedNotificationError::noSessionBus,
            "the session bus does not answer while observing \"" + name +
                "\": " + reply.errorMessage().toStdString());
    }
}

DistributedNotificationObserver::~DistributedNotificationObserver() {
    bus_.disconnect(QString(), notificationbus::objectPath, notificationbus::interfaceName,
                    notificationbus::signalName, QStringList{matchedName_}, QStringLiteral("s"),
                    this, postedSlot);
}

void DistributedNotificationObserver::onPosted(const QString& name) {
    // The bus already filters on the name; checking again costs nothing and keeps a broader
    // rule elsewhere in this process from reaching the handler.
    if (name == matchedName_ && handler_) {
        handler_();
    }
}

}  // namespace quorvel

#include "moc_distributed_notification_observer.cpp"
