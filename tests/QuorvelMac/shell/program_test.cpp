// QuorvelMac as a program: one instance per session, and a quit that releases the daemon
// launcher so that the Bluetooth status says the application has ended.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>

#include "QuorvelShared/bridge/ble_local_connection_store.hpp"
#include "testkit/temp_xdg.hpp"
#include "testkit/x11/x11_harness.hpp"

namespace quorvel {
namespace {

using testkit::waitUntil;

class ProgramTest : public ::testing::Test {
protected:
    void start(QProcess& process) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", QString::fromStdString(home.root().string()));
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(QUORVEL_MAC, {});
        ASSERT_TRUE(process.waitForStarted(60000));
    }
    static bool nameOwned() {
        return QDBusConnection::sessionBus().interface()->isServiceRegistered("app.quorvel.mac");
    }

    testkit::TempXdgHome home;
};

TEST_F(ProgramTest, SecondStartHandsOverAndQuittingWritesStopped) {
    ASSERT_FALSE(nameOwned());
    QProcess first;
    start(first);
    ASSERT_TRUE(waitUntil([] { return nameOwned(); }));

    QProcess second;
    start(second);
    ASSERT_TRUE(waitUntil([&] { return second.state() == QProcess::NotRunning; }));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);

    ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
    ASSERT_TRUE(waitUntil([&] { return first.state() == QProcess::NotRunning; }));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
    const auto status = BLELocalConnectionStore::load();
    ASSERT_TRUE(status);
    EXPECT_EQ(status->status, "stopped");
    EXPECT_EQ(status->detail, "Macアプリが終了しています");
    EXPECT_FALSE(nameOwned());
}

}  // namespace
}  // namespace quorvel
