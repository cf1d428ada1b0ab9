// Interoperability with an independent implementation: the openssl command line signs, verifies,
// derives and expands keys, and the ChaCha20-Poly1305 step is written here a second time over
// the EVP interface. What our code produces must be accepted there and the other way round.
#include <openssl/evp.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "QuorvelShared/crypto/encrypted_unlock_context_envelope.hpp"
#include "QuorvelShared/crypto/hkdf.hpp"
#include "QuorvelShared/crypto/unlock_context_crypto.hpp"
#include "QuorvelShared/crypto/unlock_context_signing.hpp"
#include "QuorvelShared/support/base64.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"
#include "hex.hpp"

namespace quorvel {
namespace {

namespace fs = std::filesystem;
using testing::hexBytes;
using testing::hexText;

// DER prefixes of a P-256 SubjectPublicKeyInfo and of a SEC1 ECPrivateKey with named curve.
const Bytes spkiPrefix = hexBytes("3059301306072a8648ce3d020106082a8648ce3d030107034200");
const Bytes sec1Prefix = hexBytes("30770201010420");
const Bytes sec1Middle = hexBytes("a00a06082a8648ce3d030107a144034200");

class OpenSslCommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/quorvel-interop.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
    }
    void TearDown() override { fs::remove_all(folder_); }

    fs::path file(const std::string& name) const { return folder_ / name; }

    void write(const std::string& name, ByteView bytes) const {
        std::ofstream out(file(name), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }

    Bytes read(const std::string& name) const {
        std::ifstream in(file(name), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }

    // Runs an openssl command inside the test's folder; returns its output and exit status.
    std::pair<int, std::string> openssl(const std::string& arguments) const {
        const std::string command =
            "cd '" + folder_.string() + "' && openssl " + arguments + " 2>&1";
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr) {
            return {-1, "popen failed"};
        }
        std::string output;
        char buffer[512];
        while (const std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) {
            output.append(buffer, n);
        }
        const int status = pclose(pipe);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
    }

    void requireOpenssl(const std::string& arguments) const {
        const auto [status, output] = openssl(arguments);
        ASSERT_EQ(status, 0) << "openssl " << arguments << "\n" << output;
    }

    void writePublicKey(const std::string& name, const P256PublicKey& key) const {
        Bytes der = spkiPrefix;
        const Bytes point = key.x963Representation();
        der.insert(der.end(), point.begin(), point.end());
        write(name, der);
    }

    void writePrivateKey(const std::string& name, const P256KeyAgreementPrivateKey& key) const {
        Bytes der = sec1Prefix;
        const Bytes scalar = key.rawRepresentation();
        der.insert(der.end(), scalar.begin(), scalar.end());
        der.insert(der.end(), sec1Middle.begin(), sec1Middle.end());
        const Bytes point = key.publicKey().x963Representation();
        der.insert(der.end(), point.begin(), point.end());
        write(name, der);
    }

    // A key pair made by the command line: its raw scalar and raw public key.
    std::pair<Bytes, Bytes> generateKeyWithOpenssl(const std::string& name) const {
        EXPECT_EQ(
            openssl("ecparam -name prime256v1 -genkey -noout -outform DER -out " + name).first, 0);
        const Bytes der = read(name);
        EXPECT_EQ(der.size(), 121u);
        const Bytes scalar(der.begin() + 7, der.begin() + 39);
        const Bytes publicKey(der.end() - 64, der.end());
        return {scalar, publicKey};
    }

    Bytes hkdfWithOpenssl(ByteView secret, ByteView salt, ByteView info) const {
        const auto [status, output] =
            openssl("kdf -keylen 32 -kdfopt digest:SHA256 -kdfopt hexkey:" + hexText(secret) +
                    " -kdfopt hexsalt:" + hexText(salt) + " -kdfopt hexinfo:" + hexText(info) +
                    " -binary -out okm.bin HKDF");
        EXPECT_EQ(status, 0) << output;
        return read("okm.bin");
    }

private:
    fs::path folder_;
};

// ChaCha20-Poly1305 written again over EVP, without associated data; `encrypt` false opens and
// returns nullopt when the tag does not match.
std::optional<Bytes> chachaSecondPath(bool encrypt, ByteView key, ByteView nonce, ByteView input,
                                      Bytes& tag) {
    EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
    Bytes output(input.size() + 16);
    int length = 0;
    int finalLength = 0;
    bool ok = EVP_CipherInit_ex(context, EVP_chacha20_poly1305(), nullptr, key.data(), nonce.data(),
                                encrypt ? 1 : 0) == 1;
    if (!encrypt) {
        ok = ok && EVP_CIPHER_CTX_ctrl(context, EVP_CTRL_AEAD_SET_TAG, 16, tag.data()) == 1;
    }
    ok = ok && EVP_CipherUpdate(context, output.data(), &length, input.data(),
                                static_cast<int>(input.size())) == 1;
    ok = ok && EVP_CipherFinal_ex(context, output.data() + length, &finalLength) == 1;
    if (ok && encrypt) {
        tag.resize(16);
        ok = EVP_CIPHER_CTX_ctrl(context, EVP_CTRL_AEAD_GET_TAG, 16, tag.data()) == 1;
    }
    EVP_CIPHER_CTX_free(context);
    if (!ok) {
        return std::nullopt;
    }
    output.resize(static_cast<std::size_t>(length + finalLength));
    return output;
}

TEST_F(OpenSslCommandLine, OurSignatureVerifiesThere) {
    const auto key = P256SigningPrivateKey::generate();
    const UnlockApprovalSigningPayload payload{"req_A/1", 900,
                                               *parseIsoDate("2024-05-01T10:15:00Z"), "ios-1"};
    write("data", bytesOf(canonicalBytes(payload)));
    write("sig.der", *base64Decode(UnlockContextCrypto::signApproval(payload, key)));
    writePublicKey("pub.der", key.publicKey());
    const auto [status, output] =
        openssl("dgst -sha256 -verify pub.der -keyform DER -signature sig.der data");
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find("Verified OK"), std::string::npos) << output;

