// What the phone writes: every write is answered once (0 taken, 6 not for us, 14 refused), the
// frames are put back together, and each whole message goes where it belongs: control messages to
// the daemon's handler, delivery receipts to the receipt handler, answers to the unlock request
// that waits for them.
#include <exception>

#include "QuorvelNativeHost/daemon/unlock_peripheral.hpp"
#include "QuorvelNativeHost/daemon/uuid_text.hpp"
#include "QuorvelPlatform/logging/failure_report.hpp"
#include "QuorvelPlatform/logging/log_categories.hpp"
#include "QuorvelPlatform/timers/boot_clock_deadlines.hpp"
#include "QuorvelShared/messages/ble_local_identity.hpp"
#include "QuorvelShared/messages/ble_local_prototype_chunk.hpp"
#include "QuorvelShared/support/clock.hpp"
#include "QuorvelShared/support/json_errors.hpp"
#include "QuorvelShared/unlockstate/ble_local_accepted_approval_receipt_store.hpp"

namespace quorvel::daemon {

using bluetooth::AttResult;
using Kind = BLELocalPrototypeMessageKind;

namespace {

struct Refused : std::exception {
    explicit Refused(BLELocalUnlockPrototypeError code) : code(code) {}
    const char* what() const noexcept override { return "refused"; }
    BLELocalUnlockPrototypeError code;
};

}  // namespace

void BLELocalUnlockPeripheralPrototype::receivedWrites(
    std::vector<bluetooth::WriteRequest> requests) {
    for (auto& request : requests)
        request.responder.respond(answerWrite(request));
}

AttResult BLELocalUnlockPeripheralPrototype::answerWrite(const bluetooth::WriteRequest& request) {
    if (!sameUuidText(request.characteristicUUID, BLELocalPrototypeUUIDs::iosToMac) ||
        !request.value) {
        return AttResult::requestNotSupported;
    }
    // What the writer sent and we refuse (frames that do not fit together, a message that does
    // not decode, one we do not take) is answered 14 and told nowhere else: the writer learns it
    // from the answer, and anyone near the Mac can write, so a line for each would let them fill
    // standard error. A failure of our own is reported, and the write is answered 14 as well.
    try {
        if (const auto message = responseAssembler_.append(*request.value, bootClockSeconds())) {
            handleIncoming(*message);
        }
    } catch (const Error<BLELocalPrototypeChunkError>&) {
        return AttResult::unlikelyError;
    } catch (const json::DecodeError&) {
        return AttResult::unlikelyError;
    } catch (const Refused&) {
        return AttResult::unlikelyError;
    } catch (const std::exception& error) {
        reportFailure(lcDaemon, {"taking a message of the iPhone", {}}, error.what());
        return AttResult::unlikelyError;
    }
    return AttResult::success;
}

void BLELocalUnlockPeripheralPrototype::handleIncoming(const Bytes& data) {
    const BLELocalPrototypeWireMessage message = decodeBLELocalPrototypeWireMessage(textOf(data));
    if (message.version != 1)
        throw Refused(BLELocalUnlockPrototypeError::invalidMessage);
    switch (message.kind) {
        case Kind::targetSync:
        case Kind::linkedUnlock:
        case Kind::pairingApproval:
        case Kind::unpair:
            onMessage_(message);
            return;
        case Kind::unlockReceipt:
            handleReceipt(message);
            return;
        default:
            handleAnswer(message);
            return;
    }
}

void BLELocalUnlockPeripheralPrototype::handleReceipt(const BLELocalPrototypeWireMessage& message) {
    if (!message.requestId || !unlockContinuations_.contains(*message.requestId))
        return;
    const std::string id = *message.requestId;
    if (!onUnlockReceipt_(message))
        throw Refused(BLELocalUnlockPrototypeError::unexpectedResponse);
    // The handler runs other code; the request may have ended meanwhile.
    if (!unlockContinuations_.contains(id))
        return;
    deliveredRequestIds_.insert(id);
    outboundFrames_.removeRequest(id);
    writeStatus(BluetoothLinkState::connected, "iPhoneへの解除申請到達を確認済み");
}

void BLELocalUnlockPeripheralPrototype::handleAnswer(const BLELocalPrototypeWireMessage& message) {
    if (message.requestId) {
        const std::string id = *message.requestId;
        if (auto request = takeContinuation(id)) {
            deliveredRequestIds_.erase(id);
            deliveryRecoveryState_.finish(id);
            outboundFrames_.removeRequest(id);
            (*request)(message);
            return;
        }
    }
    if (message.kind == Kind::unlockCancellation)
        return;
    if (message.kind == Kind::unlockApproval &&
        BLELocalAcceptedApprovalReceiptStore::matchingReceipt(
            message, systemClock().now(), BLELocalAcceptedApprovalReceiptStore::filePath())) {
        return;
    }
    throw Refused(BLELocalUnlockPrototypeError::unexpectedResponse);
}

}  // namespace quorvel::daemon
