#pragma once

// The Bluetooth LE peripheral role as the bridge daemon sees it: one GATT service with a notify
// characteristic (Mac to phone) and a write characteristic (phone to Mac), advertised by its
// service UUID. The daemon's logic talks only to this interface; the real implementation drives
// BlueZ over the system bus, and the tests drive the daemon through an in-process fake.
//
// Every delegate call arrives on the thread that owns the peripheral, on a later turn of its
// event loop, never from inside one of the operations below.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "QuorvelShared/support/bytes.hpp"

namespace quorvel::bluetooth {

// The adapter's state as far as the peripheral can tell. Only poweredOn allows publishing.
enum class AdapterState {
    unknown,       // not known yet (the first report may take a moment)
    resetting,     // the stack restarts; a new report follows
    unsupported,   // no adapter that can act as an LE peripheral
    unauthorized,  // this user may not use the adapter
    poweredOff,
    poweredOn,
};

// Attribute-protocol result codes a write is answered with.
enum class AttResult : std::uint8_t {
    success = 0x00,
    requestNotSupported = 0x06,
    unlikelyError = 0x0E,
};

// What publishService asks for: one primary service with its two characteristics, in this
// order. The notify characteristic is notify-only without permissions; the write characteristic
// is write-with-response only (never write-without-response, whose errors the phone never sees).
struct GattServiceLayout {
    std::string serviceUUID;
    std::string notifyCharacteristicUUID;
    std::string writeCharacteristicUUID;

    friend bool operator==(const GattServiceLayout&, const GattServiceLayout&) = default;
};

// A central subscribed to a characteristic, with the largest value one notification carries to it.
struct SubscribedCentral {
    std::string identifier;
    std::int64_t maximumUpdateValueLength = 0;

    friend bool operator==(const SubscribedCentral&, const SubscribedCentral&) = default;
};

// Answers one write exactly once. The first respond() is sent, later ones are ignored; a responder
// dropped unanswered answers unlikelyError, so a forgotten write never leaves the phone waiting.
class WriteResponder {
public:
    WriteResponder() = default;
    explicit WriteResponder(std::function<void(AttResult)> send) : send_(std::move(send)) {}
    WriteResponder(WriteResponder&& other) noexcept : send_(std::exchange(other.send_, nullptr)) {}
    WriteResponder& operator=(WriteResponder&& other) noexcept {
        if (this != &other) {
            respond(AttResult::unlikelyError);
            send_ = std::exchange(other.send_, nullptr);
        }
        return *this;
    }
    WriteResponder(const WriteResponder&) = delete;
    WriteResponder& operator=(const WriteResponder&) = delete;
    ~WriteResponder() { respond(AttResult::unlikelyError); }

    void respond(AttResult result) {
        if (auto send = std::exchange(send_, nullptr))
            send(result);
    }
    bool answered() const { return !send_; }

private:
    std::function<void(AttResult)> send_;
};

// One write request from a central. `value` is absent when the request carried none.
struct WriteRequest {
    std::string centralIdentifier;
    std::string characteristicUUID;
    std::optional<Bytes> value;
    WriteResponder responder;
};

class BlePeripheralDelegate {
public:
    virtual ~BlePeripheralDelegate() = default;

    // The adapter's state changed; also reported once after the delegate is set.
    virtual void adapterStateChanged(AdapterState state) = 0;
    // Answer to addService: no error, or the error's text for the user.
    virtual void serviceAdded(const std::optional<std::string>& error) = 0;
    // Answer to startAdvertising: no error, or the error's text.
    virtual void advertisingStarted(const std::optional<std::string>& error) = 0;
    virtual void centralSubscribed(const SubscribedCentral& central,
                                   const std::string& characteristicUUID) = 0;
    virtual void centralUnsubscribed(const std::string& centralIdentifier,
                                     const std::string& characteristicUUID) = 0;
    // After updateValue refused a frame: the transmit queue has room again.
    virtual void readyToUpdateSubscribers() = 0;
    // One or more writes; each request is answered through its own responder.
    virtual void receivedWrites(std::vector<WriteRequest> requests) = 0;
};

class BlePeripheral {
public:
    virtual ~BlePeripheral() = default;

    // The delegate must outlive the peripheral or be replaced by nullptr before it goes.
    // Setting one makes the peripheral report its current adapter state on a later turn.
    virtual void setDelegate(BlePeripheralDelegate* delegate) = 0;
    virtual AdapterState state() const = 0;

    // Publishes the service; answered by serviceAdded.
    virtual void addService(const GattServiceLayout& layout) = 0;
    // Withdraws every published service; subscriptions to them end without callbacks.
    virtual void removeAllServices() = 0;

    // Advertises the service UUID alone (no name, no other data), connectable; answered by
    // advertisingStarted.
    virtual void startAdvertising(const std::string& serviceUUID) = 0;
    virtual void stopAdvertising() = 0;
    virtual bool isAdvertising() const = 0;

    // Sends one notification of the notify characteristic to the named centrals. False when the
    // transmit queue is full: nothing was sent, and readyToUpdateSubscribers follows once there is
    // room again. A central that is no longer subscribed is skipped.
    virtual bool updateValue(ByteView frame,
                             const std::vector<std::string>& centralIdentifiers) = 0;
};

}  // namespace quorvel::bluetooth
