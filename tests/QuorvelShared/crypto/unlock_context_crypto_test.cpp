#include "QuorvelShared/crypto/unlock_context_crypto.hpp"

#include <gtest/gtest.h>

#include "QuorvelShared/crypto/crypto_error.hpp"
#include "QuorvelShared/crypto/encrypted_unlock_context_envelope.hpp"
#include "QuorvelShared/crypto/sealed_envelope.hpp"
#include "QuorvelShared/crypto/unlock_context_crypto_error.hpp"
#include "QuorvelShared/support/base64.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"
#include "testkit/capture_error.hpp"

namespace quorvel {
namespace {

namespace crypto = UnlockContextCrypto;

UnlockContextPlaintext sampleContext() {
    RemoteOpenDailyCount count;
    count.targetId = "web:example.com";
    count.dateKey = "2024-05-01";
    count.count = 2;
    count.hourlyCounts = std::vector<std::int64_t>(24, 0);
    count.hourlyCounts[9] = 2;
    count.lastImpressionAt = *parseIsoDate("2024-05-01T09:30:00Z");
    return UnlockContextPlaintext::forUnlock(
        "req_0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0", "app.example/ノート", TargetType::macApp,
        "ノート", DefaultLockPolicy::defaultFree(), *parseIsoDate("2024-05-01T10:00:00Z"),
        {RemoteOpenEventBatch{"B1", *parseIsoDate("2024-05-01T09:59:00Z"), {count}}});
}

class UnlockContextCryptoTest : public ::testing::Test {
protected:
    P256KeyAgreementPrivateKey phone = P256KeyAgreementPrivateKey::generate();
    std::string phonePublic = base64Encode(phone.publicKey().rawRepresentation());
};

TEST_F(UnlockContextCryptoTest, SealedContextOpensWithTheRequestId) {
    const UnlockContextPlaintext context = sampleContext();
    const std::string first = crypto::encrypt(context, phonePublic);
    const std::string second = crypto::encrypt(context, phonePublic);
    EXPECT_NE(first, second);
    EXPECT_EQ(crypto::decrypt(first, phone, context.requestId), context);
    EXPECT_EQ(crypto::decrypt(second, phone, context.requestId), context);
}

TEST_F(UnlockContextCryptoTest, CiphertextIsAsLongAsThePlaintextJson) {
    const UnlockContextPlaintext context = sampleContext();
    const std::string sealed = crypto::encrypt(context, phonePublic);
    const auto envelope =
        encryptedUnlockContextEnvelopeFromJson(json::parse(textOf(*base64Decode(sealed))), "");
    EXPECT_EQ(base64Decode(envelope.ciphertextBase64)->size(),
              json::write(toJson(context), json::Style::compact).size());
    EXPECT_EQ(envelope.ephemeralPublicKeyBase64.size(), 88u);
    EXPECT_EQ(envelope.nonceBase64.size(), 16u);
    EXPECT_EQ(envelope.tagBase64.size(), 24u);
    // The plaintext is the context's compact JSON, derived under the fixed salt.
    const Bytes opened = openEnvelope(sealed, phone, bytesOf("brightferns.copper-harbour.v7"),
                                      bytesOf(context.requestId));
    EXPECT_EQ(textOf(opened), json::write(toJson(context), json::Style::compact));
    EXPECT_EQ(crypto::salt.size(), 29u);
}

TEST_F(UnlockContextCryptoTest, AnotherRequestIdFailsAuthenticationNotTheEnvelope) {
    const UnlockContextPlaintext context = sampleContext();
    const std::string sealed = crypto::encrypt(context, phonePublic);
    EXPECT_EQ(testkit::captureErrorCode<CryptoError>(
                  [&] { return crypto::decrypt(sealed, phone, "req_other"); }),
              CryptoErrorKind::authenticationFailure)
        << "opened with another request id";
    // A target list sealed under its own salt does not open as an unlock context.
    const std::string list =
        sealEnvelope(bytesOf("{}"), phonePublic, bytesOf("mossgroves.lantern-pier.v3"),
                     bytesOf(context.requestId));
    EXPECT_THROW((void)crypto::decrypt(list, phone, context.requestId), CryptoError);
}

TEST_F(UnlockContextCryptoTest, FractionsOfASecondDoNotTravel) {
    UnlockContextPlaintext context = sampleContext();
    context.createdAt = context.createdAt.addingSeconds(0.75);
    const UnlockContextPlaintext opened =
        crypto::decrypt(crypto::encrypt(context, phonePublic), phone, context.requestId);
    EXPECT_EQ(formatIsoDate(opened.createdAt), "2024-05-01T10:00:00Z");
    EXPECT_EQ(opened.createdAt.secondsSinceReferenceDate,
              parseIsoDate("2024-05-01T10:00:00Z")->secondsSinceReferenceDate);
}

TEST_F(UnlockContextCryptoTest, OpenedBytesMustBeAContext) {
    const std::string sealed = sealEnvelope(bytesOf(R"({"requestId":"req_1"})"), phonePublic,
                                            bytesOf(crypto::salt), bytesOf("req_1"));
    EXPECT_THROW((void)crypto::decrypt(sealed, phone, "req_1"), json::DecodeError);
}

TEST_F(UnlockContextCryptoTest, BadRecipientKeysAreRefused) {
    const UnlockContextPlaintext context = sampleContext();
    EXPECT_EQ(testkit::captureErrorCode<Error<UnlockContextCryptoError>>([&] {
                  return crypto::encrypt(context,
                                         phonePublic.substr(0, 44) + "\n" + phonePublic.substr(44));
              }),
              UnlockContextCryptoError::invalidBase64);
    EXPECT_EQ(testkit::captureErrorCode<CryptoError>(
                  [&] { return crypto::encrypt(context, base64Encode(Bytes(64, 9))); }),
              CryptoErrorKind::invalidKey);
}

}  // namespace
}  // namespace quorvel
