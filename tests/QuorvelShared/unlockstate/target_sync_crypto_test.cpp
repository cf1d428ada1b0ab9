#include "QuorvelShared/unlockstate/target_sync_crypto.hpp"

#include <gtest/gtest.h>

#include "QuorvelShared/crypto/crypto_error.hpp"
#include "QuorvelShared/crypto/encrypted_unlock_context_envelope.hpp"
#include "QuorvelShared/crypto/sealed_envelope.hpp"
#include "QuorvelShared/crypto/unlock_context_crypto_error.hpp"
#include "QuorvelShared/support/base64.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"
#include "synced_target_samples.hpp"
#include "testkit/capture_error.hpp"

namespace quorvel {
namespace {

const std::string macDeviceId = "mac-7F3A";

class TargetSyncCryptoTest : public ::testing::Test {
protected:
    P256KeyAgreementPrivateKey macKey = P256KeyAgreementPrivateKey::generate();
    std::string macPublicKey = base64Encode(macKey.publicKey().rawRepresentation());
};

TEST_F(TargetSyncCryptoTest, SealedListOpensWithTheMacsKeyAndDeviceIdWhateverItsVersion) {
    for (const std::int64_t version : {7, -3}) {
        const SyncedTargetList list = testing::sampleSyncedList(version);
        const std::string first = TargetSyncCrypto::encrypt(list, macPublicKey, macDeviceId);
        const std::string second = TargetSyncCrypto::encrypt(list, macPublicKey, macDeviceId);
        EXPECT_NE(first, second);
        EXPECT_EQ(TargetSyncCrypto::decrypt(first, macKey, macDeviceId), list);
        EXPECT_EQ(TargetSyncCrypto::decrypt(second, macKey, macDeviceId), list);
    }
}

TEST_F(TargetSyncCryptoTest, PlaintextIsTheListsCompactJsonUnderTheListSalt) {
    const SyncedTargetList list = testing::sampleSyncedList(7);
    const Bytes opened =
        openEnvelope(TargetSyncCrypto::encrypt(list, macPublicKey, macDeviceId), macKey,
                     bytesOf("mossgroves.lantern-pier.v3"), bytesOf(macDeviceId));
    EXPECT_EQ(textOf(opened), json::write(toJson(list), json::Style::compact));
}

TEST_F(TargetSyncCryptoTest, OpensOnlyUnderItsOwnSaltDeviceIdAndKey) {
    const std::string plaintext =
        json::write(toJson(testing::sampleSyncedList(7)), json::Style::compact);
    const std::string sealed =
        TargetSyncCrypto::encrypt(testing::sampleSyncedList(7), macPublicKey, macDeviceId);
    const std::string underUnlockContextSalt =
        sealEnvelope(bytesOf(plaintext), macPublicKey, bytesOf("brightferns.copper-harbour.v7"),
                     bytesOf(macDeviceId));
    const auto otherKey = P256KeyAgreementPrivateKey::generate();

    const std::function<void()> refused[] = {
        [&] { TargetSyncCrypto::decrypt(sealed, macKey, "mac-other"); },
        [&] { TargetSyncCrypto::decrypt(sealed, otherKey, macDeviceId); },
        [&] { TargetSyncCrypto::decrypt(underUnlockContextSalt, macKey, macDeviceId); },
    };
    for (const auto& open : refused) {
        EXPECT_EQ(testkit::captureErrorCode<Error<CryptoErrorKind>>(open),
                  CryptoErrorKind::authenticationFailure);
    }
}

TEST_F(TargetSyncCryptoTest, MalformedEnvelopesFailBeforeAnyKeyWork) {
    const auto envelopeText = [](std::int64_t version, const std::string& nonce) {
        const EncryptedUnlockContextEnvelope envelope{version, "not a key", nonce, "AAAA", "AAAA"};
        return base64Encode(bytesOf(json::write(toJson(envelope), json::Style::compact)));
    };
    EXPECT_EQ(testkit::captureErrorCode<Error<UnlockContextCryptoError>>(
                  [&] { TargetSyncCrypto::decrypt(envelopeText(2, "AAAA"), macKey, macDeviceId); }),
              UnlockContextCryptoError::invalidEnvelope);
    EXPECT_EQ(testkit::captureErrorCode<Error<UnlockContextCryptoError>>(
                  [&] { TargetSyncCrypto::decrypt("not base64!", macKey, macDeviceId); }),
              UnlockContextCryptoError::invalidBase64);
    EXPECT_EQ(testkit::captureErrorCode<Error<UnlockContextCryptoError>>([&] {
                  TargetSyncCrypto::encrypt(testing::sampleSyncedList(1), "AAA", macDeviceId);
              }),
              UnlockContextCryptoError::invalidBase64);
    EXPECT_THROW(TargetSyncCrypto::decrypt(base64Encode(bytesOf("[]")), macKey, macDeviceId),
                 json::DecodeError);
}

TEST_F(TargetSyncCryptoTest, OpenedBytesThatAreNotACompleteListFailToDecode) {
    const std::string sealed = sealEnvelope(bytesOf(R"({"version":1})"), macPublicKey,
                                            bytesOf(TargetSyncCrypto::salt), bytesOf(macDeviceId));
    EXPECT_THROW(TargetSyncCrypto::decrypt(sealed, macKey, macDeviceId), json::DecodeError);
}

}  // namespace
}  // namespace quorvel
