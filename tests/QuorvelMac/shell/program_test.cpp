// QuorvelMac as a program: one instance per session, and a quit that releases the daemon
// launcher so that the Bluetooth status says the application has ended.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>

#include "QuorvelShared/bridge/ble_local_connection_store.hpp"
#include "QuorvelMac/shell/program_start.hpp"
#include "bus/private_bus.hpp"
#include "testkit/child_process.hpp"
#include "testkit/temp_xdg.hpp"
#include "testkit/x11/x11_harness.hpp"

namespace quorvel {
namespace {

using testkit::waitUntil;

class ProgramTest : public ::testing::Test {
protected:
    void start(QProcess& process) {
        ASSERT_TRUE(testkit::startInHome(process, QUORVEL_MAC, home.root()));
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

    first.terminate();
    ASSERT_TRUE(waitUntil([&] { return first.state() == QProcess::NotRunning; }));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
    const auto status = BLELocalConnectionStore::load();
    ASSERT_TRUE(status);
    EXPECT_EQ(status->status, BluetoothLinkState::stopped);
    EXPECT_EQ(status->detail, "Macアプリが終了しています");
    EXPECT_FALSE(nameOwned());
}

// Started with the small soft limit of open files some desktops give, the application raises it
// to the hard limit at once.
TEST_F(ProgramTest, RaisesItsOpenFileLimitToTheHardLimit) {
    // A bus of its own: no other instance to hand over to, and none to disturb.
    quorvel::testing::PrivateBus session(quorvel::testing::PrivateBus::Kind::session);
    QProcess application;
    application.setChildProcessModifier([] {
        rlimit limit{};
        ::getrlimit(RLIMIT_NOFILE, &limit);
        limit.rlim_cur = std::min<rlim_t>(256, limit.rlim_max);
        ::setrlimit(RLIMIT_NOFILE, &limit);
    });
    start(application);
    const auto pid = static_cast<pid_t>(application.processId());
    EXPECT_TRUE(waitUntil(
        [&] {
            const auto files = testkit::openFilesOf(pid);
            return !files.softLimit.empty() && files.softLimit == files.hardLimit;
        },
        std::chrono::seconds(60)));
    application.kill();
    application.waitForFinished();
}

}  // namespace
}  // namespace quorvel
