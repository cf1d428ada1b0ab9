#pragma once

// What the daemon's tests share: a temporary home with a recording poster, the fake peripheral
// playing adapter and phone, and the phone's side of the frames.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "QuorvelNativeHost/daemon/unlock_peripheral.hpp"
#include "QuorvelPlatform/timers/boot_clock_deadlines.hpp"
#include "QuorvelShared/bridge/ble_local_connection_store.hpp"
#include "QuorvelShared/messages/ble_local_identity.hpp"
#include "QuorvelShared/messages/ble_local_prototype_chunk.hpp"
#include "QuorvelShared/messages/ble_local_prototype_chunk_assembler.hpp"
#include "QuorvelShared/support/uuid.hpp"
#include "fake_ble_peripheral.hpp"
#include "testkit/qt_wait.hpp"
#include "testkit/recording_poster.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel::daemon::testing {

using Message = BLELocalPrototypeWireMessage;
using Kind = BLELocalPrototypeMessageKind;
using testkit::runLoopUntil;

inline const std::string notifyUUID(BLELocalPrototypeUUIDs::macToIOS);
inline const std::string writeUUID(BLELocalPrototypeUUIDs::iosToMac);

inline Message messageOf(Kind kind, std::optional<std::string> requestId = std::nullopt) {
    Message message;
    message.kind = kind;
    message.requestId = std::move(requestId);
    return message;
}

// The phone's reading of every frame the fake sent, in order.
inline std::vector<Message> messagesSent(const testkit::FakeBlePeripheral& fake) {
    BLELocalPrototypeChunkAssembler assembler;
    std::vector<Message> messages;
    for (const auto& frame : fake.sent) {
        if (const auto whole = assembler.append(frame.data)) {
            messages.push_back(decodeBLELocalPrototypeWireMessage(textOf(*whole)));
        }
    }
    return messages;
}

inline std::vector<Kind> kindsOf(const std::vector<Message>& messages) {
    std::vector<Kind> kinds;
    for (const auto& message : messages)
        kinds.push_back(message.kind);
    return kinds;
}

// The frames the phone writes for one message.
inline std::vector<Bytes> framesFor(const Message& message, std::int64_t frameSize = 185) {
    return BLELocalPrototypeChunkCodec::frames(bytesOf(encodeBLELocalPrototypeWireMessage(message)),
                                               frameSize, Uuid::random());
}

// Runs the loop until a boot-clock timer of the test's own, due `seconds` from now, has fired.
// The daemon's deadlines on that clock that were due before it have run by then (the loop drained
// behind it): the marker that ends a check that such a deadline did NOT do something.
inline void runPastBootClock(double seconds) {
    BootClockDeadlines marker;
    bool fired = false;
    marker.after(seconds, [&] { fired = true; });
    ASSERT_TRUE(runLoopUntil([&] { return fired; }));
    testkit::drainLoop();
}

inline UnlockDeliveryTiming fastDelivery() {
    return {0.3, 0.6};
}

class PeripheralTest : public ::testing::Test {
protected:
    // Builds the peripheral and waits until the fake adapter has it advertising.
    void start(std::optional<std::string> macDeviceId = std::nullopt,
               UnlockDeliveryTiming timing = fastDelivery()) {
        peripheral = std::make_unique<BLELocalUnlockPeripheralPrototype>(
            fake, std::move(macDeviceId),
            [this](const Message& message) { controlMessages.push_back(message); },
            [this](const Message& message) {
                receipts.push_back(message);
                return acceptReceipts;
            },
            timing);
        ASSERT_TRUE(runLoopUntil(
            [&] { return peripheral->snapshot().status == BluetoothLinkState::advertising; }));
    }
    void subscribe(const std::string& central = "phone", std::int64_t maximumLength = 185) {
        fake.subscribe(central, maximumLength, notifyUUID);
    }
    // Writes a whole message as the phone does; the answer of the last frame.
    std::optional<bluetooth::AttResult> phoneWrites(const Message& message) {
        std::optional<bluetooth::AttResult> last;
        for (const auto& frame : framesFor(message))
            last = fake.writeOne(writeUUID, frame);
        return last;
    }
    std::optional<BLELocalConnectionSnapshot> statusFile() {
        return BLELocalConnectionStore::load();
    }

    testkit::TempXdgHome home;
    testkit::ScopedRecordingPoster poster;
    testkit::FakeBlePeripheral fake;
    std::unique_ptr<BLELocalUnlockPeripheralPrototype> peripheral;
    std::vector<Message> controlMessages;
    std::vector<Message> receipts;
    bool acceptReceipts = true;
};

// Collects the outcome of one unlock request.
struct UnlockWaiter {
    std::shared_ptr<std::optional<UnlockOutcome>> outcome =
        std::make_shared<std::optional<UnlockOutcome>>();
    UnlockCompletion completion() {
        return [outcome = outcome](const UnlockOutcome& result) {
            EXPECT_FALSE(outcome->has_value()) << "completed twice";
            *outcome = result;
        };
    }
    bool done() const { return outcome->has_value(); }
    std::string failure() const {
        const auto* failed = std::get_if<PeripheralFailure>(&outcome->value());
        return failed ? failed->description : std::string();
    }
    std::optional<Message> reply() const {
        const auto* message = std::get_if<Message>(&outcome->value());
        return message ? std::optional<Message>(*message) : std::nullopt;
    }
};

}  // namespace quorvel::daemon::testing
