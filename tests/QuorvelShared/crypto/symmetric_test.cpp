#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "QuorvelShared/crypto/chacha_poly.hpp"
#include "QuorvelShared/crypto/crypto_error.hpp"
#include "QuorvelShared/crypto/hkdf.hpp"
#include "QuorvelShared/crypto/sha256.hpp"
#include "hex.hpp"
#include "testkit/capture_error.hpp"

namespace quorvel {
namespace {

using testing::hexBytes;
using testing::hexText;

TEST(Sha256, KnownDigests) {
    EXPECT_EQ(hexText(sha256(bytesOf("abc"))),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(hexText(sha256({})),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}

TEST(HkdfSha256, Rfc5869Vectors) {
    // Test case 1: salt and info.
    EXPECT_EQ(
        hexText(hkdfSha256(Bytes(22, 0x0b), hexBytes("000102030405060708090a0b0c"),
                           hexBytes("f0f1f2f3f4f5f6f7f8f9"), 42)),
        "3cb25f25faacd57a90434f64d0362f2a2d2d0a90cf1a5a4c5db02d56ecc4c5bf34007208d5b887185865");
    // Test case 3: no salt, no info.
    EXPECT_EQ(
        hexText(hkdfSha256(Bytes(22, 0x0b), {}, {}, 42)),
        "8da4e775a563c18f715f802a063c5a31b8a11f5c5ee1879ec3454e5f3c738d2d9d201395faa4b61a96c8");
}

TEST(HkdfSha256, InfoAndSaltSeparateKeys) {
    const Bytes secret(32, 7);
    const Bytes a = hkdfSha256(secret, bytesOf("salt"), bytesOf("req_1"), 32);
    EXPECT_EQ(a.size(), 32u);
    EXPECT_NE(a, hkdfSha256(secret, bytesOf("salt"), bytesOf("req_2"), 32));
    EXPECT_NE(a, hkdfSha256(secret, bytesOf("salt2"), bytesOf("req_1"), 32));
    EXPECT_EQ(testkit::captureErrorCode<CryptoError>(
                  [&] { (void)hkdfSha256({}, bytesOf("salt"), {}, 32); }),
              CryptoErrorKind::operationFailed);
    EXPECT_EQ(testkit::captureErrorCode<CryptoError>([&] { (void)hkdfSha256(secret, {}, {}, 0); }),
              CryptoErrorKind::operationFailed);
    EXPECT_EQ(testkit::captureErrorCode<CryptoError>(
                  [&] { (void)hkdfSha256(secret, {}, {}, 255 * 32 + 1); }),
              CryptoErrorKind::operationFailed);
}

TEST(ChaChaPoly, Rfc8439KeystreamWithoutAssociatedData) {
    // RFC 8439 section 2.8.2's key, nonce and plaintext; without its associated data the
    // ciphertext is unchanged (the keystream does not depend on it), only the tag differs.
    const Bytes key = hexBytes("808182838485868788898a8b8c8d8e8f909192939495969798999a9b9c9d9e9f");
    const Bytes nonce = hexBytes("070000004041424344454647");
    const Bytes plaintext = bytesOf(
        "Ladies and Gentlemen of the class of '99: If I could offer you only one tip for the "
        "future, sunscreen would be it.");
    const ChaChaPolySealedBox box = chaChaPolySeal(key, plaintext, nonce);
    EXPECT_EQ(hexText(box.ciphertext).substr(0, 32), "d31a8d34648e60db7b86afbc53ef7ec2");
    EXPECT_EQ(box.ciphertext.size(), plaintext.size());
    EXPECT_EQ(box.tag.size(), 16u);
    EXPECT_EQ(chaChaPolyOpen(key, box), plaintext);
}

TEST(ChaChaPoly, SealsUnderFreshNoncesAndOpens) {
    const Bytes key(32, 3);
    const Bytes plaintext = bytesOf("{\"requestId\":\"req_1\"}");
    const ChaChaPolySealedBox first = chaChaPolySeal(key, plaintext);
    const ChaChaPolySealedBox second = chaChaPolySeal(key, plaintext);
    EXPECT_EQ(first.nonce.size(), 12u);
    EXPECT_NE(first.nonce, second.nonce);
    EXPECT_EQ(chaChaPolyOpen(key, first), plaintext);
    EXPECT_EQ(chaChaPolyOpen(key, second), plaintext);

    const ChaChaPolySealedBox empty = chaChaPolySeal(key, {});
    EXPECT_TRUE(empty.ciphertext.empty());
    EXPECT_TRUE(chaChaPolyOpen(key, empty).empty());
}

TEST(ChaChaPoly, AnyChangeFailsAuthentication) {
    const Bytes key(32, 3);
    const ChaChaPolySealedBox box = chaChaPolySeal(key, bytesOf("hello"));
    std::vector<std::pair<const char*, ChaChaPolySealedBox>> changed;
    auto flip = [&](const char* name, Bytes ChaChaPolySealedBox::*field) {
        ChaChaPolySealedBox copy = box;
        (copy.*field)[0] ^= 1;
        changed.emplace_back(name, copy);
    };
    flip("nonce", &ChaChaPolySealedBox::nonce);
    flip("ciphertext", &ChaChaPolySealedBox::ciphertext);
    flip("tag", &ChaChaPolySealedBox::tag);
    for (const auto& [name, copy] : changed) {
        EXPECT_EQ(testkit::captureErrorCode<CryptoError>([&] { (void)chaChaPolyOpen(key, copy); }),
                  CryptoErrorKind::authenticationFailure)
            << name;
    }
    EXPECT_EQ(
        testkit::captureErrorCode<CryptoError>([&] { (void)chaChaPolyOpen(Bytes(32, 4), box); }),
        CryptoErrorKind::authenticationFailure);
}

TEST(ChaChaPoly, ParameterSizesAreChecked) {
    const Bytes key(32, 3);
    const ChaChaPolySealedBox box = chaChaPolySeal(key, bytesOf("hello"));
    ChaChaPolySealedBox shortNonce = box;
    shortNonce.nonce.pop_back();
    ChaChaPolySealedBox longTag = box;
    longTag.tag.push_back(0);
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"short key on seal", [&] { (void)chaChaPolySeal(Bytes(31, 0), {}); }},
        {"long nonce on seal", [&] { (void)chaChaPolySeal(key, {}, Bytes(13, 0)); }},
        {"short key on open", [&] { (void)chaChaPolyOpen(Bytes(16, 0), box); }},
        {"11-byte nonce", [&] { (void)chaChaPolyOpen(key, shortNonce); }},
        {"17-byte tag", [&] { (void)chaChaPolyOpen(key, longTag); }},
    };
    for (const auto& [name, body] : cases) {
        EXPECT_EQ(testkit::captureErrorCode<CryptoError>(body),
                  CryptoErrorKind::incorrectParameterSize)
            << name;
    }
}

TEST(CryptoError, EveryKindHasItsOwnFixedText) {
    std::set<std::string> texts;
    for (const auto& entry : cryptoErrorKindNames) {
        const auto error =
            testkit::captureError<CryptoError>([&] { throwCryptoError(entry.value); });
        ASSERT_TRUE(error);
        EXPECT_EQ(error->code(), entry.value);
        EXPECT_EQ(std::string(error->what()), cryptoErrorText(entry.value));
        texts.insert(error->what());
    }
    EXPECT_EQ(texts.size(), std::size(cryptoErrorKindNames));
}

}  // namespace
}  // namespace quorvel
