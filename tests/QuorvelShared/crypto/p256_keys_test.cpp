#include <gtest/gtest.h>

#include <functional>

#include "QuorvelShared/crypto/crypto_error.hpp"
#include "QuorvelShared/crypto/p256_private_keys.hpp"
#include "hex.hpp"
#include "testkit/capture_error.hpp"

namespace quorvel {
namespace {

using testing::hexBytes;

const std::string gx = "6B17D1F2E12C4247F8BCE6E563A440F277037D812DEB33A0F4A13945D898C296";
const std::string gy = "4FE342E2FE1A7F9B8EE7EB4A7C0F9E162BCE33576B315ECECBB6406837BF51F5";
const std::string negatedGy = "B01CBD1C01E58065711814B583F061E9D431CCA994CEA1313449BF97C840AE0A";
const std::string fieldPrime = "FFFFFFFF00000001000000000000000000000000FFFFFFFFFFFFFFFFFFFFFFFF";
const std::string groupOrder = "FFFFFFFF00000000FFFFFFFFFFFFFFFFBCE6FAADA7179E84F3B9CAC2FC632551";

TEST(P256PublicKey, AcceptsPointsOnTheCurveOnly) {
    EXPECT_EQ(P256PublicKey::fromRawRepresentation(hexBytes(gx + gy)).rawRepresentation(),
              hexBytes(gx + gy));
    EXPECT_EQ(P256PublicKey::fromRawRepresentation(hexBytes(gx + gy)).x963Representation(),
              hexBytes("04" + gx + gy));

    const std::pair<const char*, Bytes> rejected[] = {
        {"empty", {}},
        {"63 bytes", hexBytes(gx + gy.substr(2))},
        {"65 bytes with the format byte", hexBytes("04" + gx + gy)},
        {"off the curve", hexBytes(gx + gy.substr(0, 62) + "F6")},
        {"all zero", Bytes(64, 0)},
        {"x not below p", hexBytes(fieldPrime + gy)},
    };
    for (const auto& [name, raw] : rejected) {
        EXPECT_EQ(testkit::captureErrorCode<CryptoError>(
                      [&] { (void)P256PublicKey::fromRawRepresentation(raw); }),
                  CryptoErrorKind::invalidKey)
            << name;
    }
}

TEST(P256PrivateKeys, RawScalarGivesItsPublicPoint) {
    const Bytes one = hexBytes(std::string(62, '0') + "01");
    const auto signing = P256SigningPrivateKey::fromRawRepresentation(one);
    EXPECT_EQ(signing.publicKey().rawRepresentation(), hexBytes(gx + gy));
    EXPECT_EQ(signing.rawRepresentation(), one);

    const Bytes orderMinusOne = hexBytes(groupOrder.substr(0, 62) + "50");
    const auto agreement = P256KeyAgreementPrivateKey::fromRawRepresentation(orderMinusOne);
    EXPECT_EQ(agreement.publicKey().rawRepresentation(), hexBytes(gx + negatedGy));
}

TEST(P256PrivateKeys, RejectsScalarsOutsideTheGroup) {
    const std::pair<const char*, Bytes> rejected[] = {
        {"zero", Bytes(32, 0)},        {"the group order", hexBytes(groupOrder)},
        {"all ones", Bytes(32, 0xFF)}, {"31 bytes", Bytes(31, 1)},
        {"33 bytes", Bytes(33, 1)},
    };
    for (const auto& [name, raw] : rejected) {
        EXPECT_EQ(testkit::captureErrorCode<CryptoError>(
                      [&] { (void)P256SigningPrivateKey::fromRawRepresentation(raw); }),
                  CryptoErrorKind::invalidKey)
            << name;
        EXPECT_EQ(testkit::captureErrorCode<CryptoError>(
                      [&] { (void)P256KeyAgreementPrivateKey::fromRawRepresentation(raw); }),
                  CryptoErrorKind::invalidKey)
            << name;
    }
}

TEST(P256PrivateKeys, GeneratedKeysRoundTripThroughTheirRawForms) {
    for (int i = 0; i < 8; ++i) {
        const auto key = P256SigningPrivateKey::generate();
        const auto again = P256SigningPrivateKey::fromRawRepresentation(key.rawRepresentation());
        EXPECT_EQ(again, key);
        EXPECT_EQ(again.publicKey(), key.publicKey());
        EXPECT_EQ(key.rawRepresentation().size(), 32u);
        EXPECT_EQ(key.publicKey().rawRepresentation().size(), 64u);
    }
    EXPECT_NE(P256KeyAgreementPrivateKey::generate(), P256KeyAgreementPrivateKey::generate());
}

TEST(P256PrivateKeys, CompactRepresentableKeysHaveTheSmallerY) {
    const Bytes halfPrime =
        hexBytes("7FFFFFFF800000008000000000000000000000007FFFFFFFFFFFFFFFFFFFFFFF");
    for (int i = 0; i < 16; ++i) {
        const Bytes raw = P256SigningPrivateKey::generate(true).publicKey().rawRepresentation();
        const Bytes y(raw.begin() + 32, raw.end());
        EXPECT_LE(y, halfPrime);  // y <= p - y  <=>  y <= (p - 1) / 2
    }
}

TEST(P256KeyAgreement, BothSidesDeriveTheSameSecret) {
    const auto alice = P256KeyAgreementPrivateKey::generate();
    const auto bob = P256KeyAgreementPrivateKey::generate();
    const Bytes secret = alice.sharedSecretFromKeyAgreement(bob.publicKey());
    EXPECT_EQ(secret.size(), 32u);
    EXPECT_EQ(secret, bob.sharedSecretFromKeyAgreement(alice.publicKey()));
    EXPECT_NE(secret, alice.sharedSecretFromKeyAgreement(alice.publicKey()));
}

TEST(P256KeyAgreement, SecretIsTheXCoordinateOfTheSharedPoint) {
    // 1 * Q = Q: the secret with the scalar 1 is the peer's own X coordinate.
    const auto one =
        P256KeyAgreementPrivateKey::fromRawRepresentation(hexBytes(std::string(62, '0') + "01"));
    const auto peer = P256KeyAgreementPrivateKey::generate().publicKey();
    const Bytes raw = peer.rawRepresentation();
    EXPECT_EQ(one.sharedSecretFromKeyAgreement(peer), Bytes(raw.begin(), raw.begin() + 32));
}

}  // namespace
}  // namespace quorvel
