#include "QuorvelNativeHost/daemon/incoming_message_applier.hpp"

#include <exception>

#include "QuorvelNativeHost/daemon/link_configuration.hpp"
#include "QuorvelNativeHost/daemon/request_processor.hpp"
#include "QuorvelNativeHost/host/native_host_error.hpp"
#include "QuorvelPlatform/logging/failure_report.hpp"
#include "QuorvelPlatform/logging/log_categories.hpp"
#include "QuorvelShared/backend/quorvel_backend_defaults.hpp"
#include "QuorvelShared/bridge/ble_local_bridge_store.hpp"
#include "QuorvelShared/bridge/ble_local_pairing_session_store.hpp"
#include "QuorvelShared/bridge/mac_link_configuration_store.hpp"
#include "QuorvelShared/crypto/crypto_error.hpp"
#include "QuorvelShared/crypto/unlock_context_crypto_error.hpp"
#include "QuorvelShared/crypto/unlock_context_signing.hpp"
#include "QuorvelShared/support/clock.hpp"
#include "QuorvelShared/support/json_errors.hpp"
#include "QuorvelShared/unlockstate/allow_window_state_store.hpp"
#include "QuorvelShared/unlockstate/linked_unlock_local_state_applier.hpp"
#include "QuorvelShared/unlockstate/linked_unlock_revision_state_store.hpp"
#include "QuorvelShared/unlockstate/linked_web_target_ids.hpp"
#include "QuorvelShared/unlockstate/synced_target_state_store.hpp"
#include "QuorvelShared/unlockstate/target_sync_crypto.hpp"

