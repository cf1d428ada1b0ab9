// The answers to the extension's messages and the pushed state, through the real program.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "QuorvelShared/bridge/ble_local_connection_store.hpp"
#include "QuorvelShared/bridge/chrome_profile_connection_store.hpp"
#include "QuorvelShared/support/clock.hpp"
#include "QuorvelShared/unlockstate/allow_window_state_store.hpp"
#include "QuorvelShared/unlockstate/remote_open_event_store.hpp"
#include "host_fixture.hpp"
#include "host_process.hpp"
#include "testkit/recording_poster.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel::testkit {
namespace {

using Out = MacToExtensionMessage;

class HostMessages : public ::testing::Test {
protected:
    TempXdgHome home;
    ScopedRecordingPoster poster;

    void TearDown() override {
        if (host) {
            host->closeInput();
            EXPECT_EQ(host->waitForExit(), 0);
        }
    }
    HostProcess& start() {
        host.emplace();
        return *host;
    }
    std::optional<HostProcess> host;
};

TEST_F(HostMessages, TargetsSyncWithoutAListIsVersionZeroUnmanagedAndEmpty) {
    HostProcess& h = start();
    h.send(targetsSyncMessage());
    const auto state = as<Out::TargetsState>(h.readMessage());
    EXPECT_EQ(state.version, 0);
    EXPECT_FALSE(state.managed);
    EXPECT_TRUE(state.targets.empty());
}

TEST_F(HostMessages, TargetsSyncReportsTheStoredListInOrderWithDisabledTargets) {
    storeSyncedList(7, {webTarget("b", "ios-app-1", true, 30), webTarget("a", {}, false, 90)});
    HostProcess& h = start();
    h.send(targetsSyncMessage());
    const auto state = as<Out::TargetsState>(h.readMessage());
    EXPECT_EQ(state.version, 7);
    EXPECT_TRUE(state.managed);
    ASSERT_EQ(state.targets.size(), 2u);
    EXPECT_EQ(state.targets[0],
              (SyncedWebTargetSummary{"b", "b.example", "Site b", true, "ios-app-1", 30}));
    EXPECT_EQ(state.targets[1],
              (SyncedWebTargetSummary{"a", "a.example", "Site a", false, std::nullopt, 90}));
}

TEST_F(HostMessages, AnUnreadableListCountsAsNone) {
    std::filesystem::create_directories(SyncedTargetStateStore::filePath());
    HostProcess& h = start();
    h.send(targetsSyncMessage());
    EXPECT_FALSE(as<Out::TargetsState>(h.readMessage()).managed);
}

TEST_F(HostMessages, ProfileConnectedIsRecordedAndAnsweredWithPolicyUpdated) {
    HostProcess& h = start();
    h.send(ExtensionToMacMessage{ExtensionToMacMessage::ProfileConnected{"  profile-7 "}});
    as<Out::PolicyUpdated>(h.readMessage());
    const auto profiles = ChromeProfileConnectionStore::load();
    ASSERT_EQ(profiles.size(), 1u);
    EXPECT_EQ(profiles[0].profileId, "profile-7");
}

TEST_F(HostMessages, SightingsWithinOneSecondLeaveTheProfileFileAloneAndALaterOneRewritesIt) {
    HostProcess& h = start();
    const auto file = ChromeProfileConnectionStore::filePath();
    const auto ask = [&] {
        ASSERT_TRUE(h.send(targetsSyncMessage()));
        as<Out::TargetsState>(h.readMessage());
    };
    const auto lastSeen = [] { return ChromeProfileConnectionStore::load().at(0).lastSeenAt; };

    const auto wholeSecond = [] { return std::floor(systemClock().now().unixSeconds()); };

    // Two questions within one second of the wall clock: the second sighting stores the same
    // time, so the file stays as it is. The host reads the clock for both sightings between two
    // readings of the test's, one before the first question and one after the second answer;
    // when those two name the same second, so do the host's. Each try starts as a second
    // begins; on a loaded machine a pair may still span the turn of a second, and then it is
    // tried again.
    bool sameSecond = false;
    const auto giveUpAt = std::chrono::steady_clock::now() + longWait;
    while (!sameSecond && std::chrono::steady_clock::now() < giveUpAt) {
        const double now = systemClock().now().unixSeconds();
        std::this_thread::sleep_for(std::chrono::duration<double>(std::floor(now) + 1 - now));
        const double second = wholeSecond();
        ask();
        const Date first = lastSeen();
        ageFile(file);
        const FileIdentity before = fileIdentity(file);
        ask();
        sameSecond = wholeSecond() == second;
        if (sameSecond) {
            EXPECT_EQ(lastSeen(), first);
            EXPECT_EQ(fileIdentity(file), before);
        }
    }
    EXPECT_TRUE(sameSecond);

    // A question once the stored second is over, however late it comes, rewrites the file.
    const Date stored = lastSeen();
    ageFile(file);
    const FileIdentity before = fileIdentity(file);
    const double wait = stored.addingSeconds(1).secondsSince(systemClock().now());
    std::this_thread::sleep_for(std::chrono::duration<double>(std::max(wait, 0.0) + 0.05));
    ask();
    EXPECT_NE(fileIdentity(file), before);
    EXPECT_GE(lastSeen(), stored.addingSeconds(1));
}

TEST_F(HostMessages, ABlockedTargetIsCountedAgainstItsLinkedTargetAndAnsweredWithItsOwnId) {
    storeSyncedList(1, {webTarget("link:app#x.example", "ios-app-1"), webTarget("plain")});
    HostProcess& h = start();
    for (const char* target : {"link:app#x.example", "plain", "unknown"}) {
        h.send(ExtensionToMacMessage{
            ExtensionToMacMessage::TargetBlocked{"p1", target, "Site", "https://x.example/"}});
        EXPECT_EQ(as<Out::LockRequired>(h.readMessage()).targetLocalId, target);
    }
    RemoteOpenEventStore store(RemoteOpenEventStore::defaultFilePath());
    const auto batches = store.snapshotForUnlock(systemClock().now());
    ASSERT_EQ(batches.size(), 1u);
    std::set<std::string> counted;
    for (const auto& entry : batches[0].entries)
        counted.insert(entry.targetId);
    EXPECT_EQ(counted, (std::set<std::string>{"ios-app-1", "plain", "unknown"}));
}

TEST_F(HostMessages, ABlockedTargetWhoseCountFailsIsStillAnsweredWithLockRequired) {
    std::filesystem::create_directories(RemoteOpenEventStore::defaultFilePath());
    HostProcess& h = start();
    h.send(ExtensionToMacMessage{
        ExtensionToMacMessage::TargetBlocked{"p1", "t1", "Site", "https://x.example/"}});
    EXPECT_EQ(as<Out::LockRequired>(h.readMessage()).targetLocalId, "t1");
}

TEST_F(HostMessages, SubscribingPushesTheFirstPictureAndLaterChangesWithoutAReply) {
    HostProcess& h = start();
    h.send(subscribeMessage());
    h.send(subscribeMessage("p2"));
    // The first pass: the empty list and the empty allow state; no Bluetooth file, no status.
    EXPECT_EQ(as<Out::TargetsState>(h.readMessage()).version, 0);
    EXPECT_TRUE(as<Out::AllowState>(h.readMessage()).allows.empty());

    BLELocalConnectionStore::save(BluetoothLinkState::connected, "iPhone");
    const auto bluetooth = as<Out::BluetoothState>(h.readMessage());
    EXPECT_EQ(bluetooth.status, BluetoothLinkState::connected);
    EXPECT_EQ(bluetooth.detail, "iPhone");

    const Date until = systemClock().now().addingSeconds(3600);
    AllowWindowStateStore::grant("t1", until, AllowWindowStateStore::filePath());
    const auto allows = as<Out::AllowState>(h.readMessage());
    ASSERT_EQ(allows.allows.size(), 1u);
    EXPECT_EQ(allows.allows[0].targetId, "t1");

    storeSyncedList(-1, {webTarget("a")});
    const auto targets = as<Out::TargetsState>(h.readMessage());
    EXPECT_EQ(targets.version, -1);
    EXPECT_TRUE(targets.managed);

    // Re-saved with the same words: a new time, pushed again.
    BLELocalConnectionStore::save(BluetoothLinkState::connected, "iPhone");
    EXPECT_EQ(as<Out::BluetoothState>(h.readMessage()).status, BluetoothLinkState::connected);

    // A direct question is still answered while the stream runs.
    h.send(targetsSyncMessage());
    EXPECT_EQ(as<Out::TargetsState>(h.readMessage()).version, -1);

    const auto profiles = ChromeProfileConnectionStore::load();
    EXPECT_EQ(profiles.size(), 2u);
}

TEST_F(HostMessages, AStoredListOfVersionMinusOneIsSentOnTheFirstPass) {
    storeSyncedList(-1, {webTarget("a")});
    HostProcess& h = start();
    h.send(subscribeMessage());
    const auto targets = as<Out::TargetsState>(h.readMessage());
    EXPECT_EQ(targets.version, -1);
    EXPECT_EQ(targets.targets.size(), 1u);
}

TEST_F(HostMessages, AnAllowWindowThatEndsBetweenPassesIsPushedAway) {
    HostProcess& h = start();
    h.send(subscribeMessage());
    as<Out::TargetsState>(h.readMessage());
    EXPECT_TRUE(as<Out::AllowState>(h.readMessage()).allows.empty());

    // The allow states pushed until a pass that began after this call has ended. A pass reads
    // the allow windows before the Bluetooth file: the file is saved, and once that save's push
    // is read saved again, so the second push comes from a pass that began after the first one
    // ended, which was after the call.
    int saves = 0;
    const auto allowStatesOfTheNextPasses = [&] {
        std::vector<Out::AllowState> allows;
        for (int i = 0; i < 2; ++i) {
            BLELocalConnectionStore::save(BluetoothLinkState::connected,
                                          "mark " + std::to_string(++saves));
            for (;;) {
                const auto message = h.readMessage();
                if (!message) {
                    ADD_FAILURE() << "no message";
                    return allows;
                }
                if (const auto* state = std::get_if<Out::AllowState>(&message->value))
                    allows.push_back(*state);
                else if (std::holds_alternative<Out::BluetoothState>(message->value))
                    break;
                else
                    ADD_FAILURE() << "another message: " << encodeMacToExtensionMessage(*message);
            }
        }
        return allows;
    };

    // A pass must see the window while it lasts, and a later one, with no write in between, its
    // end. How soon a pass comes after the grant is up to the machine's load: a window that ended
    // before any pass saw it is granted again for twice as long.
    std::vector<Out::AllowState> pushed;
    const auto seen = [&] {
        return std::find_if(pushed.begin(), pushed.end(), [](const Out::AllowState& state) {
            return state.allows.size() == 1 && state.allows[0].targetId == "t1";
        });
    };
    const auto giveUpAt = std::chrono::steady_clock::now() + longWait;
    for (double length = 6; seen() == pushed.end() && std::chrono::steady_clock::now() < giveUpAt;
         length *= 2) {
        AllowWindowStateStore::grant("t1", systemClock().now().addingSeconds(length),
                                     AllowWindowStateStore::filePath());
        pushed = allowStatesOfTheNextPasses();
    }
    const auto shown = seen();
    ASSERT_NE(shown, pushed.end()) << "no pass saw the window";
    if (std::next(shown) != pushed.end()) {
        EXPECT_TRUE(std::next(shown)->allows.empty());
        return;
    }
    std::optional<MacToExtensionMessage> message;
    do {
        message = h.readMessage();
    } while (message && std::holds_alternative<Out::BluetoothState>(message->value));
    EXPECT_TRUE(as<Out::AllowState>(message).allows.empty());
}

TEST_F(HostMessages, ABluetoothFileAtStartIsPushedOnTheFirstPass) {
    BLELocalConnectionStore::save(BluetoothLinkStatus::fromWord("poweredOff"), std::nullopt);
    HostProcess& h = start();
    h.send(subscribeMessage());
    as<Out::TargetsState>(h.readMessage());
    as<Out::AllowState>(h.readMessage());
    const auto bluetooth = as<Out::BluetoothState>(h.readMessage());
    EXPECT_EQ(bluetooth.status.word(), "poweredOff");
    EXPECT_FALSE(bluetooth.detail);
}

}  // namespace
}  // namespace quorvel::testkit
