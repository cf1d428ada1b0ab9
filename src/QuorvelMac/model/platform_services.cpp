#include "QuorvelMac/model/platform_services.hpp"

#include "QuorvelPlatform/loginitem/xdg_autostart_entry.hpp"
#include "QuorvelPlatform/notifications/distributed_notification_observer.hpp"
#include "QuorvelPlatform/usernotifications/freedesktop_notification_center.hpp"

namespace quorvel {

XdgAutostartLoginItem::XdgAutostartLoginItem(std::filesystem::path executable, std::string id)
    : executable_(std::move(executable)), id_(std::move(id)) {}

LoginItem::Status XdgAutostartLoginItem::status() {
    return XdgAutostart::isRegistered(id_) ? Status::enabled : Status::notRegistered;
}

void XdgAutostartLoginItem::registerItem() {
    XdgAutostart::registerEntry(id_, "Pellorim", executable_);
}

void XdgAutostartLoginItem::unregisterItem() {
    XdgAutostart::unregisterEntry(id_);
}

DesktopUserNotificationCenter::DesktopUserNotificationCenter()
    : center_(std::make_unique<FreedesktopNotificationCenter>(QStringLiteral("Pellorim"))) {}

DesktopUserNotificationCenter::~DesktopUserNotificationCenter() = default;

bool DesktopUserNotificationCenter::requestAuthorization() {
    return center_->hasServer();
}

void DesktopUserNotificationCenter::removeNotification(const std::string& identifier) {
    center_->remove(identifier);
}

void DesktopUserNotificationCenter::schedule(const std::string& identifier,
                                             const std::string& title, const std::string& body,
                                             double delaySeconds) {
    center_->schedule(identifier, title, body, delaySeconds);
}

std::shared_ptr<void> DBusDistributedNotificationCenter::addObserver(
    const std::string& name, std::function<void()> handler) {
    auto observer = std::make_shared<DistributedNotificationObserver>(name, std::move(handler));
    return observer;
}

}  // namespace quorvel
