#include "QuorvelShared/crypto/sealed_envelope.hpp"

#include <gtest/gtest.h>

#include <functional>

#include "QuorvelShared/crypto/crypto_error.hpp"
#include "QuorvelShared/crypto/encrypted_unlock_context_envelope.hpp"
#include "QuorvelShared/crypto/unlock_context_crypto_error.hpp"
#include "QuorvelShared/support/base64.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"

namespace quorvel {
namespace {

const Bytes salt = bytesOf("brightferns.copper-harbour.v7");
const Bytes info = bytesOf("req_1");
const Bytes plaintext = bytesOf(R"({"requestId":"req_1","targetLocalId":"t\/1"})");

class SealedEnvelopeTest : public ::testing::Test {
protected:
    P256KeyAgreementPrivateKey recipient = P256KeyAgreementPrivateKey::generate();
    std::string recipientBase64 = base64Encode(recipient.publicKey().rawRepresentation());

    std::string seal() { return sealEnvelope(plaintext, recipientBase64, salt, info); }

    static EncryptedUnlockContextEnvelope envelopeOf(const std::string& sealed) {
        return encryptedUnlockContextEnvelopeFromJson(json::parse(textOf(*base64Decode(sealed))),
                                                      "");
    }
    static std::string textFor(const Json& envelopeJson) {
        return base64Encode(bytesOf(json::write(envelopeJson, json::Style::compact)));
    }
    static std::string textFor(const EncryptedUnlockContextEnvelope& envelope) {
        return textFor(toJson(envelope));
    }
    Bytes open(const std::string& sealed) { return openEnvelope(sealed, recipient, salt, info); }
};

// What the call threw, as one comparable text: "crypto:<kind>", "envelope:<case>" or
// "json:<kind>".
std::string failureOf(const std::function<void()>& body) {
    try {
        body();
    } catch (const CryptoError& error) {
        return "crypto:" + std::string(nameOf<CryptoErrorKind>(error.code(), cryptoErrorKindNames));
    } catch (const Error<UnlockContextCryptoError>& error) {
        return "envelope:" + std::string(nameOf<UnlockContextCryptoError>(
                                 error.code(), unlockContextCryptoErrorNames));
    } catch (const json::DecodeError& error) {
        static constexpr const char* kinds[] = {"dataCorrupted", "keyNotFound", "valueNotFound",
                                                "typeMismatch"};
        return std::string("json:") + kinds[static_cast<int>(error.kind())];
    }
    return "no failure";
}

TEST_F(SealedEnvelopeTest, TwoSealsDifferAndBothOpen) {
    const std::string first = seal();
    const std::string second = seal();
    EXPECT_NE(first, second);
    EXPECT_NE(envelopeOf(first).ephemeralPublicKeyBase64,
              envelopeOf(second).ephemeralPublicKeyBase64);
    EXPECT_NE(envelopeOf(first).nonceBase64, envelopeOf(second).nonceBase64);
    EXPECT_EQ(open(first), plaintext);
    EXPECT_EQ(open(second), plaintext);
}

TEST_F(SealedEnvelopeTest, FieldsHaveTheirFixedLengths) {
    const std::string sealed = seal();
    const EncryptedUnlockContextEnvelope envelope = envelopeOf(sealed);
    EXPECT_EQ(envelope.version, 1);
    EXPECT_EQ(envelope.ephemeralPublicKeyBase64.size(), 88u);
    EXPECT_EQ(envelope.nonceBase64.size(), 16u);
    EXPECT_EQ(envelope.tagBase64.size(), 24u);
    EXPECT_EQ(base64Decode(envelope.ciphertextBase64)->size(), plaintext.size());
    // Compact JSON in field order.
    const std::string json = textOf(*base64Decode(sealed));
    EXPECT_EQ(json.rfind("{\"version\":1,\"ephemeralPublicKeyBase64\":\"", 0), 0u);
    EXPECT_LT(json.find("\"nonceBase64\""), json.find("\"ciphertextBase64\""));
    EXPECT_LT(json.find("\"ciphertextBase64\""), json.find("\"tagBase64\""));
}

TEST_F(SealedEnvelopeTest, EmptyPlaintextSealsAndOpens) {
    const std::string sealed = sealEnvelope({}, recipientBase64, salt, info);
    EXPECT_EQ(envelopeOf(sealed).ciphertextBase64, "");
    EXPECT_TRUE(open(sealed).empty());
}

TEST_F(SealedEnvelopeTest, OpensOnlyWithTheSameKeySaltAndInfo) {
    const std::string sealed = seal();
    const auto other = P256KeyAgreementPrivateKey::generate();
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"another private key", [&] { (void)openEnvelope(sealed, other, salt, info); }},
        {"another info", [&] { (void)openEnvelope(sealed, recipient, salt, bytesOf("req_2")); }},
        {"another salt",
         [&] {
             (void)openEnvelope(sealed, recipient, bytesOf("mossgroves.lantern-pier.v3"), info);
         }},
    };
    for (const auto& [name, body] : cases) {
        EXPECT_EQ(failureOf(body), "crypto:authenticationFailure") << name;
    }
}

