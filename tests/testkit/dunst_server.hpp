#pragma once

// dunst, the desktop's real notification server, started by a test on the session's bus and
// display with a configuration of the test's own, and ended with the object. Header-only, so that
// the test kit itself stays free of Qt.
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <filesystem>

#include "testkit/qt_wait.hpp"

namespace quorvel::testkit {

class DunstServer {
public:
    explicit DunstServer(const std::filesystem::path& config) {
        process_.setStandardOutputFile(QProcess::nullDevice());
        process_.setStandardErrorFile(QProcess::nullDevice());
        process_.start("dunst", {"-config", QString::fromStdString(config.string())});
    }

    // A server that ignores the request to end is killed: the next test's server must be able
    // to own the bus name.
    ~DunstServer() {
        process_.terminate();
        if (!process_.waitForFinished(10'000)) {
            process_.kill();
            process_.waitForFinished(qtPatienceMs);
        }
    }

    DunstServer(const DunstServer&) = delete;
    DunstServer& operator=(const DunstServer&) = delete;

    // True once dunst owns the notification service's name on the session bus.
    bool waitUntilServing() {
        return process_.waitForStarted(qtPatienceMs) && runLoopUntil([] {
                   return QDBusConnection::sessionBus()
                       .interface()
                       ->isServiceRegistered("org.freedesktop.Notifications")
                       .value();
               });
    }

private:
    QProcess process_;
};

}  // namespace quorvel::testkit
