#include "QuorvelNativeHost/host/store_event_stream.hpp"

#include <exception>

#include "QuorvelNativeHost/host/message_handling.hpp"
#include "QuorvelPlatform/logging/failure_report.hpp"
#include "QuorvelPlatform/logging/log_categories.hpp"
#include "QuorvelShared/support/clock.hpp"
#include "QuorvelShared/unlockstate/allow_window_state_store.hpp"

namespace quorvel::host {

StoreEventStream::StoreEventStream(std::string profileId, MessageWriter& writer, QObject* parent)
    : QObject(parent), profileId_(std::move(profileId)), writer_(writer) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &StoreEventStream::pass);
    timer_.start(0);
}

void StoreEventStream::pass() {
    recordProfileConnected(profileId_);
    try {
        pushTargets();
        pushAllows();
        pushBluetooth();
    } catch (const std::exception& error) {
        // The extension's end is gone or the message cannot be written: stop pushing.
        reportFailure(lcHost, {"pushing the state to the extension", {}}, error.what());
        running_ = false;
        return;
    }
    timer_.start(passInterval);
}

void StoreEventStream::pushTargets() {
    const MacToExtensionMessage state = targetsState();
    const std::int64_t version = std::get<MacToExtensionMessage::TargetsState>(state.value).version;
    if (lastSentVersion_ == version)
        return;
    writer_.write(state);
    lastSentVersion_ = version;
}

void StoreEventStream::pushAllows() {
    if (auto allows = allows_.consume(AllowWindowStateStore::load(systemClock().now()))) {
        writer_.write(MacToExtensionMessage{MacToExtensionMessage::AllowState{std::move(*allows)}});
    }
}

void StoreEventStream::pushBluetooth() {
    // A file that cannot be read is taken as no status: nothing is pushed until it reads again.
    const std::optional<BLELocalConnectionSnapshot> snapshot =
        loadReportingFailure(lcHost, bluetoothFailure_, "reading the Bluetooth status",
                             BLELocalConnectionStore::filePath, BLELocalConnectionStore::load);
    if (snapshot == lastBluetooth_)
        return;
    lastBluetooth_ = snapshot;
    if (snapshot) {
        writer_.write(MacToExtensionMessage{
            MacToExtensionMessage::BluetoothState{snapshot->status, snapshot->detail}});
    }
}

}  // namespace quorvel::host
