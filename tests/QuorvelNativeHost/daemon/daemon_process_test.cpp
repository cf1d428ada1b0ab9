// The daemon as the application starts it: a real process, driven through its command line, its
// standard input and the state files.
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "QuorvelShared/bridge/ble_local_bridge_store.hpp"
#include "QuorvelShared/messages/ble_local_prototype_wire_message.hpp"
#include "daemon_process_support.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel::daemon {
namespace {

void writeRequest(const std::string& id) {
    BLELocalPrototypeWireMessage message;
    message.kind = BLELocalPrototypeMessageKind::targetSyncReceipt;
    message.requestId = id;
    BLELocalBridgeStore::saveRequest({id, message, 60});
}

TEST(DaemonProcess, InputAlreadyAtEndRunsOnePassAndExitsZero) {
    testkit::TempXdgHome home;
    writeRequest("early");
    const int input = nullInput();
    const pid_t daemon = startDaemon({"--ble-bridge-daemon"}, input);
    ::close(input);
    EXPECT_EQ(waitForExit(daemon), 0);
    // Picked up (at least the pick-up mark; it may also have been served before the end).
    EXPECT_TRUE(BLELocalBridgeStore::loadResponse("early"));
}

TEST(DaemonProcess, ClosingTheInputPipeEndsTheDaemonInOrder) {
    testkit::TempXdgHome home;
    int pipeFds[2];
    ASSERT_EQ(::pipe2(pipeFds, O_CLOEXEC), 0);
    const pid_t daemon = startDaemon(
        {"--parent-pid", std::to_string(::getpid()), "--ble-bridge-daemon"}, pipeFds[0]);
    ::close(pipeFds[0]);
    // Data on the pipe is read and discarded; only the end of input ends the daemon.
    ASSERT_EQ(::write(pipeFds[1], "keep going\n", 11), 11);
    // Running: its first pass writes the mailbox back.
    waitForFile(home.stateFolder() / "ble-bridge-state.json");
    EXPECT_EQ(::waitpid(daemon, nullptr, WNOHANG), 0);
    ::close(pipeFds[1]);
    EXPECT_EQ(waitForExit(daemon), 0);
}

TEST(DaemonProcess, AParentPidThatIsNotTheParentEndsAtOnceTouchingNothing) {
    testkit::TempXdgHome home;
    int pipeFds[2];
    ASSERT_EQ(::pipe2(pipeFds, O_CLOEXEC), 0);
    // The input stays open: only the start check can end this daemon.
    const pid_t daemon = startDaemon({"--ble-bridge-daemon", "--parent-pid", "1"}, pipeFds[0]);
    ::close(pipeFds[0]);
    EXPECT_EQ(waitForExit(daemon), 0);
    ::close(pipeFds[1]);
    EXPECT_FALSE(std::filesystem::exists(home.stateFolder()));
}

// Where no process descriptor can be opened, the parent is not watched: the daemon still serves
// and ends with its standard input.
TEST(DaemonProcess, WithoutProcessDescriptorsTheDaemonServesUntilEndOfInput) {
    testkit::TempXdgHome home;
    int pipeFds[2];
    ASSERT_EQ(::pipe2(pipeFds, O_CLOEXEC), 0);
    const pid_t daemon =
        startDaemon({"--ble-bridge-daemon", "--parent-pid", std::to_string(::getpid())}, pipeFds[0],
                    std::nullopt, -1, ProcessDescriptors::missing);
    ::close(pipeFds[0]);
    waitForFile(home.stateFolder() / "ble-bridge-state.json");
    EXPECT_EQ(::waitpid(daemon, nullptr, WNOHANG), 0);
    ::close(pipeFds[1]);
    EXPECT_EQ(waitForExit(daemon), 0);
}

TEST(DaemonProcess, UnusableParentPidsMeanNoWatchAndTheDaemonRunsUntilEndOfInput) {
    for (const std::string value : {"0", "-7", "12a", ""}) {
        testkit::TempXdgHome home;
        const int input = nullInput();
        const pid_t daemon = startDaemon({"--ble-bridge-daemon", "--parent-pid", value}, input);
        ::close(input);
        EXPECT_EQ(waitForExit(daemon), 0) << value;
        EXPECT_TRUE(std::filesystem::exists(home.stateFolder() / "ble-bridge-state.json")) << value;
    }
}

TEST(DaemonProcess, TheDaemonEndsSoonAfterItsParentIsKilled) {
    testkit::TempXdgHome home;
    // Orphans come to this process, so the daemon can be waited for once its parent is gone.
    ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    int input[2];
    int report[2];
    ASSERT_EQ(::pipe2(input, O_CLOEXEC), 0);
    ASSERT_EQ(::pipe(report), 0);
    const pid_t parent = ::fork();
    if (parent == 0) {
        ::close(report[0]);
        const pid_t daemon = startDaemon(
            {"--ble-bridge-daemon", "--parent-pid", std::to_string(::getpid())}, input[0]);
        (void)!::write(report[1], &daemon, sizeof daemon);
        for (;;)
            ::pause();
    }
    ::close(report[1]);
    pid_t daemon = 0;
    ASSERT_EQ(::read(report[0], &daemon, sizeof daemon), static_cast<ssize_t>(sizeof daemon));
    ::close(report[0]);
    // Let it get going: its first pass writes the mailbox back.
    waitForFile(home.stateFolder() / "ble-bridge-state.json");
    ::kill(parent, SIGKILL);
    ::waitpid(parent, nullptr, 0);
    // The standard input is still open here: only the parent watch can end the daemon.
    EXPECT_EQ(waitForExit(daemon), 0);
    ::close(input[0]);
    ::close(input[1]);
}

}  // namespace
}  // namespace quorvel::daemon