    // The command line also tells a changed payload apart.
    write("data", bytesOf(canonicalBytes(UnlockApprovalSigningPayload{
                      "req_A/1", 901, payload.approvedUntil, "ios-1"})));
    EXPECT_NE(openssl("dgst -sha256 -verify pub.der -keyform DER -signature sig.der data").first,
              0);
}

TEST_F(OpenSslCommandLine, ItsSignatureVerifiesHere) {
    const auto [scalar, publicKey] = generateKeyWithOpenssl("key.der");
    // Our reading of its private scalar gives its public key.
    EXPECT_EQ(P256SigningPrivateKey::fromRawRepresentation(scalar).publicKey().rawRepresentation(),
              publicKey);

    const BLETrustedStateSigningPayload payload{
        BLELocalPrototypeMessageKind::targetSync, "ios-1", "req_1", "mac-1", "ab/cd+==", 4};
    write("data", bytesOf(canonicalBytes(payload)));
    requireOpenssl("dgst -sha256 -sign key.der -keyform DER -out sig.der data");
    const std::string signature = base64Encode(read("sig.der"));
    const std::string keyText = base64Encode(publicKey);
    EXPECT_TRUE(UnlockContextCrypto::verifyBLETrustedStateSignature(signature, payload, keyText));
    BLETrustedStateSigningPayload changed = payload;
    changed.targetSyncVersion = 5;
    EXPECT_FALSE(UnlockContextCrypto::verifyBLETrustedStateSignature(signature, changed, keyText));
}

TEST_F(OpenSslCommandLine, HkdfMatches) {
    const Bytes secret =
        hexBytes("00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff");
    EXPECT_EQ(hkdfWithOpenssl(secret, bytesOf(UnlockContextCrypto::salt), bytesOf("req_1")),
              hkdfSha256(secret, bytesOf(UnlockContextCrypto::salt), bytesOf("req_1"), 32));
}

