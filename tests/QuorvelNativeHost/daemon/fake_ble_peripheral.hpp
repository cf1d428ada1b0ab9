#pragma once

// An in-process peripheral that plays the adapter and the phone for the daemon's tests. It records
// what the daemon asks of the adapter; the test drives the phone's side (subscribe, write frames,
// fill the transmit queue) and the adapter's (state changes, failures). Answers to the daemon's
// own operations come on a later turn of the event loop, as from a real adapter.
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "QuorvelPlatform/bluetooth/ble_peripheral.hpp"

namespace quorvel::testkit {

class FakeBlePeripheral final : public bluetooth::BlePeripheral {
public:
    struct SentFrame {
        Bytes data;
        std::vector<std::string> centrals;
    };

    // --- the daemon's side --------------------------------------------------------------
    void setDelegate(bluetooth::BlePeripheralDelegate* delegate) override {
        delegate_ = delegate;
        if (delegate_)
            later([this] { delegate_->adapterStateChanged(state_); });
    }
    bluetooth::AdapterState state() const override { return state_; }

    void addService(const bluetooth::GattServiceLayout& layout) override {
        ++addServiceCalls;
        published = layout;
        publishedServiceUUIDs.push_back(layout.serviceUUID);
        if (holdServiceAdded) {
            ++heldServiceAdded;
            return;
        }
        later([this] { delegate_->serviceAdded(addServiceError); });
    }
    // Answers an addService held back by holdServiceAdded.
    void answerAddService() {
        --heldServiceAdded;
        delegate_->serviceAdded(addServiceError);
    }
    void removeAllServices() override {
        ++removeAllServicesCalls;
        published.reset();
    }
    void startAdvertising(const std::string& serviceUUID) override {
        ++startAdvertisingCalls;
        advertisedServiceUUID = serviceUUID;
        advertising_ = !advertisingError.has_value();
        later([this] { delegate_->advertisingStarted(advertisingError); });
    }
    void stopAdvertising() override {
        if (stopAdvertisingFailures > 0) {
            --stopAdvertisingFailures;
            throw std::runtime_error("the adapter refused to stop advertising");
        }
        advertising_ = false;
    }
    bool isAdvertising() const override { return advertising_; }

    bool updateValue(ByteView frame, const std::vector<std::string>& centrals) override {
        if (transmitRoom == 0) {
            ++refusedUpdates;
            return false;
        }
        if (transmitRoom > 0)
            --transmitRoom;
        sent.push_back({Bytes(frame.begin(), frame.end()), centrals});
        return true;
    }

    // --- the test's side ----------------------------------------------------------------
    void setState(bluetooth::AdapterState state) {
        state_ = state;
        if (delegate_)
            delegate_->adapterStateChanged(state);
    }
    void subscribe(const std::string& central, std::int64_t maximumUpdateValueLength,
                   const std::string& characteristicUUID) {
        delegate_->centralSubscribed({central, maximumUpdateValueLength}, characteristicUUID);
    }
    void unsubscribe(const std::string& central, const std::string& characteristicUUID) {
        delegate_->centralUnsubscribed(central, characteristicUUID);
    }
    // Lets `frames` more frames through (negative: unlimited) and says the queue has room.
    void makeRoom(int frames) {
        transmitRoom = frames;
        delegate_->readyToUpdateSubscribers();
    }
    // Writes each value as one request of one callback; returns the answers in order (absent
    // while a request is unanswered, which the daemon must never leave).
    std::vector<std::optional<bluetooth::AttResult>> write(
        const std::vector<std::pair<std::string, std::optional<Bytes>>>& values,
        const std::string& central = "phone") {
        auto answers =
            std::make_shared<std::vector<std::optional<bluetooth::AttResult>>>(values.size());
        std::vector<bluetooth::WriteRequest> requests;
        for (std::size_t i = 0; i < values.size(); ++i) {
            requests.push_back({central, values[i].first, values[i].second,
                                bluetooth::WriteResponder(
                                    [answers, i](bluetooth::AttResult r) { (*answers)[i] = r; })});
        }
        delegate_->receivedWrites(std::move(requests));
        return *answers;
    }
    std::optional<bluetooth::AttResult> writeOne(const std::string& characteristicUUID,
                                                 std::optional<Bytes> value) {
        return write({{characteristicUUID, std::move(value)}}).front();
    }

    std::optional<bluetooth::GattServiceLayout> published;
    std::vector<std::string> publishedServiceUUIDs;  // every publication, in order
    std::optional<std::string> advertisedServiceUUID;
    std::optional<std::string> addServiceError;
    std::optional<std::string> advertisingError;
    std::vector<SentFrame> sent;
    bool holdServiceAdded = false;
    int heldServiceAdded = 0;
    int transmitRoom = -1;  // frames accepted before the queue is full; negative: unlimited
    int refusedUpdates = 0;
    int addServiceCalls = 0;
    int removeAllServicesCalls = 0;
    int startAdvertisingCalls = 0;
    int stopAdvertisingFailures = 0;  // the next this many stopAdvertising calls throw

private:
    template <typename F>
    void later(F f) {
        QTimer::singleShot(0, &context_, [this, f] {
            if (delegate_)
                f();
        });
    }

    bluetooth::BlePeripheralDelegate* delegate_ = nullptr;
    bluetooth::AdapterState state_ = bluetooth::AdapterState::poweredOn;
    bool advertising_ = false;
    QObject context_;
};

}  // namespace quorvel::testkit
