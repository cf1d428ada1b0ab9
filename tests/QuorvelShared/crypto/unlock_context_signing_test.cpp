#include "QuorvelShared/crypto/unlock_context_signing.hpp"

#include <gtest/gtest.h>

#include <functional>

#include "QuorvelShared/crypto/crypto_error.hpp"
#include "QuorvelShared/crypto/unlock_context_crypto_error.hpp"
#include "QuorvelShared/support/base64.hpp"

namespace quorvel {
namespace {

namespace crypto = UnlockContextCrypto;

Date at(const char* iso) {
    return *parseIsoDate(iso);
}

// One payload type's sign and verify operations with a payload and a set of one-field changes.
struct PayloadCase {
    const char* name;
    std::function<std::string(const P256SigningPrivateKey&)> sign;
    std::function<bool(const std::string&, const std::string&)> verifyOriginal;
    std::vector<std::pair<const char*, std::function<bool(const std::string&, const std::string&)>>>
        verifyChanged;
};

template <class Payload>
PayloadCase makeCase(const char* name, Payload payload,
                     std::string (*sign)(const Payload&, const P256SigningPrivateKey&),
                     bool (*verify)(std::string_view, const Payload&, std::string_view),
                     std::vector<std::pair<const char*, std::function<void(Payload&)>>> changes) {
    PayloadCase result{name,
                       [=](const auto& key) { return sign(payload, key); },
                       [=](const auto& signature, const auto& publicKey) {
                           return verify(signature, payload, publicKey);
                       },
                       {}};
    for (const auto& [changeName, change] : changes) {
        Payload changed = payload;
        change(changed);
        result.verifyChanged.emplace_back(changeName, [=](const auto& signature, const auto& key) {
            return verify(signature, changed, key);
        });
    }
    return result;
}

std::vector<PayloadCase> allPayloads() {
    const Date until = at("2024-05-01T10:15:00Z");
    return {
        makeCase<UnlockApprovalSigningPayload>(
            "approval", {"req_1", 900, until, "ios-1"}, crypto::signApproval,
            crypto::verifyApprovalSignature,
            {{"one second later",
              [](auto& p) { p.approvedUntil = p.approvedUntil.addingSeconds(1); }},
             {"duration", [](auto& p) { p.approvedDurationSeconds += 1; }},
             {"request id", [](auto& p) { p.requestId = "req_2"; }},
             {"device id", [](auto& p) { p.iosDeviceId = "ios-2"; }}}),
        makeCase<LinkedUnlockSigningPayload>(
            "linked unlock", {"mac-1", "app:x", until, "ios-1", 7}, crypto::signLinkedUnlock,
            crypto::verifyLinkedUnlockSignature,
            {{"revision + 1", [](auto& p) { p.revision += 1; }},
             {"one second earlier",
              [](auto& p) { p.approvedUntil = p.approvedUntil.addingSeconds(-1); }},
             {"target", [](auto& p) { p.targetId = "app:y"; }},
             {"mac", [](auto& p) { p.macDeviceId = "mac-2"; }}}),
        makeCase<LinkedUnlockReceiptSigningPayload>(
            "linked unlock receipt", {"mac-1", "ios-1", "app:x", 7},
            crypto::signLinkedUnlockReceipt, crypto::verifyLinkedUnlockReceiptSignature,
            {{"revision - 1", [](auto& p) { p.revision -= 1; }},
             {"ios", [](auto& p) { p.iosDeviceId = "ios-2"; }}}),
        makeCase<TargetSyncReceiptSigningPayload>(
            "target sync receipt", {"mac-1", "ios-1", "sync_1", 3}, crypto::signTargetSyncReceipt,
            crypto::verifyTargetSyncReceiptSignature,
            {{"version + 1", [](auto& p) { p.version += 1; }},
             {"request id", [](auto& p) { p.requestId = "sync_2"; }}}),
        makeCase<BLETrustedStateSigningPayload>(
            "trusted state",
            {BLELocalPrototypeMessageKind::targetSync, "ios-1", "req_1", "mac-1", "a/b==", 3},
            crypto::signBLETrustedState, crypto::verifyBLETrustedStateSignature,
            {{"kind", [](auto& p) { p.kind = BLELocalPrototypeMessageKind::unpair; }},
             {"version dropped", [](auto& p) { p.targetSyncVersion.reset(); }},
             {"mac dropped", [](auto& p) { p.macDeviceId.reset(); }},
             {"payload", [](auto& p) { p.encryptedTargetPayload = "a/c=="; }}}),
    };
}

TEST(UnlockContextSigning, SignedPayloadsVerifyAndAnyChangeDoesNot) {
    const auto key = P256SigningPrivateKey::generate();
    const std::string publicKey = base64Encode(key.publicKey().rawRepresentation());
    const std::string otherKey =
        base64Encode(P256SigningPrivateKey::generate().publicKey().rawRepresentation());
    for (const PayloadCase& c : allPayloads()) {
        const std::string signature = c.sign(key);
        EXPECT_LE(base64Decode(signature)->size(), 72u) << c.name;
        EXPECT_TRUE(c.verifyOriginal(signature, publicKey)) << c.name;
        EXPECT_FALSE(c.verifyOriginal(signature, otherKey)) << c.name;
        for (const auto& [change, verify] : c.verifyChanged) {
            EXPECT_FALSE(verify(signature, publicKey)) << c.name << ": " << change;
        }
    }
}

TEST(UnlockContextSigning, SignatureOfOnePayloadTypeDoesNotVerifyAnother) {
    const auto key = P256SigningPrivateKey::generate();
    const std::string publicKey = base64Encode(key.publicKey().rawRepresentation());
    const LinkedUnlockReceiptSigningPayload receipt{"mac-1", "ios-1", "t", 1};
    const std::string signature = crypto::signLinkedUnlockReceipt(receipt, key);
    EXPECT_FALSE(crypto::verifyTargetSyncReceiptSignature(
        signature, TargetSyncReceiptSigningPayload{"mac-1", "ios-1", "t", 1}, publicKey));
}

TEST(UnlockContextSigning, UnreadableInputsFailInOrder) {
    const auto key = P256SigningPrivateKey::generate();
    const Bytes rawKey = key.publicKey().rawRepresentation();
    const std::string publicKey = base64Encode(rawKey);
    const TargetSyncReceiptSigningPayload payload{"mac-1", "ios-1", "sync_1", 3};
    const std::string signature = crypto::signTargetSyncReceipt(payload, key);
    const Bytes keyWithFormatByte = key.publicKey().x963Representation();  // 0x04, then raw
    const Bytes der = *base64Decode(signature);
    Bytes derWithTrailingByte = der;
    derWithTrailingByte.push_back(0);

    auto failure = [&](const std::string& sig, const std::string& pub) -> std::string {
        try {
            (void)crypto::verifyTargetSyncReceiptSignature(sig, payload, pub);
        } catch (const Error<UnlockContextCryptoError>& e) {
            return std::string(
                nameOf<UnlockContextCryptoError>(e.code(), unlockContextCryptoErrorNames));
        } catch (const CryptoError& e) {
            return std::string(nameOf<CryptoErrorKind>(e.code(), cryptoErrorKindNames));
        }
        return "returned";
    };
    const std::string raw64 = base64Encode(Bytes(64, 0x11));
    const std::tuple<const char*, std::string, std::string, std::string> cases[] = {
        {"signature not base64", "%%%%", "%%%%", "invalidBase64"},
        {"key not base64", signature, publicKey + "\n", "invalidBase64"},
        {"raw r||s signature", raw64, publicKey, "invalidSignatureEncoding"},
        {"DER with a trailing byte", base64Encode(derWithTrailingByte), publicKey,
         "invalidSignatureEncoding"},
        {"non-DER before a bad key", raw64, base64Encode(keyWithFormatByte),
         "invalidSignatureEncoding"},
        {"65-byte key", signature, base64Encode(keyWithFormatByte), "invalidKey"},
        {"key off the curve", signature, raw64, "invalidKey"},
        {"empty signature", "", publicKey, "invalidSignatureEncoding"},
    };
    for (const auto& [name, sig, pub, expected] : cases) {
        EXPECT_EQ(failure(sig, pub), expected) << name;
    }
}

}  // namespace
}  // namespace quorvel
