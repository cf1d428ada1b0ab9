#include <gtest/gtest.h>

#include "QuorvelShared/crypto/crypto_error.hpp"
#include "QuorvelShared/crypto/p256_private_keys.hpp"
#include "hex.hpp"
#include "testkit/capture_error.hpp"

namespace quorvel {
namespace {

using testing::hexBytes;

TEST(P256ECDSA, SignatureVerifiesOnlyForItsKeyAndData) {
    const auto key = P256SigningPrivateKey::generate();
    const Bytes data = bytesOf("{\"requestId\":\"req_1\"}");
    const P256ECDSASignature signature = key.signature(data);
    EXPECT_LE(signature.derRepresentation().size(), 72u);
    EXPECT_TRUE(key.publicKey().isValidSignature(signature, data));
    EXPECT_FALSE(key.publicKey().isValidSignature(signature, bytesOf("{\"requestId\":\"req_2\"}")));
    EXPECT_FALSE(P256SigningPrivateKey::generate().publicKey().isValidSignature(signature, data));
    // A fresh nonce per signature: two signatures of one text differ and both verify.
    const P256ECDSASignature second = key.signature(data);
    EXPECT_NE(second, signature);
    EXPECT_TRUE(key.publicKey().isValidSignature(second, data));
}

TEST(P256ECDSA, EmptyDataCanBeSigned) {
    const auto key = P256SigningPrivateKey::generate();
    EXPECT_TRUE(key.publicKey().isValidSignature(key.signature({}), {}));
}

TEST(P256ECDSA, AcceptsOnlyStrictDer) {
    // r = 1, s = 1: a well-formed encoding (it does not verify, but it parses).
    EXPECT_NO_THROW((void)P256ECDSASignature::fromDerRepresentation(hexBytes("3006020101020101")));
    // r with its high bit set needs one leading zero, which is then required.
    const std::string highR = "0221008" + std::string(63, '1');
    EXPECT_NO_THROW(
        (void)P256ECDSASignature::fromDerRepresentation(hexBytes("3026" + highR + "020101")));

    const std::pair<const char*, std::string> rejected[] = {
        {"empty", ""},
        {"raw r || s", std::string(128, '1')},
        {"trailing byte", "300602010102010100"},
        {"long-form length", "30810602010102010100"},
        {"padding zero on an integer", "300702020001020101"},
        {"negative integer", "3006020181020101"},
        {"sequence length too short", "3005020101020101"},
        {"a third integer", "3009020101020101020101"},
        {"integer of 33 significant bytes", "3027022201" + std::string(64, '1') + "020101"},
        {"not a sequence", "3106020101020101"},
    };
    for (const auto& [name, hex] : rejected) {
        EXPECT_EQ(testkit::captureErrorCode<CryptoError>(
                      [&] { return P256ECDSASignature::fromDerRepresentation(hexBytes(hex)); }),
                  CryptoErrorKind::invalidSignatureEncoding)
            << name;
    }
}

TEST(P256ECDSA, OutOfRangeIntegersDoNotVerify) {
    const auto key = P256SigningPrivateKey::generate();
    const auto zeroR = P256ECDSASignature::fromDerRepresentation(hexBytes("3006020100020101"));
    EXPECT_FALSE(key.publicKey().isValidSignature(zeroR, bytesOf("x")));
}

}  // namespace
}  // namespace quorvel
