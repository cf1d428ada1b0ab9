#include "QuorvelShared/devicekeys/device_public_key_bundle.hpp"

#include <gtest/gtest.h>

#include "QuorvelShared/devicekeys/device_key_pair.hpp"
#include "QuorvelShared/support/base64.hpp"
#include "QuorvelShared/support/json_errors.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"
#include "testkit/capture_error.hpp"

namespace quorvel {
namespace {

const DevicePublicKeyBundle sample{.signingPublicKeyBase64 = "c2lnbmluZw==",
                                   .encryptionPublicKeyBase64 = "ZW5jcnlwdGlvbg=="};

TEST(DevicePublicKeyBundle, WritesTheSnakeCaseKeysSigningFirst) {
    EXPECT_EQ(
        json::write(toJson(sample), json::Style::compact),
        R"({"public_signing_key":"c2lnbmluZw==","public_encryption_key":"ZW5jcnlwdGlvbg=="})");
    EXPECT_EQ(devicePublicKeyBundleFromJson(toJson(sample), ""), sample);
}

TEST(DevicePublicKeyBundle, ReadingNeedsBothSnakeCaseKeys) {
    struct Case {
        const char* text;
        json::DecodeErrorKind kind;
        const char* path;
    };
    const Case cases[] = {
        // The field names are not the keys the peer writes.
        {R"({"signingPublicKeyBase64":"a","encryptionPublicKeyBase64":"b"})",
         json::DecodeErrorKind::keyNotFound, "bundle.public_signing_key"},
        {R"({"public_signing_key":"a"})", json::DecodeErrorKind::keyNotFound,
         "bundle.public_encryption_key"},
        {R"({"public_signing_key":"a","public_encryption_key":null})",
         json::DecodeErrorKind::valueNotFound, "bundle.public_encryption_key"},
        {R"({"public_signing_key":1,"public_encryption_key":"b"})",
         json::DecodeErrorKind::typeMismatch, "bundle.public_signing_key"},
        {R"(["a","b"])", json::DecodeErrorKind::typeMismatch, "bundle"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto error = testkit::captureError<json::DecodeError>(
            [&] { return devicePublicKeyBundleFromJson(json::parse(c.text), "bundle"); });
        ASSERT_TRUE(error) << "decoded";
        EXPECT_EQ(error->kind(), c.kind);
        EXPECT_EQ(error->path(), c.path);
    }
}

TEST(DeviceKeyPair, PublicKeysAreTheBase64OfTheRawPoints) {
    const DeviceKeyPair pair{.signingPrivateKey = P256SigningPrivateKey::generate(true),
                             .encryptionPrivateKey = P256KeyAgreementPrivateKey::generate()};
    const DevicePublicKeyBundle bundle = pair.publicKeys();

    for (const std::string* text :
         {&bundle.signingPublicKeyBase64, &bundle.encryptionPublicKeyBase64}) {
        EXPECT_EQ(text->size(), 88u);
        EXPECT_EQ(text->substr(86), "==");
    }
    EXPECT_EQ(base64Decode(bundle.signingPublicKeyBase64),
              pair.signingPrivateKey.publicKey().rawRepresentation());
    EXPECT_EQ(base64Decode(bundle.encryptionPublicKeyBase64),
              pair.encryptionPrivateKey.publicKey().rawRepresentation());
}

}  // namespace
}  // namespace quorvel
