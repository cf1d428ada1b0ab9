#include "QuorvelMac/shell/bluetooth_bridge_daemon_process.hpp"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "QuorvelShared/bridge/ble_local_connection_store.hpp"
#include "testkit/recording_poster.hpp"
#include "testkit/temp_xdg.hpp"
#include "testkit/x11/x11_harness.hpp"

namespace quorvel {
namespace {

namespace fs = std::filesystem;
using testkit::runLoopUntil;

// A stand-in daemon: records its arguments, where its output goes and whether its input had
// ended already when it began (each file put in place whole, so that the test never reads one
// half written), then reads its standard input to the end and says so. It ignores the terminate
// request, so that the end of input is what ends it.
constexpr const char* fakeDaemon = R"(#!/bin/bash
here=$(dirname "$0")
trap '' TERM
printf '%s\n' "$@" > "$here/args.tmp" && mv "$here/args.tmp" "$here/args"
# Without waiting: read -t 0 succeeds when input is there, the end of input included.
if read -t 0; then echo ended; else echo open; fi > "$here/input.tmp" && mv "$here/input.tmp" "$here/input"
out=$(readlink /proc/$$/fd/1)
err=$(readlink /proc/$$/fd/2)
echo "$out" > "$here/stdout.tmp" && mv "$here/stdout.tmp" "$here/stdout"
echo "$err" > "$here/stderr.tmp" && mv "$here/stderr.tmp" "$here/stderr"
echo noise; echo noise >&2
cat > /dev/null
echo eof > "$here/eof"
)";

class BluetoothBridgeDaemonProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = xdg_.root() / "bin";
        fs::create_directories(folder_);
    }
    void installFakeDaemon() {
        const auto program = folder_ / "QuorvelNativeHost";
        std::ofstream(program) << fakeDaemon;
        fs::permissions(program, fs::perms::owner_all);
    }
    bool exists(const char* name) const { return fs::exists(folder_ / name); }
    std::string read(const char* name) const { return testkit::readFile(folder_ / name); }

    testkit::TempXdgHome xdg_;
    testkit::ScopedRecordingPoster poster_;
    fs::path folder_;
};

TEST_F(BluetoothBridgeDaemonProcessTest, ArgumentsNameTheApplicationProcess) {
    EXPECT_EQ(bridgeDaemonArguments(4321),
              (std::vector<std::string>{"--ble-bridge-daemon", "--parent-pid", "4321"}));
}

TEST_F(BluetoothBridgeDaemonProcessTest, StartsTheDaemonOnceWithItsOutputDiscarded) {
    installFakeDaemon();
    {
        BluetoothBridgeDaemonProcess daemon(folder_);
        daemon.start();
        const auto pid = daemon.processIdentifier();
        daemon.start();
        EXPECT_EQ(daemon.processIdentifier(), pid) << "a second start launches nothing";
        ASSERT_TRUE(
            runLoopUntil([&] { return exists("args") && exists("input") && exists("stderr"); }));
        EXPECT_EQ(read("args"),
                  "--ble-bridge-daemon\n--parent-pid\n" + std::to_string(::getpid()) + "\n");
        EXPECT_EQ(read("stdout"), "/dev/null\n");
        EXPECT_EQ(read("stderr"), "/dev/null\n");
        EXPECT_EQ(read("input"), "open\n") << "the pipe stays open while the launcher lives";
        EXPECT_FALSE(exists("eof"));
        EXPECT_TRUE(daemon.isRunning());
    }
    // Releasing the launcher closed the pipe: the child saw the end of its input.
    EXPECT_TRUE(runLoopUntil([&] { return exists("eof"); }));
    const auto status = BLELocalConnectionStore::load();
    ASSERT_TRUE(status);
    EXPECT_EQ(status->status, BluetoothLinkState::stopped);
    EXPECT_EQ(status->detail, "Macアプリが終了しています");
    EXPECT_EQ(poster_.posted(),
              std::vector<std::string>{"app.quorvel.bleBridge.connectionChanged"});
}

// A daemon that ends while the application runs is reaped as it ends, not left a zombie until
// the application quits, and it is not started again.
TEST_F(BluetoothBridgeDaemonProcessTest, ADaemonThatEndsIsReapedAtOnceAndNotRestarted) {
    const auto program = folder_ / "QuorvelNativeHost";
    std::ofstream(program) << "#!/bin/sh\necho started >> \"$(dirname \"$0\")/starts\"\nexit 3\n";
    fs::permissions(program, fs::perms::owner_all);
    BluetoothBridgeDaemonProcess daemon(folder_);
    daemon.start();
    ASSERT_TRUE(daemon.processIdentifier());
    const fs::path entry = "/proc/" + std::to_string(*daemon.processIdentifier());
    // Nobody asks whether it runs: the loop alone reaps it, and its process entry goes.
    EXPECT_TRUE(runLoopUntil([&] { return !fs::exists(entry); }));
    EXPECT_FALSE(daemon.processIdentifier());
    EXPECT_EQ(read("starts"), "started\n");
}

