#pragma once

#include <QDBusConnection>
#include <memory>
#include <string_view>

#include "QuorvelShared/support/notifications.hpp"

namespace quorvel {

// Posts distributed notifications as session-bus signals. Thread-safe: any thread may post.
class DBusNotificationPoster final : public NotificationPoster {
public:
    // Connects to the session bus; throws Error<DistributedNotificationError>(noSessionBus)
    // naming the reason when there is none. Needs the program's QCoreApplication.
    [[nodiscard]] static std::shared_ptr<DBusNotificationPoster> connect();

    // Throws Error<DistributedNotificationError> when the name cannot travel or the bus refuses
    // the signal.
    void post(std::string_view name) override;

private:
    explicit DBusNotificationPoster(QDBusConnection bus) : bus_(std::move(bus)) {}

    QDBusConnection bus_;
};

// What each program calls at start: connects the poster and installs it for the shared code.
// Without a session bus it throws (see DBusNotificationPoster::connect) and installs nothing, so
// the program can say why and stop instead of losing every later notification.
void installDBusNotificationPoster();

}  // namespace quorvel
