#pragma once

// The iPhone's side of the protocol with real keys: the messages it sends, signed the way the
// Mac checks them. The simulated phone writes them; the tests decide which to send when.
#include <cstdint>
#include <string>

#include "QuorvelShared/crypto/p256_private_keys.hpp"
#include "QuorvelShared/messages/ble_local_prototype_wire_message.hpp"
#include "QuorvelShared/unlockstate/synced_target_list.hpp"

namespace quorvel::testing {

struct PhoneIdentity {
    std::string iosDeviceId;
    P256SigningPrivateKey signing;
    P256KeyAgreementPrivateKey agreement;

    static PhoneIdentity generate(std::string iosDeviceId);
    std::string signingPublicKeyBase64() const;
    std::string encryptionPublicKeyBase64() const;
};

namespace phone {

// Delivery confirmation of an unlock request, with the trusted-state signature.
BLELocalPrototypeWireMessage unlockReceipt(const PhoneIdentity& identity,
                                           const std::string& requestId);
// An approval signed over its canonical payload.
BLELocalPrototypeWireMessage unlockApproval(const PhoneIdentity& identity,
                                            const std::string& requestId,
                                            std::int64_t durationSeconds, Date approvedUntil);
// The user dismissed the request on the iPhone.
BLELocalPrototypeWireMessage unlockCancellation(const PhoneIdentity& identity,
                                                const std::string& requestId);
// Makes `approval` (for a web target linked to an application target) open every web target
// linked to `linkedTargetId`, signed with the revision the iPhone gives that link.
void linkApproval(const PhoneIdentity& identity, BLELocalPrototypeWireMessage& approval,
                  const std::string& macDeviceId, const std::string& linkedTargetId,
                  std::int64_t revision);
BLELocalPrototypeWireMessage pairingApproval(const PhoneIdentity& identity,
                                             const std::string& requestId,
                                             const std::string& sessionId, const std::string& code);
// The list sealed for the Mac's key-agreement key, with the trusted-state signature.
BLELocalPrototypeWireMessage targetSync(const PhoneIdentity& identity, const std::string& requestId,
                                        const SyncedTargetList& list,
                                        const std::string& macEncryptionPublicKeyBase64,
                                        const std::string& macDeviceId);
BLELocalPrototypeWireMessage linkedUnlock(const PhoneIdentity& identity,
                                          const std::string& macDeviceId,
                                          const std::string& targetId, std::int64_t revision,
                                          Date approvedUntil);
BLELocalPrototypeWireMessage unpair(const PhoneIdentity& identity, const std::string& requestId,
                                    const std::string& macDeviceId);

}  // namespace phone
}  // namespace quorvel::testing
