#pragma once

// The daemon's one Bluetooth LE peripheral, which the paired iPhone connects to as a central. It
// publishes the service with its two characteristics, advertises the per-Mac service UUID, keeps
// the subscribed centrals, cuts outgoing wire messages into frames for a back-pressured queue,
// re-sends what the phone must see when it subscribes, carries unlock requests to the phone with
// their delivery checks and time-outs, routes what the phone writes, and records each change of
// link state in the Bluetooth status file for the application and the browser host.
//
// Everything runs on the thread that owns the object (the daemon's main thread).
#include <QObject>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "QuorvelNativeHost/daemon/delivery_recovery_state.hpp"
#include "QuorvelNativeHost/daemon/outbound_frame_queue.hpp"
#include "QuorvelNativeHost/daemon/unlock_peripheral_error.hpp"
#include "QuorvelPlatform/bluetooth/ble_peripheral.hpp"
#include "QuorvelPlatform/timers/boot_clock_deadlines.hpp"
#include "QuorvelShared/messages/ble_local_prototype_chunk_assembler.hpp"
#include "QuorvelShared/messages/ble_local_prototype_wire_message.hpp"
#include "QuorvelShared/messages/bluetooth_link_status.hpp"
#include "QuorvelShared/support/repeated_failure.hpp"