namespace quorvel::daemon {

using Kind = BLELocalPrototypeMessageKind;
using Message = BLELocalPrototypeWireMessage;

namespace {

// A check that cannot even be made (a signature or key that does not decode, a payload that
// cannot be encoded) refuses like a wrong one: the message is the sender's, and so is the fault.
template <class Check>
bool verified(Check check) {
    try {
        return check();
    } catch (const Error<UnlockContextCryptoError>&) {
    } catch (const CryptoError&) {
    } catch (const json::EncodeError&) {
    }
    return false;
}

Message reply(Kind kind) {
    Message message;
    message.version = 1;
    message.kind = kind;
    return message;
}

Message pairingResult(const Message& approval, bool accepted) {
    Message result = reply(Kind::pairingResult);
    result.requestId = approval.requestId;
    result.pairingSessionId = approval.pairingSessionId;
    result.pairingAccepted = accepted;
    if (!accepted)
        result.pairingError = std::string(pairingRefusedText);
    return result;
}

std::optional<Message> applyTargetSync(const Message& message, const MacLinkConfiguration& link,
                                       DeviceKeyStoring& deviceKeys) {
    if (!message.requestId || message.iosDeviceId != link.iosDeviceId ||
        !message.encryptedTargetPayload || !message.targetSyncVersion || !message.trustSignature) {
        return std::nullopt;
    }
    const BLETrustedStateSigningPayload payload{Kind::targetSync,
                                                link.iosDeviceId,
                                                *message.requestId,
                                                std::nullopt,
                                                message.encryptedTargetPayload,
                                                message.targetSyncVersion};
    if (!verified([&] {
            return UnlockContextCrypto::verifyBLETrustedStateSignature(
                *message.trustSignature, payload, link.iosSigningPublicKeyBase64);
        })) {
        return std::nullopt;
    }
    const DeviceKeyPair keys = deviceKeys.loadOrCreateDeviceKeys(link.macDeviceId);
    const SyncedTargetList received = TargetSyncCrypto::decrypt(
        *message.encryptedTargetPayload, keys.encryptionPrivateKey, link.macDeviceId);
    if (received.version != *message.targetSyncVersion)
        return std::nullopt;
    SyncedTargetStateStore::saveIfNewer(received, SyncedTargetStateStore::filePath());
    const auto stored = SyncedTargetStateStore::load();
    if (!stored)
        return std::nullopt;
    // Answer with the version the Mac now holds: the one sent when it was stored or already
    // there, or the Mac's newer one when the iPhone is behind.
    if (!(*stored == received) && received.version >= stored->version)
        return std::nullopt;

    Message receipt = reply(Kind::targetSyncReceipt);
    receipt.requestId = message.requestId;
    receipt.targetSyncVersion = stored->version;
    receipt.macDeviceId = link.macDeviceId;
    receipt.iosDeviceId = link.iosDeviceId;
    receipt.trustSignature = UnlockContextCrypto::signTargetSyncReceipt(
        {link.macDeviceId, link.iosDeviceId, *message.requestId, stored->version},
        keys.signingPrivateKey);
    return receipt;
}

std::optional<Message> applyLinkedUnlock(const Message& message, const MacLinkConfiguration& link,
                                         DeviceKeyStoring& deviceKeys) {
    if (!message.linkedTargetId || !message.linkedRevision || !message.approvedUntil ||
        !message.linkedSignature) {
        return std::nullopt;
    }
    const LinkedUnlockSigningPayload payload{link.macDeviceId, *message.linkedTargetId,
                                             *message.approvedUntil, link.iosDeviceId,
                                             *message.linkedRevision};
    if (!verified([&] {
            return UnlockContextCrypto::verifyLinkedUnlockSignature(
                *message.linkedSignature, payload, link.iosSigningPublicKeyBase64);
        })) {
        return std::nullopt;
    }
    // A stale revision changes nothing, yet the iPhone still gets its receipt.
    LinkedUnlockLocalStateApplier::apply(
        *message.linkedTargetId, *message.linkedRevision, *message.approvedUntil,
        quorvel::linkedWebTargetIds(*message.linkedTargetId), systemClock().now(),
        LinkedUnlockRevisionStateStore::filePath(), AllowWindowStateStore::filePath());

    const DeviceKeyPair keys = deviceKeys.loadOrCreateDeviceKeys(link.macDeviceId);
    Message receipt = reply(Kind::linkedUnlockReceipt);
    receipt.linkedTargetId = message.linkedTargetId;
    receipt.linkedRevision = message.linkedRevision;
    receipt.macDeviceId = link.macDeviceId;
    receipt.iosDeviceId = link.iosDeviceId;
    receipt.trustSignature = UnlockContextCrypto::signLinkedUnlockReceipt(
        {link.macDeviceId, link.iosDeviceId, *message.linkedTargetId, *message.linkedRevision},
        keys.signingPrivateKey);
    return receipt;
}

void applyUnpair(const Message& message, const MacLinkConfiguration& link) {
    if (!message.requestId || message.iosDeviceId != link.iosDeviceId ||
        message.macDeviceId != link.macDeviceId || !message.trustSignature) {
        return;
    }
    const BLETrustedStateSigningPayload payload{Kind::unpair,       link.iosDeviceId,
                                                *message.requestId, link.macDeviceId,
                                                std::nullopt,       std::nullopt};
    if (!verified([&] {
            return UnlockContextCrypto::verifyBLETrustedStateSignature(
                *message.trustSignature, payload, link.iosSigningPublicKeyBase64);
        })) {
        return;
    }
    MacLinkConfigurationStore::clear();
    announce(BLELocalPairingSessionStore::configurationChangedNotification);
}

}  // namespace

std::optional<Message> applyBluetoothIncomingMessage(const Message& message,
                                                     DeviceKeyStoring& deviceKeys) {
    if (message.kind == Kind::pairingApproval) {
        try {
            applyBluetoothPairingApproval(message);
            return pairingResult(message, true);
        } catch (const host::NativeHostError&) {
            // A refused approval: the refusal is the answer.
            return pairingResult(message, false);
        } catch (const std::exception& error) {
            // Anyone near the Mac may send approvals: a file that fails each of them is told
            // once, not once per approval.
            static RepeatedFailure failure;
            reportFailure(lcDaemon, failure, {"applying a pairing approval", {}}, error.what());
            return pairingResult(message, false);
        }
    }
    const auto link = loadLinkConfiguration();
    if (!link || link->macDeviceId.empty())
        return std::nullopt;
    try {
        switch (message.kind) {
            case Kind::targetSync:
                return applyTargetSync(message, *link, deviceKeys);
            case Kind::linkedUnlock:
                return applyLinkedUnlock(message, *link, deviceKeys);
            case Kind::unpair:
                applyUnpair(message, *link);
                return std::nullopt;
            default:
                return std::nullopt;
        }
    } catch (const std::exception& error) {
        // The message is signed by the paired iPhone, so this is a failure of the Mac's own (its
        // keys, its files), reported; what was already written stays written.
        const std::string kind(nameOf<Kind>(message.kind, bleLocalPrototypeMessageKindNames));
        reportFailure(lcDaemon, {"applying the iPhone's " + kind + " message", {}}, error.what());
        return std::nullopt;
    }
}

void applyBluetoothPairingApproval(const Message& message) {
    const auto refuse = [] {
        throw host::NativeHostError(host::NativeHostErrorCase::invalidPairingApproval);
    };
    const auto offer = BLELocalPairingSessionStore::load();
    if (!offer)
        refuse();
    if (!(offer->expiresAt > systemClock().now()))
        refuse();
    if (message.pairingSessionId != offer->sessionId)
        refuse();
    if (message.pairingCode != offer->code)
        refuse();
    if (!message.iosDeviceId || !message.iosEncryptionPublicKeyBase64 ||
        !message.iosSigningPublicKeyBase64) {
        refuse();
    }
    const auto existing = MacLinkConfigurationStore::load();
    MacLinkConfiguration link;
    link.backendBaseURL =
        existing ? existing->backendBaseURL : std::string(backend::kDefaultBaseURL);
    link.accessToken = existing ? existing->accessToken : std::string();
    link.macDeviceId = offer->macDeviceId;
    link.iosDeviceId = *message.iosDeviceId;
    link.iosSigningPublicKeyBase64 = *message.iosSigningPublicKeyBase64;
    link.iosEncryptionPublicKeyBase64 = *message.iosEncryptionPublicKeyBase64;
    link.defaultUnlockDurationSeconds = existing ? existing->defaultUnlockDurationSeconds : 600;
    link.pollTimeoutSeconds = existing ? existing->pollTimeoutSeconds : 120;
    MacLinkConfigurationStore::save(link);
    announce(BLELocalPairingSessionStore::configurationChangedNotification);
}

bool acceptBluetoothUnlockReceipt(const Message& message) {
    if (message.kind != Kind::unlockReceipt || !message.requestId || !message.iosDeviceId ||
        !message.trustSignature) {
        return false;
    }
    const auto link = loadLinkConfiguration();
    if (!link || link->iosDeviceId != *message.iosDeviceId)
        return false;
    const BLETrustedStateSigningPayload payload{Kind::unlockReceipt, *message.iosDeviceId,
                                                *message.requestId,  std::nullopt,
                                                std::nullopt,        std::nullopt};
    if (!verified([&] {
            return UnlockContextCrypto::verifyBLETrustedStateSignature(
                *message.trustSignature, payload, link->iosSigningPublicKeyBase64);
        })) {
        return false;
    }
    const bool recorded = runReportingFailure(
        lcDaemon, {"recording the iPhone's receipt of request " + *message.requestId, {}},
        [&](OperationStep& step) {
            step.file = BLELocalBridgeStore::stateURL();
            BLELocalBridgeStore::saveResponse({*message.requestId, false, message, std::nullopt});
        });
    if (!recorded)
        return false;
    postResponseNotification();
    return true;
}

}  // namespace quorvel::daemon
