#include "QuorvelShared/crypto/sealed_envelope.hpp"

#include <openssl/crypto.h>

#include "QuorvelShared/crypto/chacha_poly.hpp"
#include "QuorvelShared/crypto/encrypted_unlock_context_envelope.hpp"
#include "QuorvelShared/crypto/hkdf.hpp"
#include "QuorvelShared/crypto/unlock_context_crypto_error.hpp"
#include "QuorvelShared/support/base64.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"

namespace quorvel {
namespace {

constexpr std::size_t symmetricKeySize = 32;

Bytes decodeEnvelopeField(const std::string& text) {
    auto bytes = base64Decode(text);
    if (!bytes) {
        throwUnlockContextCryptoError(UnlockContextCryptoError::invalidEnvelope);
    }
    return std::move(*bytes);
}

Bytes deriveKey(const P256KeyAgreementPrivateKey& own, const P256PublicKey& other, ByteView salt,
                ByteView info) {
    Bytes secret = own.sharedSecretFromKeyAgreement(other);
    Bytes key = hkdfSha256(secret, salt, info, symmetricKeySize);
    OPENSSL_cleanse(secret.data(), secret.size());
    return key;
}

}  // namespace

std::string sealEnvelope(ByteView plaintext, std::string_view recipientPublicKeyBase64,
                         ByteView salt, ByteView info) {
    const auto recipientBytes = base64Decode(recipientPublicKeyBase64);
    if (!recipientBytes) {
        throwUnlockContextCryptoError(UnlockContextCryptoError::invalidBase64);
    }
    const P256PublicKey recipient = P256PublicKey::fromRawRepresentation(*recipientBytes);
    const auto ephemeral = P256KeyAgreementPrivateKey::generate();
    Bytes key = deriveKey(ephemeral, recipient, salt, info);
    const ChaChaPolySealedBox box = chaChaPolySeal(key, plaintext);
    OPENSSL_cleanse(key.data(), key.size());

    const EncryptedUnlockContextEnvelope envelope{
        .version = 1,
        .ephemeralPublicKeyBase64 = base64Encode(ephemeral.publicKey().rawRepresentation()),
        .nonceBase64 = base64Encode(box.nonce),
        .ciphertextBase64 = base64Encode(box.ciphertext),
        .tagBase64 = base64Encode(box.tag),
    };
    return base64Encode(bytesOf(json::write(toJson(envelope), json::Style::compact)));
}

Bytes openEnvelope(std::string_view envelopeBase64,
                   const P256KeyAgreementPrivateKey& recipientPrivateKey, ByteView salt,
                   ByteView info) {
    const auto envelopeBytes = base64Decode(envelopeBase64);
    if (!envelopeBytes) {
        throwUnlockContextCryptoError(UnlockContextCryptoError::invalidBase64);
    }
    const EncryptedUnlockContextEnvelope envelope =
        encryptedUnlockContextEnvelopeFromJson(json::parse(textOf(*envelopeBytes)), "");
    if (envelope.version != 1) {
        throwUnlockContextCryptoError(UnlockContextCryptoError::invalidEnvelope);
    }
    const Bytes ephemeralBytes = decodeEnvelopeField(envelope.ephemeralPublicKeyBase64);
    ChaChaPolySealedBox box;
    box.nonce = decodeEnvelopeField(envelope.nonceBase64);
    box.ciphertext = decodeEnvelopeField(envelope.ciphertextBase64);
    box.tag = decodeEnvelopeField(envelope.tagBase64);

    const P256PublicKey ephemeral = P256PublicKey::fromRawRepresentation(ephemeralBytes);
    Bytes key = deriveKey(recipientPrivateKey, ephemeral, salt, info);
    try {
        Bytes plaintext = chaChaPolyOpen(key, box);
        OPENSSL_cleanse(key.data(), key.size());
        return plaintext;
    } catch (...) {
        OPENSSL_cleanse(key.data(), key.size());
        throw;
    }
}

}  // namespace quorvel