namespace quorvel::daemon {

// What ends an unlock request that did not get its answer: the text the mailbox response carries
// (one of the peripheral's codes, or the platform's description of its own failure).
struct PeripheralFailure {
    std::string description;
    friend bool operator==(const PeripheralFailure&, const PeripheralFailure&) = default;
};

using UnlockOutcome = std::variant<BLELocalPrototypeWireMessage, PeripheralFailure>;
using UnlockCompletion = std::function<void(const UnlockOutcome&)>;

// The waits of an unlock delivery, in seconds on the boot-time clock.
struct UnlockDeliveryTiming {
    double deliveryCheckSeconds = 5;     // first look for the phone's delivery receipt
    double recoveryRecheckSeconds = 25;  // last look, after the one recovery
};

// The wait for the phone's answer: the request's own time-out, at least one second. Values from
// the mailbox file are clamped so that no wait wraps or overflows.
double unlockRequestTimeoutSeconds(std::int64_t timeoutSeconds);

class BLELocalUnlockPeripheralPrototype final : public QObject,
                                                public bluetooth::BlePeripheralDelegate {
    Q_OBJECT

public:
    // Messages kept for the next subscription: the newest this many.
    static constexpr std::size_t maximumQueuedMessages = 64;

    using MessageHandler = std::function<void(const BLELocalPrototypeWireMessage&)>;
    using ReceiptHandler = std::function<bool(const BLELocalPrototypeWireMessage&)>;

    struct Snapshot {
        BluetoothLinkState status;
        std::optional<std::string> detail;
        friend bool operator==(const Snapshot&, const Snapshot&) = default;
    };

    // Publishing starts when the manager reports powered on; nothing is written before.
    BLELocalUnlockPeripheralPrototype(bluetooth::BlePeripheral& manager,
                                      std::optional<std::string> macDeviceId,
                                      MessageHandler onMessage, ReceiptHandler onUnlockReceipt,
                                      UnlockDeliveryTiming timing = {}, QObject* parent = nullptr);
    ~BLELocalUnlockPeripheralPrototype() override;

    // Switches the advertised identity to that of `macDeviceId` (none: the fixed default).
    void refreshAdvertisingIdentity(const std::optional<std::string>& macDeviceId);
    // Sends a message to the phone, or keeps it for the next subscription. Throws only encoding
    // and framing errors.
    void send(const BLELocalPrototypeWireMessage& message);
    // Carries an unlock request to the phone. `completion` is called exactly once, never from
    // inside this call except for a request refused at once (no id, an id already pending, a
    // message that cannot be framed).
    void requestUnlock(const BLELocalPrototypeWireMessage& message, std::int64_t timeoutSeconds,
                       UnlockCompletion completion);

    const std::string& serviceUUID() const { return serviceUUID_; }
    const std::optional<std::string>& macDeviceId() const { return macDeviceId_; }
    const Snapshot& snapshot() const { return snapshot_; }
    const std::vector<bluetooth::SubscribedCentral>& subscribedCentrals() const {
        return subscribedCentrals_;
    }
    const BLELocalOutboundFrameQueue& outboundFrames() const { return outboundFrames_; }
    const std::vector<BLELocalPrototypeWireMessage>& queuedMessages() const {
        return queuedMessages_;
    }
    const std::optional<BLELocalPrototypeWireMessage>& latestPairingOffer() const {
        return latestPairingOffer_;
    }
    const BLELocalPrototypeChunkAssembler& responseAssembler() const { return responseAssembler_; }
    const std::set<std::string>& deliveredRequestIds() const { return deliveredRequestIds_; }
    const BLELocalUnlockDeliveryRecoveryState& deliveryRecoveryState() const {
        return deliveryRecoveryState_;
    }
    bool isPending(const std::string& requestId) const {
        return unlockContinuations_.contains(requestId);
    }
    bool isServicePublished() const { return servicePublished_; }

    // The platform's callbacks.
    void adapterStateChanged(bluetooth::AdapterState state) override;
    void serviceAdded(const std::optional<std::string>& error) override;
    void advertisingStarted(const std::optional<std::string>& error) override;
    void centralSubscribed(const bluetooth::SubscribedCentral& central,
                           const std::string& characteristicUUID) override;
    void centralUnsubscribed(const std::string& centralIdentifier,
                             const std::string& characteristicUUID) override;
    void readyToUpdateSubscribers() override;
    void receivedWrites(std::vector<bluetooth::WriteRequest> requests) override;

private:
    // One unlock request waiting for its answer, with the two deadlines that watch it. The
    // deadlines go with the request, so a later request under the same id never meets an
    // earlier one's.
    struct PendingUnlock {
        UnlockCompletion completion;
        BootClockDeadlines::Id deliveryCheck = 0;
        BootClockDeadlines::Id timeout = 0;
        BootClock::time_point timeoutDeadline{};
        bool deliveryRechecked = false;
    };

    void writeStatus(BluetoothLinkState status, const std::optional<std::string>& detail);
    void enqueue(const BLELocalPrototypeWireMessage& message);
    void flushOutboundFrames();
    void publishService();
    void startAdvertisingIfNeeded();
    void restartPublishedService();
    void failAll(const PeripheralFailure& failure);

    // Unlock delivery.
    void startDeliveryTimers(const std::string& requestId, double timeoutSeconds);
    void onDeliveryCheck(const std::string& requestId);
    // Runs one step of a pending request; what the step throws fails that request alone.
    void guardRequest(const std::string& requestId, const std::function<void()>& step);
    // False when the request had ended already.
    bool failRequest(const std::string& requestId, const PeripheralFailure& failure);
    bool recoverUnconfirmedDelivery(const std::string& requestId);
    void deliveryTimeout(const std::string& requestId);
    void timeout(const std::string& requestId);
    // Removes the request; the caller resumes the returned completion. None when not pending.
    std::optional<UnlockCompletion> takeContinuation(const std::string& requestId);

    // Incoming frames.
    bluetooth::AttResult answerWrite(const bluetooth::WriteRequest& request);
    void handleIncoming(const Bytes& data);
    void handleReceipt(const BLELocalPrototypeWireMessage& message);
    void handleAnswer(const BLELocalPrototypeWireMessage& message);

    bluetooth::BlePeripheral& manager_;
    std::string serviceUUID_;
    std::optional<std::string> macDeviceId_;
    MessageHandler onMessage_;
    ReceiptHandler onUnlockReceipt_;
    UnlockDeliveryTiming timing_;
    BootClockDeadlines* deadlines_;
    bool servicePublished_ = false;
    std::vector<bluetooth::SubscribedCentral> subscribedCentrals_;
    BLELocalOutboundFrameQueue outboundFrames_;
    std::vector<BLELocalPrototypeWireMessage> queuedMessages_;
    std::optional<BLELocalPrototypeWireMessage> latestPairingOffer_;
    BLELocalPrototypeChunkAssembler responseAssembler_;
    std::map<std::string, PendingUnlock> unlockContinuations_;
    std::set<std::string> deliveredRequestIds_;
    BLELocalUnlockDeliveryRecoveryState deliveryRecoveryState_;
    Snapshot snapshot_{BluetoothLinkState::starting, "Bluetoothを準備中"};
    // The status file is written at every change of the link: a failure to write it is told
    // once per change of its text.
    RepeatedFailure statusWriteFailure_;
};

}  // namespace quorvel::daemon