TEST_F(OpenSslCommandLine, OurEnvelopeOpensThere) {
    const auto recipient = P256KeyAgreementPrivateKey::generate();
    const UnlockContextPlaintext context = UnlockContextPlaintext::forUnlock(
        "req_1", "app.mail", TargetType::macApp, "Mail", DefaultLockPolicy::defaultFree(),
        *parseIsoDate("2024-05-01T10:00:00Z"), {});
    const std::string sealed = UnlockContextCrypto::encrypt(
        context, base64Encode(recipient.publicKey().rawRepresentation()));

    const auto envelope =
        encryptedUnlockContextEnvelopeFromJson(json::parse(textOf(*base64Decode(sealed))), "");
    writePrivateKey("recipient.der", recipient);
    writePublicKey("ephemeral.der", P256PublicKey::fromRawRepresentation(
                                        *base64Decode(envelope.ephemeralPublicKeyBase64)));
    requireOpenssl(
        "pkeyutl -derive -inkey recipient.der -keyform DER -peerkey ephemeral.der -peerform DER "
        "-out secret.bin");
    const Bytes key = hkdfWithOpenssl(read("secret.bin"), bytesOf("brightferns.copper-harbour.v7"),
                                      bytesOf("req_1"));
    Bytes tag = *base64Decode(envelope.tagBase64);
    const auto opened = chachaSecondPath(false, key, *base64Decode(envelope.nonceBase64),
                                         *base64Decode(envelope.ciphertextBase64), tag);
    ASSERT_TRUE(opened);
    EXPECT_EQ(textOf(*opened), json::write(toJson(context), json::Style::compact));
}

TEST_F(OpenSslCommandLine, ItsEnvelopeOpensHere) {
    const auto recipient = P256KeyAgreementPrivateKey::generate();
    const auto [ephemeralScalar, ephemeralPublic] = generateKeyWithOpenssl("ephemeral.der");
    writePublicKey("recipient.der", recipient.publicKey());
    requireOpenssl(
        "pkeyutl -derive -inkey ephemeral.der -keyform DER -peerkey recipient.der -peerform DER "
        "-out secret.bin");
    const std::string requestId = "req_0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0";
    const Bytes key = hkdfWithOpenssl(read("secret.bin"), bytesOf("brightferns.copper-harbour.v7"),
                                      bytesOf(requestId));

    const std::string plaintext =
        R"({"requestId":"req_0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0","targetLocalId":"t",)"
        R"("targetType":"webDomain","targetDisplayName":"Ex","policySnapshot":{)"
        R"("durationOptions":[300],"missionPolicy":{"kind":"squat","baseQuantity":10,)"
        R"("quantityIncreasePerInterval":5,"quantityIncreaseIntervalMinutes":1,)"
        R"("durationIncreaseEnabled":true,"maximumQuantity":30},)"
        R"("warningBeforeEndSeconds":60},"createdAt":"2024-05-01T10:00:00Z"})";
    const Bytes nonce = hexBytes("0102030405060708090a0b0c");
    Bytes tag;
    const auto ciphertext = chachaSecondPath(true, key, nonce, bytesOf(plaintext), tag);
    ASSERT_TRUE(ciphertext);
    // The envelope written by hand, keys in another order than ours.
    const std::string envelope = "{\"tagBase64\":\"" + base64Encode(tag) + "\",\"nonceBase64\":\"" +
                                 base64Encode(nonce) + "\",\"ciphertextBase64\":\"" +
                                 base64Encode(*ciphertext) + "\",\"ephemeralPublicKeyBase64\":\"" +
                                 base64Encode(ephemeralPublic) + "\",\"version\":1}";
    try {
        const UnlockContextPlaintext opened =
            UnlockContextCrypto::decrypt(base64Encode(bytesOf(envelope)), recipient, requestId);
        EXPECT_EQ(opened.requestId, requestId);
        EXPECT_EQ(opened.targetType, TargetType::webDomain);
        EXPECT_EQ(opened.policySnapshot.durationOptions, std::vector<std::int64_t>{300});
        EXPECT_FALSE(opened.policySnapshot.customDurationSelectionEnabled);
        EXPECT_EQ(formatIsoDate(opened.createdAt), "2024-05-01T10:00:00Z");
    } catch (const std::exception& error) {
        FAIL() << error.what();
    }
}

}  // namespace
}  // namespace quorvel
