#include "QuorvelNativeHost/host/host_main.hpp"

#include <QCoreApplication>

#include <unistd.h>
#include <csignal>
#include <memory>

#include "QuorvelNativeHost/host/host_loop.hpp"
#include "QuorvelPlatform/logging/log_categories.hpp"
#include "QuorvelPlatform/notifications/dbus_notification_poster.hpp"
#include "QuorvelPlatform/process/guarded_application.hpp"

namespace quorvel::host {
namespace {

// Only unlock requests post, so the session bus is reached on the first post rather than at
// start: a host that only answers questions never loads the bus machinery (time and memory of
// every browser connection), and a bus that is missing fails those requests with the reason
// instead of the whole host. A failed connection is tried again at the next post.
class OnFirstPostBusPoster final : public NotificationPoster {
public:
    void post(std::string_view name) override {
        if (!bus_)
            bus_ = DBusNotificationPoster::connect();
        bus_->post(name);
    }

private:
    std::shared_ptr<DBusNotificationPoster> bus_;
};

}  // namespace

int runHost(int argc, char** argv) {
    // A browser that closed its end makes writes fail with EPIPE instead of killing the host.
    std::signal(SIGPIPE, SIG_IGN);
    GuardedApplication<QCoreApplication> application(argc, argv);
    installQtLogSink();
    installNotificationPoster(std::make_shared<OnFirstPostBusPoster>());
    HostLoop loop(STDIN_FILENO, STDOUT_FILENO);
    loop.start();
    return QCoreApplication::exec();
}

}  // namespace quorvel::host
