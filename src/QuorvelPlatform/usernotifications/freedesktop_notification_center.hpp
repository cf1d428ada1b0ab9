#pragma once
// Notifications for the user through the desktop's notification server
// (org.freedesktop.Notifications on the session bus), shown after a delay counted on the boot
// clock, with the freedesktop sound "message-new-instant". Each notification has an identifier
// of ours; the server's own id for it is kept, so that the notification can be withdrawn while
// pending or closed once shown.
#include <QDBusConnection>
#include <QObject>
#include <map>
#include <string>

#include "QuorvelPlatform/timers/boot_clock_deadlines.hpp"

namespace quorvel {

class FreedesktopNotificationCenter final : public QObject {
    Q_OBJECT
public:
    // Uses the session bus of the program's application object.
    explicit FreedesktopNotificationCenter(const QString& applicationName,
                                           QObject* parent = nullptr);

    // Whether a notification server owns its name on the bus, or the bus can start one.
    bool hasServer() const;

    // Shows the notification after `delaySeconds`, replacing any earlier one of `identifier`.
    // Throws std::system_error when the timer cannot be set.
    void schedule(const std::string& identifier, const std::string& title, const std::string& body,
                  double delaySeconds);

    // A pending notification never shows; a shown one is closed.
    void remove(const std::string& identifier);

    // The server's id of the shown notification, 0 when none is known.
    unsigned serverId(const std::string& identifier) const;

Q_SIGNALS:
    // The server accepted the notification (or refused it: id 0).
    void shown(const QString& identifier, unsigned serverId);

private:
    void show(const std::string& identifier, const std::string& title, const std::string& body);

    QDBusConnection bus_;
    QString applicationName_;
    // Notifications waiting for their time, all on one boot-clock timer.
    BootClockDeadlines* deadlines_;
    std::map<std::string, BootClockDeadlines::Id> pending_;
    std::map<std::string, unsigned> shown_;
    // Raised by remove() so that a reply arriving later is closed at once.
    std::map<std::string, unsigned long long> generation_;
};

}  // namespace quorvel
