// QuorvelMac as a program: one instance per session, a later start handing over to it, and a
// quit that releases the daemon launcher so that the Bluetooth status says the application has
// ended.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>

#include "QuorvelMac/shell/program_start.hpp"
#include "QuorvelShared/bridge/ble_local_connection_store.hpp"
#include "bus/private_bus.hpp"
#include "testkit/child_process.hpp"
#include "testkit/temp_xdg.hpp"
#include "testkit/x11/x11_harness.hpp"

namespace quorvel {
namespace {

using testkit::runLoopUntil;

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
    ASSERT_TRUE(runLoopUntil([] { return nameOwned(); }));

    QProcess second;
    start(second);
    ASSERT_TRUE(runLoopUntil([&] { return second.state() == QProcess::NotRunning; }));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);

    first.terminate();
    ASSERT_TRUE(runLoopUntil([&] { return first.state() == QProcess::NotRunning; }));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
    const auto status = BLELocalConnectionStore::load();
    ASSERT_TRUE(status);
    EXPECT_EQ(status->status, BluetoothLinkState::stopped);
    EXPECT_EQ(status->detail, "Macアプリが終了しています");
    EXPECT_FALSE(nameOwned());
}

// A second start while the first runs with its main window closed hands over: the first's
// window comes back on the screen, and the second ends without a window of its own.
TEST_F(ProgramTest, ASecondStartShowsTheFirstsMainWindowAndEnds) {
    testkit::X11Harness x11;
    QProcess first;
    start(first);
    const auto firstPid = static_cast<pid_t>(first.processId());
    // The window of the first program that a user sees: mapped, viewable, managed.
    const auto mainWindow = [&]() -> std::optional<xcb_window_t> {
        for (const auto& top : x11.mappedTopLevels()) {
            if (!top.overrideRedirect && x11.processOf(top.window) == firstPid)
                return top.window;
        }
        return std::nullopt;
    };
    std::optional<xcb_window_t> shown;
    ASSERT_TRUE(runLoopUntil([&] { return (shown = mainWindow()).has_value(); }))
        << "the first start showed no main window";
    ASSERT_TRUE(runLoopUntil([] { return nameOwned(); }));
    x11.askToClose(*shown);
    ASSERT_TRUE(runLoopUntil([&] { return !mainWindow(); })) << "the main window stayed open";

    QProcess second;
    start(second);
    ASSERT_TRUE(runLoopUntil([&] { return second.state() == QProcess::NotRunning; }));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(runLoopUntil([&] { return mainWindow().has_value(); }))
        << "the first's main window did not come back";
    EXPECT_EQ(first.state(), QProcess::Running);

    first.terminate();
    ASSERT_TRUE(runLoopUntil([&] { return first.state() == QProcess::NotRunning; }));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
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
    EXPECT_TRUE(runLoopUntil([&] {
        const auto files = testkit::openFilesOf(pid);
        return !files.softLimit.empty() && files.softLimit == files.hardLimit;
    }));
    application.kill();
    application.waitForFinished();
}

}  // namespace
}  // namespace quorvel
