#include "QuorvelNativeHost/daemon/unlock_peripheral.hpp"

#include <algorithm>
#include <exception>

#include "QuorvelNativeHost/daemon/uuid_text.hpp"
#include "QuorvelPlatform/logging/failure_report.hpp"
#include "QuorvelPlatform/logging/log_categories.hpp"
#include "QuorvelShared/bridge/ble_local_connection_store.hpp"
#include "QuorvelShared/messages/ble_local_identity.hpp"
#include "QuorvelShared/messages/ble_local_prototype_chunk.hpp"
#include "QuorvelShared/support/text.hpp"
#include "QuorvelShared/support/uuid.hpp"

namespace quorvel::daemon {

using bluetooth::AdapterState;
using Kind = BLELocalPrototypeMessageKind;

namespace {

// The frame size of the link: the smallest subscriber's limit, kept between these bounds so a
// tiny limit still leaves room for a payload and a huge one stays within one ATT value.
constexpr std::int64_t smallestFrame = 64;
constexpr std::int64_t largestFrame = 512;

}  // namespace

BLELocalUnlockPeripheralPrototype::BLELocalUnlockPeripheralPrototype(
    bluetooth::BlePeripheral& manager, std::optional<std::string> macDeviceId,
    MessageHandler onMessage, ReceiptHandler onUnlockReceipt, UnlockDeliveryTiming timing,
    QObject* parent)
    : QObject(parent),
      manager_(manager),
      serviceUUID_(BLELocalAdvertisementIdentity::serviceUUID(macDeviceId)),
      macDeviceId_(std::move(macDeviceId)),
      onMessage_(std::move(onMessage)),
      onUnlockReceipt_(std::move(onUnlockReceipt)),
      timing_(timing),
      deadlines_(new BootClockDeadlines(this)) {
    manager_.setDelegate(this);
}

BLELocalUnlockPeripheralPrototype::~BLELocalUnlockPeripheralPrototype() {
    manager_.setDelegate(nullptr);
}

void BLELocalUnlockPeripheralPrototype::writeStatus(BluetoothLinkState status,
                                                    const std::optional<std::string>& detail) {
    snapshot_ = {status, detail};
    // The status file is a courtesy to the other programs; the link goes on without it.
    runReportingFailure(lcDaemon, statusWriteFailure_, {"writing the Bluetooth status", {}},
                        [&](OperationStep& step) {
                            step.file = BLELocalConnectionStore::filePath();
                            BLELocalConnectionStore::save(status, detail);
                        });
}

void BLELocalUnlockPeripheralPrototype::adapterStateChanged(AdapterState state) {
    switch (state) {
        case AdapterState::unknown:
            writeStatus(BluetoothLinkState::starting, "Bluetoothの状態を確認中");
            return;
        case AdapterState::resetting:
            writeStatus(BluetoothLinkState::starting, "Bluetoothを再準備中");
            return;
        case AdapterState::unsupported:
            writeStatus(BluetoothLinkState::unsupported, "このMacはBluetooth LEに対応していません");
            break;
        case AdapterState::unauthorized:
            writeStatus(BluetoothLinkState::unauthorized, "MacでBluetoothが許可されていません");
            break;
        case AdapterState::poweredOff:
            writeStatus(BluetoothLinkState::off, "MacのBluetoothがオフです");
            break;
        case AdapterState::poweredOn:
            publishService();
            return;
        default:
            writeStatus(BluetoothLinkState::error, "Bluetoothの状態を取得できません");
            return;
    }
    failAll({errorDescription(BLELocalUnlockPrototypeError::bluetoothUnavailable)});
}

void BLELocalUnlockPeripheralPrototype::failAll(const PeripheralFailure& failure) {
    std::vector<UnlockCompletion> pending;
    while (!unlockContinuations_.empty()) {
        pending.push_back(*takeContinuation(unlockContinuations_.begin()->first));
    }
    deliveredRequestIds_.clear();
    deliveryRecoveryState_ = {};
    outboundFrames_.entries.clear();
    for (const auto& completion : pending)
        completion(failure);
}

void BLELocalUnlockPeripheralPrototype::publishService() {
    manager_.removeAllServices();
    servicePublished_ = true;
    manager_.addService({serviceUUID_, std::string(BLELocalPrototypeUUIDs::macToIOS),
                         std::string(BLELocalPrototypeUUIDs::iosToMac)});
}

void BLELocalUnlockPeripheralPrototype::serviceAdded(const std::optional<std::string>& error) {
    if (error) {
        writeStatus(BluetoothLinkState::error, *error);
        failAll({*error});
        return;
    }
    startAdvertisingIfNeeded();
    writeStatus(BluetoothLinkState::advertising, "iPhoneを待っています");
}

void BLELocalUnlockPeripheralPrototype::startAdvertisingIfNeeded() {
    if (manager_.state() == AdapterState::poweredOn && !manager_.isAdvertising()) {
        manager_.startAdvertising(serviceUUID_);
    }
}

void BLELocalUnlockPeripheralPrototype::advertisingStarted(
    const std::optional<std::string>& error) {
    if (!error)
        return;
    writeStatus(BluetoothLinkState::error, *error);
    failAll({*error});
}

void BLELocalUnlockPeripheralPrototype::restartPublishedService() {
    manager_.stopAdvertising();
    manager_.removeAllServices();
    servicePublished_ = false;
    if (manager_.state() == AdapterState::poweredOn)
        publishService();
}

void BLELocalUnlockPeripheralPrototype::refreshAdvertisingIdentity(
    const std::optional<std::string>& macDeviceId) {
    macDeviceId_ = macDeviceId;
    const std::string uuid = BLELocalAdvertisementIdentity::serviceUUID(macDeviceId);
    if (uuid == serviceUUID_)
        return;
    serviceUUID_ = uuid;
    subscribedCentrals_.clear();
    outboundFrames_.entries.clear();
    servicePublished_ = false;
    // The pairing offer must survive the switch to the unpaired identity it is offered under.
    if (macDeviceId)
        latestPairingOffer_.reset();
    manager_.stopAdvertising();
    manager_.removeAllServices();
    if (manager_.state() == AdapterState::poweredOn)
        publishService();
}

void BLELocalUnlockPeripheralPrototype::centralSubscribed(
    const bluetooth::SubscribedCentral& central, const std::string& characteristicUUID) {
    if (!sameUuidText(characteristicUUID, BLELocalPrototypeUUIDs::macToIOS))
        return;
    std::erase_if(subscribedCentrals_,
                  [&](const auto& known) { return known.identifier == central.identifier; });
    subscribedCentrals_.push_back(central);
    startAdvertisingIfNeeded();
    writeStatus(BluetoothLinkState::connected,
                "iPhoneからのBluetooth応答履歴あり。現在の到達は解除申請の送信時に確認します");

    BLELocalPrototypeWireMessage refresh;
    refresh.version = 1;
    refresh.kind = Kind::stateRefreshRequest;
    refresh.requestId = "state_refresh_" + newUuidText();
    refresh.macDeviceId = macDeviceId_;
    std::vector<BLELocalPrototypeWireMessage> bestEffort{refresh};
    if (latestPairingOffer_)
        bestEffort.push_back(*latestPairingOffer_);
    for (auto& message : std::exchange(queuedMessages_, {}))
        bestEffort.push_back(message);
    for (const auto& message : bestEffort) {
        try {
            enqueue(message);
        } catch (const std::exception& error) {
            // A message that cannot be framed is dropped; the others still go.
            const std::string kind(nameOf<Kind>(message.kind, bleLocalPrototypeMessageKindNames));
            reportFailure(lcDaemon, {"sending the " + kind + " message to the iPhone", {}},
                          error.what());
        }
    }
    for (const auto& message : deliveryRecoveryState_.activeMessages()) {
        if (deliveredRequestIds_.contains(message.requestId.value_or("")))
            continue;
        try {
            enqueue(message);
        } catch (const std::exception& error) {
            failAll({error.what()});
            return;
        }
    }
}

void BLELocalUnlockPeripheralPrototype::centralUnsubscribed(const std::string& centralIdentifier,
                                                            const std::string&) {
    std::erase_if(subscribedCentrals_,
                  [&](const auto& known) { return known.identifier == centralIdentifier; });
    if (!subscribedCentrals_.empty())
        return;
    startAdvertisingIfNeeded();
    // A link that went down with the adapter (switched off, bluetoothd gone) ends on its own
    // path, which may come after the adapter's status was written: that status stays.
    if (manager_.state() == AdapterState::poweredOn)
        writeStatus(BluetoothLinkState::advertising,
                    "iPhoneとの接続が切れました。再接続を待っています");
}

void BLELocalUnlockPeripheralPrototype::send(const BLELocalPrototypeWireMessage& message) {
    if (message.kind == Kind::pairingOffer)
        latestPairingOffer_ = message;
    enqueue(message);
}

void BLELocalUnlockPeripheralPrototype::enqueue(const BLELocalPrototypeWireMessage& message) {
    if (subscribedCentrals_.empty()) {
        // Unlock requests and pairing offers are re-sent from their own records on the next
        // subscription; anything else waits here for it.
        if (message.kind != Kind::unlockRequest && message.kind != Kind::pairingOffer) {
            queuedMessages_.push_back(message);
            // A device that writes without ever subscribing must not grow this without end;
            // a subscribing phone asks for a state refresh anyway, so the newest are enough.
            if (queuedMessages_.size() > maximumQueuedMessages)
                queuedMessages_.erase(queuedMessages_.begin());
        }
        return;
    }
    const std::string encoded = encodeBLELocalPrototypeWireMessage(message);
    std::int64_t frameSize = largestFrame;
    for (const auto& central : subscribedCentrals_) {
        frameSize = std::min(frameSize, central.maximumUpdateValueLength);
    }
    frameSize = std::clamp(frameSize, smallestFrame, largestFrame);
    auto frames = BLELocalPrototypeChunkCodec::frames(bytesOf(encoded), frameSize, Uuid::random());
    outboundFrames_.append(std::move(frames), message.requestId);
    flushOutboundFrames();
}

void BLELocalUnlockPeripheralPrototype::flushOutboundFrames() {
    if (!servicePublished_)
        return;
    std::vector<std::string> centrals;
    for (const auto& central : subscribedCentrals_)
        centrals.push_back(central.identifier);
    while (!outboundFrames_.entries.empty()) {
        if (!manager_.updateValue(outboundFrames_.entries.front().data, centrals))
            return;
        outboundFrames_.entries.pop_front();
    }
}

void BLELocalUnlockPeripheralPrototype::readyToUpdateSubscribers() {
    flushOutboundFrames();
}

}  // namespace quorvel::daemon
