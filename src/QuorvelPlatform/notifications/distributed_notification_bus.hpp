#pragma once

// Where distributed notifications travel: every post is the session-bus signal
// Posted(s name) of one interface on one path, broadcast to every process of the user. Observers
// select their notification by matching the first argument, because the names contain dots and
// a hyphen and cannot be D-Bus member names.
#include <QDBusConnection>
#include <QString>

#include "QuorvelShared/support/typed_error.hpp"

namespace quorvel::notificationbus {

inline const QString objectPath = QStringLiteral("/app/quorvel/DistributedNotification");
inline const QString interfaceName = QStringLiteral("app.quorvel.DistributedNotification");
inline const QString signalName = QStringLiteral("Posted");

}  // namespace quorvel::notificationbus

namespace quorvel {

enum class DistributedNotificationError {
    // No session bus could be reached (no address, no daemon, refused connection).
    noSessionBus,
    // The bus refused to take the signal.
    postFailed,
    // A name that cannot be posted or matched (empty, with a quote or backslash, which a match
    // rule cannot carry, or with a NUL, which a D-Bus string cannot).
    invalidName,
};

namespace notificationbus {

// The session bus, connected; throws Error<DistributedNotificationError>(noSessionBus) naming
// the reason when there is none.
QDBusConnection connectedSessionBus();

// Throws Error<DistributedNotificationError>(invalidName) for a name that cannot travel.
void checkName(const QString& name);

}  // namespace notificationbus
}  // namespace quorvel
