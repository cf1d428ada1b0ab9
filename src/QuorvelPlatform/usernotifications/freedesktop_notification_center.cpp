#include "QuorvelPlatform/usernotifications/freedesktop_notification_center.hpp"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusReply>
#include <QVariantMap>

namespace quorvel {

namespace {
const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString interface = QStringLiteral("org.freedesktop.Notifications");
}  // namespace

FreedesktopNotificationCenter::FreedesktopNotificationCenter(const QString& applicationName,
                                                             QObject* parent)
    : QObject(parent),
      bus_(QDBusConnection::sessionBus()),
      applicationName_(applicationName),
      deadlines_(new BootClockDeadlines(this)) {}

bool FreedesktopNotificationCenter::hasServer() const {
    if (!bus_.isConnected() || !bus_.interface())
        return false;
    if (bus_.interface()->isServiceRegistered(service).value())
        return true;
    // Most desktops' servers (dunst, xfce4-notifyd, mate-notification-daemon) are started by the
    // bus on first use: until then the name has no owner, and our Notify call is what starts one.
    const QDBusReply<QStringList> activatable = bus_.interface()->activatableServiceNames();
    return activatable.isValid() && activatable.value().contains(service);
}

void FreedesktopNotificationCenter::schedule(const std::string& identifier,
                                             const std::string& title, const std::string& body,
                                             double delaySeconds) {
    remove(identifier);
    // remove() cancels the deadline, so the one that runs is the identifier's current one.
    pending_[identifier] = deadlines_->after(delaySeconds, [this, identifier, title, body] {
        pending_.erase(identifier);
        show(identifier, title, body);
    });
}

void FreedesktopNotificationCenter::show(const std::string& identifier, const std::string& title,
                                         const std::string& body) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("sound-name"), QStringLiteral("message-new-instant")}};
    call << applicationName_ << 0u << QString() << QString::fromStdString(title)
         << QString::fromStdString(body) << QStringList() << hints << -1;
    const unsigned long long generation = generation_[identifier];
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, identifier, generation](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                QDBusPendingReply<unsigned> reply = *w;
                const unsigned id = reply.isError() ? 0u : reply.value();
                if (id != 0 && generation_[identifier] != generation) {
                    // Withdrawn while the server was answering.
                    bus_.call(QDBusMessage::createMethodCall(service, path, interface,
                                                             QStringLiteral("CloseNotification"))
                                  << id,
                              QDBus::NoBlock);
                    return;
                }
                if (id != 0)
                    shown_[identifier] = id;
                Q_EMIT shown(QString::fromStdString(identifier), id);
            });
}

void FreedesktopNotificationCenter::remove(const std::string& identifier) {
    ++generation_[identifier];
    auto pending = pending_.find(identifier);
    if (pending != pending_.end()) {
        deadlines_->cancel(pending->second);
        pending_.erase(pending);
    }
    auto shown = shown_.find(identifier);
    if (shown != shown_.end()) {
        QDBusMessage close = QDBusMessage::createMethodCall(service, path, interface,
                                                            QStringLiteral("CloseNotification"));
        close << shown->second;
        bus_.call(close, QDBus::NoBlock);
        shown_.erase(shown);
    }
}

unsigned FreedesktopNotificationCenter::serverId(const std::string& identifier) const {
    auto found = shown_.find(identifier);
    return found == shown_.end() ? 0u : found->second;
}

}  // namespace quorvel

#include "moc_freedesktop_notification_center.cpp"
