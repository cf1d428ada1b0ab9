#include "bluez/phone_protocol.hpp"

#include "QuorvelShared/crypto/unlock_context_signing.hpp"
#include "QuorvelShared/support/base64.hpp"
#include "QuorvelShared/unlockstate/target_sync_crypto.hpp"

namespace quorvel::testing {

using Kind = BLELocalPrototypeMessageKind;

PhoneIdentity PhoneIdentity::generate(std::string iosDeviceId) {
    return {std::move(iosDeviceId), P256SigningPrivateKey::generate(),
            P256KeyAgreementPrivateKey::generate()};
}

std::string PhoneIdentity::signingPublicKeyBase64() const {
    return base64Encode(signing.publicKey().rawRepresentation());
}

std::string PhoneIdentity::encryptionPublicKeyBase64() const {
    return base64Encode(agreement.publicKey().rawRepresentation());
}

namespace phone {
namespace {

BLELocalPrototypeWireMessage message(Kind kind) {
    BLELocalPrototypeWireMessage built;
    built.version = 1;
    built.kind = kind;
    return built;
}

}  // namespace

BLELocalPrototypeWireMessage unlockReceipt(const PhoneIdentity& identity,
                                           const std::string& requestId) {
    auto receipt = message(Kind::unlockReceipt);
    receipt.requestId = requestId;
    receipt.iosDeviceId = identity.iosDeviceId;
    receipt.trustSignature = UnlockContextCrypto::signBLETrustedState(
        {Kind::unlockReceipt, identity.iosDeviceId, requestId, std::nullopt, std::nullopt,
         std::nullopt},
        identity.signing);
    return receipt;
}

BLELocalPrototypeWireMessage unlockApproval(const PhoneIdentity& identity,
                                            const std::string& requestId,
                                            std::int64_t durationSeconds, Date approvedUntil) {
    auto approval = message(Kind::unlockApproval);
    approval.requestId = requestId;
    approval.approvedDurationSeconds = durationSeconds;
    approval.approvedUntil = approvedUntil;
    approval.iosDeviceId = identity.iosDeviceId;
    approval.approvalSignature = UnlockContextCrypto::signApproval(
        {requestId, durationSeconds, approvedUntil, identity.iosDeviceId}, identity.signing);
    return approval;
}

BLELocalPrototypeWireMessage unlockCancellation(const PhoneIdentity& identity,
                                                const std::string& requestId) {
    auto cancellation = message(Kind::unlockCancellation);
    cancellation.requestId = requestId;
    cancellation.iosDeviceId = identity.iosDeviceId;
    return cancellation;
}

void linkApproval(const PhoneIdentity& identity, BLELocalPrototypeWireMessage& approval,
                  const std::string& macDeviceId, const std::string& linkedTargetId,
                  std::int64_t revision) {
    approval.linkedTargetId = linkedTargetId;
    approval.linkedRevision = revision;
    approval.linkedSignature = UnlockContextCrypto::signLinkedUnlock(
        {macDeviceId, linkedTargetId, *approval.approvedUntil, identity.iosDeviceId, revision},
        identity.signing);
}

BLELocalPrototypeWireMessage pairingApproval(const PhoneIdentity& identity,
                                             const std::string& requestId,
                                             const std::string& sessionId,
                                             const std::string& code) {
    auto approval = message(Kind::pairingApproval);
    approval.requestId = requestId;
    approval.pairingSessionId = sessionId;
    approval.pairingCode = code;
    approval.iosDeviceId = identity.iosDeviceId;
    approval.iosEncryptionPublicKeyBase64 = identity.encryptionPublicKeyBase64();
    approval.iosSigningPublicKeyBase64 = identity.signingPublicKeyBase64();
    return approval;
}

BLELocalPrototypeWireMessage targetSync(const PhoneIdentity& identity, const std::string& requestId,
                                        const SyncedTargetList& list,
                                        const std::string& macEncryptionPublicKeyBase64,
                                        const std::string& macDeviceId) {
    auto sync = message(Kind::targetSync);
    sync.requestId = requestId;
    sync.iosDeviceId = identity.iosDeviceId;
    sync.encryptedTargetPayload =
        TargetSyncCrypto::encrypt(list, macEncryptionPublicKeyBase64, macDeviceId);
    sync.targetSyncVersion = list.version;
    sync.trustSignature = UnlockContextCrypto::signBLETrustedState(
        {Kind::targetSync, identity.iosDeviceId, requestId, std::nullopt,
         sync.encryptedTargetPayload, list.version},
        identity.signing);
    return sync;
}

BLELocalPrototypeWireMessage linkedUnlock(const PhoneIdentity& identity,
                                          const std::string& macDeviceId,
                                          const std::string& targetId, std::int64_t revision,
                                          Date approvedUntil) {
    auto linked = message(Kind::linkedUnlock);
    linked.linkedTargetId = targetId;
    linked.linkedRevision = revision;
    linked.approvedUntil = approvedUntil;
    linked.iosDeviceId = identity.iosDeviceId;
    linked.linkedSignature = UnlockContextCrypto::signLinkedUnlock(
        {macDeviceId, targetId, approvedUntil, identity.iosDeviceId, revision}, identity.signing);
    return linked;
}

BLELocalPrototypeWireMessage unpair(const PhoneIdentity& identity, const std::string& requestId,
                                    const std::string& macDeviceId) {
    auto message_ = message(Kind::unpair);
    message_.requestId = requestId;
    message_.iosDeviceId = identity.iosDeviceId;
    message_.macDeviceId = macDeviceId;
    message_.trustSignature = UnlockContextCrypto::signBLETrustedState(
        {Kind::unpair, identity.iosDeviceId, requestId, macDeviceId, std::nullopt, std::nullopt},
        identity.signing);
    return message_;
}

}  // namespace phone
}  // namespace quorvel::testing
