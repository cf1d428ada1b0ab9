#pragma once
// What the model needs of the world outside it. The program passes the real ones (the shell's
// daemon launcher and accessibility probe, the Linux services of this folder's
// platform_services.hpp); the tests pass fakes or the same real ones over temporary folders.
#include <functional>
#include <memory>
#include <string>

namespace quorvel {

// Starts the Bluetooth bridge daemon, the second program, as a child of the application.
class BridgeDaemonLauncher {
public:
    virtual ~BridgeDaemonLauncher() = default;
    // Launches the child unless it runs already. A launch failure throws a std::exception whose
    // what() is the text shown to the user.
    virtual void start() = 0;
};

// Whether the application can watch and cover other programs' windows (an X11 session whose
// window manager announces the active window).
class AccessibilityProbe {
public:
    virtual ~AccessibilityProbe() = default;
    // `prompt` true may explain to the user what is missing; false never shows anything.
    virtual bool isTrusted(bool prompt) = 0;
    // Shows the user what the permission needs (an X11 session).
    virtual void openSettings() = 0;
};

// The application's registration to open at login.
class LoginItem {
public:
    enum class Status { notRegistered, enabled, requiresApproval, notFound };
    virtual ~LoginItem() = default;
    virtual Status status() = 0;
    // Both throw a std::exception whose what() is the text shown to the user.
    virtual void registerItem() = 0;
    virtual void unregisterItem() = 0;
};

// Notifications shown to the user by the desktop's notification server, delivered later.
class UserNotificationCenter {
public:
    virtual ~UserNotificationCenter() = default;
    // Whether notifications can be shown at all (a server is there). Never throws.
    virtual bool requestAuthorization() = 0;
    // Withdraws the notification with this identifier: a pending one never shows, a shown one is
    // closed. Never throws.
    virtual void removeNotification(const std::string& identifier) = 0;
    // Shows the notification after `delaySeconds` (counted on the boot clock, so suspend counts),
    // replacing any earlier one with the same identifier. Throws when it cannot be scheduled.
    virtual void schedule(const std::string& identifier, const std::string& title,
                          const std::string& body, double delaySeconds) = 0;
};

// Observation of the distributed notifications of the user's processes.
class DistributedNotificationCenter {
public:
    virtual ~DistributedNotificationCenter() = default;
    // Calls `handler` on a later turn of the main loop each time `name` is posted, until the
    // returned token is released. Throws when observation cannot start.
    virtual std::shared_ptr<void> addObserver(const std::string& name,
                                              std::function<void()> handler) = 0;
};

}  // namespace quorvel
