#include "QuorvelNativeHost/host/host_main.hpp"

#include <QCoreApplication>

#include <unistd.h>
#include <csignal>
#include <exception>
#include <memory>

#include "QuorvelNativeHost/host/host_loop.hpp"
#include "QuorvelPlatform/notifications/dbus_notification_poster.hpp"

namespace quorvel::host {
namespace {

// Stands in for the bus poster when the session bus could not be reached at start: only unlock
// requests post, and each of them then fails with the reason instead of the whole host.
class UnreachableBusPoster final : public NotificationPoster {
public:
    explicit UnreachableBusPoster(std::exception_ptr reason) : reason_(std::move(reason)) {}
    void post(std::string_view) override { std::rethrow_exception(reason_); }

private:
    std::exception_ptr reason_;
};

void installPoster() {
    try {
        installDBusNotificationPoster();
    } catch (...) {
        installNotificationPoster(std::make_shared<UnreachableBusPoster>(std::current_exception()));
    }
}

}  // namespace

int runHost(int argc, char** argv) {
    // A browser that closed its end makes writes fail with EPIPE instead of killing the host.
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication application(argc, argv);
    installPoster();
    HostLoop loop(STDIN_FILENO, STDOUT_FILENO);
    loop.start();
    return QCoreApplication::exec();
}

}  // namespace quorvel::host
