// A second process for the tests of distributed notifications.
//
//   quorvel-notification-peer observe NAME...   prints "ready" once observing, then each name
//                                               it is told of, one a line; ends at end of input
//   quorvel-notification-peer post NAME...      posts each name in order, then ends
//   quorvel-notification-peer install           installs the poster; says why it cannot
//
// Any failure goes to standard error and ends the program with status 2.
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QSocketNotifier>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "QuorvelPlatform/notifications/dbus_notification_poster.hpp"
#include "QuorvelPlatform/notifications/distributed_notification_observer.hpp"
#include "QuorvelShared/support/notifications.hpp"

namespace {

using namespace quorvel;

void say(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

int observe(QCoreApplication& app, const std::vector<std::string>& names) {
    std::vector<std::unique_ptr<DistributedNotificationObserver>> observers;
    for (const std::string& name : names) {
        observers.push_back(
            std::make_unique<DistributedNotificationObserver>(name, [name] { say(name); }));
    }
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&app, &input] {
        char buffer[256];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0) {
            input.setEnabled(false);
            app.quit();
        }
    });
    say("ready");
    return app.exec();
}

int post(const std::vector<std::string>& names) {
    installDBusNotificationPoster();
    for (const std::string& name : names) {
        postNotification(name);
    }
    // The signals leave in order ahead of this call: once it is answered they are on the bus.
    QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
        "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus.Peer", "Ping"));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (!args.empty() && args[0] == "observe") {
            return observe(app, {args.begin() + 1, args.end()});
        }
        if (!args.empty() && args[0] == "post") {
            return post({args.begin() + 1, args.end()});
        }
        if (args.size() == 1 && args[0] == "install") {
            installDBusNotificationPoster();
            say("installed");
            return 0;
        }
        std::fputs("usage: quorvel-notification-peer observe|post NAME... | install\n", stderr);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
    }
    return 2;
}
