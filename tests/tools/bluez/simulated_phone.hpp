#pragma once

// The phone's side of the link through the fake BlueZ: it subscribes with a device path and an
// ATT MTU, collects the notifications it receives (already clipped to MTU - 3 as bluetoothd does)
// and reassembles them into wire messages, and writes frames one ATT write request at a time,
// seeing each answer as the ATT code the phone would get.
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "QuorvelShared/messages/ble_local_prototype_chunk_assembler.hpp"
#include "QuorvelShared/messages/ble_local_prototype_wire_message.hpp"
#include "bluez/fake_bluez.hpp"

namespace quorvel::testing {

class SimulatedPhone final : public QObject {
    Q_OBJECT

public:
    SimulatedPhone(FakeBlueZ& bluez, QString device, int mtu);

    const QString& device() const { return device_; }
    int mtu() const { return mtu_; }

    // Subscribes; `subscribed()` turns true once the notify socket is ours.
    void subscribe();
    void unsubscribe();
    bool subscribed() const { return subscribed_; }
    const QString& subscribeError() const { return subscribeError_; }

    // Every notification as received, and every message they completed.
    const std::vector<Bytes>& frames() const { return frames_; }
    const std::vector<Bytes>& messages() const { return messages_; }
    std::vector<BLELocalPrototypeWireMessage> wireMessages() const;
    int frameErrors() const { return frameErrors_; }

    // One write request; the ATT code of its answer lands in writeResults().
    void writeFrame(const Bytes& frame);
    // Cuts the message into frames of MTU - 3 bytes and writes them one after the other, each
    // once the previous one is answered, as ATT allows one request at a time.
    void sendMessage(const BLELocalPrototypeWireMessage& message);
    void sendBytes(const Bytes& encoded);
    const std::vector<std::uint8_t>& writeResults() const { return writeResults_; }
    bool writesPending() const { return pendingWrites_ > 0 || !queue_.empty(); }

private:
    void onFrame(const Bytes& frame);
    void writeNext();

    FakeBlueZ& bluez_;
    QString device_;
    int mtu_;
    bool subscribed_ = false;
    QString subscribeError_;
    BLELocalPrototypeChunkAssembler assembler_;
    std::vector<Bytes> frames_;
    std::vector<Bytes> messages_;
    int frameErrors_ = 0;
    std::vector<Bytes> queue_;
    int pendingWrites_ = 0;
    std::vector<std::uint8_t> writeResults_;
};

}  // namespace quorvel::testing
