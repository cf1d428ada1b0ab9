#pragma once

// What the host pushes to a subscribed extension unasked: every 2 seconds it looks at the shared
// state files and writes the target list when its version changed, the allow windows when they
// changed, and the Bluetooth status when it changed (only while its file exists). The first pass
// sends the target list and the allow windows even when empty, so each connection starts with a
// full picture. A write failure ends the stream (and is reported); the host goes on answering.
#include <QObject>
#include <QTimer>

#include <cstdint>
#include <optional>
#include <string>

#include "QuorvelNativeHost/host/message_framing.hpp"
#include "QuorvelShared/bridge/ble_local_connection_store.hpp"
#include "QuorvelShared/support/repeated_failure.hpp"
#include "QuorvelShared/unlockstate/allow_window_event_stream_state.hpp"

namespace quorvel::host {

class StoreEventStream final : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::seconds passInterval{2};

    // The first pass runs on the next turn of the loop.
    StoreEventStream(std::string profileId, MessageWriter& writer, QObject* parent = nullptr);

    bool isRunning() const { return running_; }

private:
    void pass();
    void pushTargets();
    void pushAllows();
    void pushBluetooth();

    std::string profileId_;
    MessageWriter& writer_;
    QTimer timer_;
    bool running_ = true;
    // No value until the first list state is sent: any stored version, -1 included, differs.
    std::optional<std::int64_t> lastSentVersion_;
    AllowWindowEventStreamState allows_;
    std::optional<BLELocalConnectionSnapshot> lastBluetooth_;
    // Read every pass: a failure is reported once per change.
    RepeatedFailure bluetoothFailure_;
};

}  // namespace quorvel::host
