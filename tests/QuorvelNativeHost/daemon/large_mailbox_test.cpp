// The daemon over a mailbox of hundreds of pending unlock requests, started as a desktop may
// start it (a soft limit of 256 open files) on a machine without Bluetooth: it stays up, keeps
// serving new requests and ends with status 0 at the end of its input, and a second start over
// the same mailbox does the same.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <set>
#include <string>

#include "QuorvelPlatform/notifications/dbus_notification_poster.hpp"
#include "QuorvelShared/bridge/ble_local_bridge_state_store.hpp"
#include "QuorvelShared/bridge/ble_local_bridge_store.hpp"
#include "QuorvelShared/support/clock.hpp"
#include "QuorvelShared/support/files.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"
#include "QuorvelShared/support/notifications.hpp"
#include "bus/private_bus.hpp"
#include "daemon_process_support.hpp"
#include "testkit/child_process.hpp"
#include "testkit/qt_wait.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel::daemon {
namespace {

using State = BLELocalBridgeStateStore::State;
using testkit::runLoopUntil;

// More than twice the soft limit: a descriptor per deadline would exhaust it many times over.
// More requests show nothing new, only lengthen the run, since every request costs the daemon
// its own status writes, each flushed to disk.
constexpr int pendingRequests = 600;
constexpr rlim_t desktopSoftLimit = 256;
// Hundreds of requests through a sanitised build on a busy machine: a generous limit, which
// only guards against a hang.
constexpr int bigPatienceMs = 300'000;

BLELocalPrototypeWireMessage unlockRequest(const std::string& id) {
    const Date now = systemClock().now();
    return BLELocalPrototypeWireMessage::unlockRequest(id, "sealed-" + id, now.addingSeconds(3600),
                                                       now.addingSeconds(30), "mac-large");
}

// Written in one go: saving them one by one would itself take the quadratic road. With
// `pickedUpBefore`, each request carries the pick-up mark an earlier run of the daemon left.
std::string mailboxOfPendingRequests(bool pickedUpBefore) {
    State state;
    const Date now = systemClock().now();
    for (int i = 0; i < pendingRequests; ++i) {
        const std::string id = "pending-" + std::to_string(i);
        state.requests.push_back({{id, unlockRequest(id), 3600}, now});
        if (pickedUpBefore)
            state.responses.push_back({{id, false, std::nullopt, std::nullopt}, now});
    }
    return json::write(toJson(state), json::Style::prettySorted);
}

// The mailbox, read again only when the file changed: parsing hundreds of entries at every
// poll would take the machine's time from the daemon under test.
class MailboxWatch {
public:
    std::optional<State> changed() {
        std::error_code error;
        const auto stamp = std::filesystem::last_write_time(BLELocalBridgeStore::stateURL(), error);
        if (error || stamp == seen_)
            return std::nullopt;
        seen_ = stamp;
        const auto text = files::readIfPresent(BLELocalBridgeStore::stateURL());
        return text ? bleLocalBridgeStateFromJson(json::parse(*text), "") : State{};
    }

private:
    std::filesystem::file_time_type seen_{};
};

bool everyPendingRequestPickedUp(const State& state) {
    std::set<std::string> answered;
    for (const auto& entry : state.responses)
        answered.insert(entry.response.requestId);
    for (int i = 0; i < pendingRequests; ++i) {
        if (!answered.contains("pending-" + std::to_string(i)))
            return false;
    }
    return true;
}

std::optional<BLELocalBridgeResponse> responseFor(const State& state, const std::string& id) {
    for (const auto& entry : state.responses) {
        if (entry.response.requestId == id)
            return entry.response;
    }
    return std::nullopt;
}

bool running(pid_t pid) {
    return ::waitpid(pid, nullptr, WNOHANG) == 0;
}

class LargeMailbox : public ::testing::Test {
protected:
    void SetUp() override { installDBusNotificationPoster(); }

    // One start over `mailbox`: returns when the daemon has ended.
    void runOnce(const std::string& label, const std::string& mailbox) {
        SCOPED_TRACE(label);
        files::writeAtomically(BLELocalBridgeStore::stateURL(), mailbox);
        int input[2];
        ASSERT_EQ(::pipe2(input, O_CLOEXEC), 0);
        const pid_t daemon =
            startDaemon({"--ble-bridge-daemon", "--parent-pid", std::to_string(::getpid())},
                        input[0], desktopSoftLimit);
        ::close(input[0]);

        // It raised its soft limit to the hard one at start.
        ASSERT_TRUE(runLoopUntil([&] {
            const auto files = testkit::openFilesOf(daemon);
            return !files.softLimit.empty() && files.softLimit == files.hardLimit;
        }));
        // Every request is picked up, and the daemon is still there.
        MailboxWatch watch;
        bool pickedUp = false;
        ASSERT_TRUE(runLoopUntil(
            [&] {
                if (const auto state = watch.changed())
                    pickedUp = everyPendingRequestPickedUp(*state);
                return pickedUp;
            },
            bigPatienceMs));
        EXPECT_TRUE(running(daemon));

        // A new request is served while the others wait: with nobody to deliver to, its one
        // second runs out.
        const std::string fresh = "fresh-" + label;
        BLELocalBridgeStore::saveRequest({fresh, unlockRequest(fresh), 1});
        postNotification(BLELocalBridgeStore::requestNotification);
        std::optional<BLELocalBridgeResponse> answer;
        ASSERT_TRUE(runLoopUntil(
            [&] {
                if (const auto state = watch.changed())
                    answer = responseFor(*state, fresh);
                return answer && answer->completed;
            },
            bigPatienceMs));
        EXPECT_EQ(answer->error, "iphone_bluetooth_timeout");
        EXPECT_TRUE(running(daemon));
        // Its deadlines cost no descriptor each: far fewer are open than the limit it was
        // started with, although hundreds of requests were handed to the peripheral.
        EXPECT_LT(testkit::openFilesOf(daemon).open, desktopSoftLimit);

        ::close(input[1]);
        EXPECT_EQ(waitForExit(daemon), 0);
    }

    testkit::TempXdgHome home;
    // Requests notifications of its own, and a system bus where no BlueZ ever appears.
    quorvel::testing::PrivateBus sessionBus{quorvel::testing::PrivateBus::Kind::session};
    quorvel::testing::PrivateBus systemBus{quorvel::testing::PrivateBus::Kind::system};
};

TEST_F(LargeMailbox, TheDaemonStaysUpServesAndEndsInOrderOverHundredsOfPendingRequests) {
    runOnce("first start", mailboxOfPendingRequests(false));
    // The requests are still there, now with the marks of the first run (however many the
    // first run answered in its time, they all come back here).
    runOnce("second start over the same mailbox", mailboxOfPendingRequests(true));
}

}  // namespace
}  // namespace quorvel::daemon
