// QuorvelMac as a program, started with FIFOs in place of its targets file and of the files it
// reads at start (a FIFO once blocked it in open() before any window, deaf to SIGTERM): it shows
// its main window and ends on SIGTERM.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QProcess>

#include "QuorvelMac/model/mac_lock_target.hpp"
#include "QuorvelMac/shell/program_start.hpp"
#include "QuorvelShared/bridge/chrome_profile_connection_store.hpp"
#include "QuorvelShared/bridge/mac_link_configuration_store.hpp"
#include "QuorvelShared/unlockstate/allow_window_state_store.hpp"
#include "QuorvelShared/unlockstate/synced_target_state_store.hpp"
#include "testkit/odd_files.hpp"
#include "testkit/temp_xdg.hpp"
#include "testkit/x11/x11_harness.hpp"

namespace quorvel {
namespace {

namespace fs = std::filesystem;
using testkit::runLoopUntil;

TEST(ProgramWithFifos, ShowsItsWindowAndEndsOnSigterm) {
    testkit::TempXdgHome home;
    fs::create_directories(home.stateFolder());
    const fs::path targetsFile = MacTargetStore::filePath();
    // Not the Bluetooth status: the daemon and the quitting application replace it whole.
    const fs::path readAtStart[] = {
        AllowWindowStateStore::filePath(), SyncedTargetStateStore::filePath(),
        MacLinkConfigurationStore::filePath(), ChromeProfileConnectionStore::filePath()};
    ASSERT_EQ(::mkfifo(targetsFile.c_str(), 0600), 0);
    const testkit::PathState targetsBefore = testkit::pathState(targetsFile);
    std::vector<testkit::PathState> before;
    for (const fs::path& file : readAtStart) {
        ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0) << file;
        before.push_back(testkit::pathState(file));
    }

    // The test program runs on a session bus of its own (see its main): the single-instance
    // name is free whatever other tests run.
    QProcess application;
    ASSERT_TRUE(testkit::startInHome(application, QUORVEL_MAC, home.root()));

    testkit::X11Harness x11;
    EXPECT_TRUE(runLoopUntil([&] { return x11.windowTitled("概要").has_value(); }));
    // QProcess sends SIGTERM only to a program that still runs: a bare kill() of a process that
    // already ended would signal pid 0, the whole process group of the test run.
    application.terminate();
    ASSERT_TRUE(runLoopUntil([&] { return application.state() == QProcess::NotRunning; }));
    EXPECT_EQ(application.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(application.exitCode(), 0);

    // The targets file went the way of an unreadable one: kept aside as it was, the built-in
    // targets in its place. The other FIFOs stay where they are.
    EXPECT_EQ(MacTargetStore::load(), defaultTargets());
    int keptAside = 0;
    for (const auto& entry : fs::directory_iterator(home.stateFolder())) {
        if (entry.path().filename().string().starts_with("mac-targets.json.unreadable-")) {
            ++keptAside;
            EXPECT_EQ(testkit::pathState(entry.path()), targetsBefore);
        }
    }
    EXPECT_EQ(keptAside, 1);
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(testkit::pathState(readAtStart[i]), before[i]) << readAtStart[i];
    }
}

}  // namespace
}  // namespace quorvel
