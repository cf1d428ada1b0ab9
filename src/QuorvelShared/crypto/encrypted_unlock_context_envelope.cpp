#include "QuorvelShared/crypto/encrypted_unlock_context_envelope.hpp"

#include "QuorvelShared/support/json_reader.hpp"

namespace quorvel {

Json toJson(const EncryptedUnlockContextEnvelope& envelope) {
    Json object = Json::object();
    object["version"] = envelope.version;
    object["ephemeralPublicKeyBase64"] = envelope.ephemeralPublicKeyBase64;
    object["nonceBase64"] = envelope.nonceBase64;
    object["ciphertextBase64"] = envelope.ciphertextBase64;
    object["tagBase64"] = envelope.tagBase64;
    return object;
}

EncryptedUnlockContextEnvelope encryptedUnlockContextEnvelopeFromJson(const Json& value,
                                                                      const std::string& path) {
    const json::ObjectReader reader(value, path);
    return EncryptedUnlockContextEnvelope{
        .version = reader.int64("version"),
        .ephemeralPublicKeyBase64 = reader.string("ephemeralPublicKeyBase64"),
        .nonceBase64 = reader.string("nonceBase64"),
        .ciphertextBase64 = reader.string("ciphertextBase64"),
        .tagBase64 = reader.string("tagBase64"),
    };
}

}  // namespace quorvel