// A daemon that ends while the application runs, however it ends, leaves the status "stopped"
// with a detail that asks the user to reopen the application: the status it wrote last
// ("connected") would go on telling every screen that unlocking works. The status is written by
// the reaping itself, in the loop's turn that notices the end: nothing else runs here, no model
// and no periodic refresh.
class DaemonEndRobustness : public BluetoothBridgeDaemonProcessTest {};

TEST_F(DaemonEndRobustness, ADaemonThatEndsWhileTheApplicationRunsLeavesTheStatusStopped) {
    struct Case {
        const char* name;
        const char* script;  // the stand-in daemon, after it noted its start
        bool killedByTest;   // the test ends it with SIGKILL
        const char* how;     // what the application reports
    };
    const Case cases[] = {
        {"killed", "exec cat > /dev/null\n", true, "was killed by signal 9"},
        {"exits by itself", "exit 3\n", false, "exited with status 3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testkit::TempXdgHome home;
        poster_.clear();
        fs::remove(folder_ / "starts");
        const auto program = folder_ / "QuorvelNativeHost";
        std::ofstream(program) << "#!/bin/sh\necho started >> \"$(dirname \"$0\")/starts\"\n"
                               << c.script;
        fs::permissions(program, fs::perms::owner_all);
        BLELocalConnectionStore::save(BluetoothLinkState::connected,
                                      std::string("iPhoneへの解除申請到達を確認済み"));
        poster_.clear();

        ::testing::internal::CaptureStderr();
        BluetoothBridgeDaemonProcess daemon(folder_);
        daemon.start();
        const pid_t pid = daemon.processIdentifier().value_or(-1);
        const bool started = runLoopUntil([&] { return exists("starts"); });
        if (started && c.killedByTest)
            ::kill(pid, SIGKILL);
        const auto stopped = [] {
            const auto status = BLELocalConnectionStore::load();
            return status && status->status == BluetoothLinkState::stopped;
        };
        const bool written = started && runLoopUntil(stopped);
        const std::string errors = ::testing::internal::GetCapturedStderr();
        ASSERT_TRUE(started);
        ASSERT_TRUE(written);
        EXPECT_EQ(BLELocalConnectionStore::load()->detail,
                  "Bluetooth連携が終了しました。Pellorimを開き直してください");
        EXPECT_EQ(poster_.posted(),
                  std::vector<std::string>{"app.quorvel.bleBridge.connectionChanged"});
        // Reaped in the same turn, and not started again.
        EXPECT_FALSE(fs::exists("/proc/" + std::to_string(pid)));
        EXPECT_FALSE(daemon.processIdentifier());
        EXPECT_EQ(read("starts"), "started\n");
        EXPECT_NE(errors.find(std::string("quorvel.shell: the Bluetooth bridge daemon ") + c.how +
                              "; it is not started again"),
                  std::string::npos)
            << errors;
    }
}

TEST_F(BluetoothBridgeDaemonProcessTest, MissingProgramThrowsAndLaunchesNothing) {
    BluetoothBridgeDaemonProcess daemon(folder_);
    EXPECT_THROW(daemon.start(), std::system_error);
    EXPECT_FALSE(daemon.isRunning());
    EXPECT_FALSE(daemon.processIdentifier());
}

TEST_F(BluetoothBridgeDaemonProcessTest, ReleaseWithoutChildStillWritesStopped) {
    { BluetoothBridgeDaemonProcess daemon(folder_); }
    const auto status = BLELocalConnectionStore::load();
    ASSERT_TRUE(status);
    EXPECT_EQ(status->status, BluetoothLinkState::stopped);
}

TEST_F(BluetoothBridgeDaemonProcessTest, TheApplicationsEndOfThePipeDoesNotLeakIntoOtherChildren) {
    installFakeDaemon();
    BluetoothBridgeDaemonProcess daemon(folder_);
    daemon.start();
    ASSERT_TRUE(runLoopUntil([&] { return exists("args"); }));
    // A second child started afterwards must not hold the writing end open. It lives until the
    // test ends it, however long the wait for the end of input takes.
    const pid_t other = ::fork();
    if (other == 0) {
        ::execl("/bin/sleep", "sleep", "infinity", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    daemon.stop();
    EXPECT_TRUE(runLoopUntil([&] { return exists("eof"); }));
    ::kill(other, SIGKILL);
    ::waitpid(other, nullptr, 0);
}

}  // namespace
}  // namespace quorvel
