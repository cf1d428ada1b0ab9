#pragma once
// The Linux services behind the model's collaborators that are not the shell's: the autostart
// login item, the desktop's notification server and distributed-notification observation.
#include <QObject>
#include <filesystem>
#include <memory>

#include "QuorvelMac/model/collaborators.hpp"
#include "QuorvelShared/support/application_identity.hpp"

namespace quorvel {

class FreedesktopNotificationCenter;

// The XDG autostart entry "<id>.desktop", by default the application's own id: present means
// enabled; approval is never asked for, so "requires approval" does not occur.
class XdgAutostartLoginItem final : public LoginItem {
public:
    explicit XdgAutostartLoginItem(std::filesystem::path executable,
                                   std::string id = std::string(macApplicationId));
    Status status() override;
    void registerItem() override;
    void unregisterItem() override;

private:
    std::filesystem::path executable_;
    std::string id_;
};

// Authorised when a notification server owns its name on the session bus or the bus can start
// one.
class DesktopUserNotificationCenter final : public UserNotificationCenter {
public:
    DesktopUserNotificationCenter();
    ~DesktopUserNotificationCenter() override;
    bool requestAuthorization() override;
    void removeNotification(const std::string& identifier) override;
    void schedule(const std::string& identifier, const std::string& title, const std::string& body,
                  double delaySeconds) override;
    FreedesktopNotificationCenter& center() { return *center_; }

private:
    std::unique_ptr<FreedesktopNotificationCenter> center_;
};

// Observers over the session bus's distributed notifications.
class DBusDistributedNotificationCenter final : public DistributedNotificationCenter {
public:
    std::shared_ptr<void> addObserver(const std::string& name,
                                      std::function<void()> handler) override;
};

}  // namespace quorvel