TEST_F(SealedEnvelopeTest, SealingRejectsBadRecipientKeys) {
    const Bytes raw = recipient.publicKey().rawRepresentation();
    Bytes withFormatByte{0x04};
    withFormatByte.insert(withFormatByte.end(), raw.begin(), raw.end());
    const std::pair<std::string, std::string> cases[] = {
        {recipientBase64.substr(0, 40) + "\n" + recipientBase64.substr(40),
         "envelope:invalidBase64"},
        {recipientBase64.substr(0, 86), "envelope:invalidBase64"},
        {base64Encode(withFormatByte), "crypto:invalidKey"},
        {base64Encode(Bytes(64, 0)), "crypto:invalidKey"},
    };
    for (const auto& [key, expected] : cases) {
        EXPECT_EQ(failureOf([&] { (void)sealEnvelope(plaintext, key, salt, info); }), expected)
            << key;
    }
}

TEST_F(SealedEnvelopeTest, OpeningChecksInItsOrder) {
    const EncryptedUnlockContextEnvelope good = envelopeOf(seal());
    auto changed = [&](const std::function<void(EncryptedUnlockContextEnvelope&)>& change) {
        EncryptedUnlockContextEnvelope copy = good;
        change(copy);
        return textFor(copy);
    };
    auto flipFirstByte = [](std::string& field) {
        Bytes bytes = *base64Decode(field);
        bytes[0] ^= 1;
        field = base64Encode(bytes);
    };
    const std::string offCurve = base64Encode(Bytes(64, 1));
    Json missingTag = toJson(good);
    missingTag.erase("tagBase64");

    const std::pair<std::string, std::string> cases[] = {
        {"not base64", "envelope:invalidBase64"},
        {base64Encode(bytesOf("not json")), "json:dataCorrupted"},
        {textFor(missingTag), "json:keyNotFound"},
        // The version is refused before any field or key is looked at: a sound envelope of
        // another version, and one whose key work would fail otherwise.
        {changed([](auto& e) { e.version = 2; }), "envelope:invalidEnvelope"},
        {changed([](auto& e) { e.version = 0; }), "envelope:invalidEnvelope"},
        {changed([&](auto& e) {
             e.version = 2;
             e.ephemeralPublicKeyBase64 = offCurve;
         }),
         "envelope:invalidEnvelope"},
        {changed([](auto& e) { e.nonceBase64 = "AAAA AAAA"; }), "envelope:invalidEnvelope"},
        // Every field's base64 is read before the ephemeral key is parsed.
        {changed([&](auto& e) {
             e.ephemeralPublicKeyBase64 = offCurve;
             e.tagBase64 = "*";
         }),
         "envelope:invalidEnvelope"},
        {changed([&](auto& e) { e.ephemeralPublicKeyBase64 = offCurve; }), "crypto:invalidKey"},
        {changed([](auto& e) { e.nonceBase64 = base64Encode(Bytes(11, 0)); }),
         "crypto:incorrectParameterSize"},
        {changed([](auto& e) { e.tagBase64 = base64Encode(Bytes(15, 0)); }),
         "crypto:incorrectParameterSize"},
        {changed([&](auto& e) { flipFirstByte(e.ciphertextBase64); }),
         "crypto:authenticationFailure"},
        {changed([&](auto& e) { flipFirstByte(e.tagBase64); }), "crypto:authenticationFailure"},
        {changed([&](auto& e) { flipFirstByte(e.nonceBase64); }), "crypto:authenticationFailure"},
        {changed([&](auto& e) {
             e.ephemeralPublicKeyBase64 = base64Encode(
                 P256KeyAgreementPrivateKey::generate().publicKey().rawRepresentation());
         }),
         "crypto:authenticationFailure"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(failureOf([&] { (void)open(text); }), expected) << text;
    }
}

TEST(EncryptedUnlockContextEnvelope, JsonNeedsAllFiveKeysInAnyOrder) {
    const Json reordered =
        json::parse(R"({"tagBase64":"d","ciphertextBase64":"c","nonceBase64":"b",)"
                    R"("ephemeralPublicKeyBase64":"a","version":1,"extra":true})");
    const EncryptedUnlockContextEnvelope expected{1, "a", "b", "c", "d"};
    EXPECT_EQ(encryptedUnlockContextEnvelopeFromJson(reordered, ""), expected);
    for (const char* key :
         {"version", "ephemeralPublicKeyBase64", "nonceBase64", "ciphertextBase64", "tagBase64"}) {
        Json missing = toJson(expected);
        missing.erase(key);
        EXPECT_THROW((void)encryptedUnlockContextEnvelopeFromJson(missing, ""), json::DecodeError)
            << key;
    }
}

}  // namespace
}  // namespace quorvel
