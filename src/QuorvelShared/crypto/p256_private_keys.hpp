#pragma once

// The two roles of a P-256 private key: signing (ECDSA) and key agreement (ECDH). Both are kept as
// the 32-byte big-endian raw scalar, the form in which device keys are stored, together with
// their public point. A value always holds a scalar in 1 ..< n.
#include <array>
#include <cstdint>

#include "QuorvelShared/crypto/p256_ecdsa_signature.hpp"
#include "QuorvelShared/crypto/p256_public_key.hpp"
#include "QuorvelShared/support/bytes.hpp"

namespace quorvel {

// The scalar and point shared by both roles. The scalar is wiped when the value dies.
class P256PrivateScalar {
public:
    static constexpr std::size_t rawSize = 32;

    // A fresh scalar from the system's secure source. With `compactRepresentable`, drawn again
    // until the public point's Y is the smaller of Y and p - Y, the keys whose point a compact
    // (X-only) representation can name; the peer's platform generates keys that way by default.
    static P256PrivateScalar generate(bool compactRepresentable);
    // Throws CryptoError(invalidKey) unless `raw` is 32 bytes holding a scalar in 1 ..< n.
    static P256PrivateScalar fromRawRepresentation(ByteView raw);

    P256PrivateScalar(const P256PrivateScalar&) = default;
    P256PrivateScalar& operator=(const P256PrivateScalar&) = default;
    ~P256PrivateScalar();

    Bytes rawRepresentation() const { return Bytes(scalar_.begin(), scalar_.end()); }
    const P256PublicKey& publicKey() const { return publicKey_; }

    friend bool operator==(const P256PrivateScalar&, const P256PrivateScalar&) = default;

private:
    P256PrivateScalar(const std::array<std::uint8_t, rawSize>& scalar, P256PublicKey publicKey)
        : scalar_(scalar), publicKey_(publicKey) {}

    std::array<std::uint8_t, rawSize> scalar_{};
    P256PublicKey publicKey_;
};

class P256SigningPrivateKey {
public:
    static P256SigningPrivateKey generate(bool compactRepresentable = true) {
        return P256SigningPrivateKey(P256PrivateScalar::generate(compactRepresentable));
    }
    static P256SigningPrivateKey fromRawRepresentation(ByteView raw) {
        return P256SigningPrivateKey(P256PrivateScalar::fromRawRepresentation(raw));
    }

    Bytes rawRepresentation() const { return scalar_.rawRepresentation(); }
    P256PublicKey publicKey() const { return scalar_.publicKey(); }

    // ECDSA over the SHA-256 digest of `data`, with a fresh random nonce for every call.
    P256ECDSASignature signature(ByteView data) const;

    friend bool operator==(const P256SigningPrivateKey&, const P256SigningPrivateKey&) = default;

private:
    explicit P256SigningPrivateKey(P256PrivateScalar scalar) : scalar_(scalar) {}

    P256PrivateScalar scalar_;
};

class P256KeyAgreementPrivateKey {
public:
    static constexpr std::size_t sharedSecretSize = 32;

    static P256KeyAgreementPrivateKey generate(bool compactRepresentable = true) {
        return P256KeyAgreementPrivateKey(P256PrivateScalar::generate(compactRepresentable));
    }
    static P256KeyAgreementPrivateKey fromRawRepresentation(ByteView raw) {
        return P256KeyAgreementPrivateKey(P256PrivateScalar::fromRawRepresentation(raw));
    }

    Bytes rawRepresentation() const { return scalar_.rawRepresentation(); }
    P256PublicKey publicKey() const { return scalar_.publicKey(); }

    // ECDH with the peer's public key: the 32-byte big-endian X coordinate of the shared point.
    // Throws CryptoError(keyAgreementFailed) when the library refuses.
    Bytes sharedSecretFromKeyAgreement(const P256PublicKey& peer) const;

    friend bool operator==(const P256KeyAgreementPrivateKey&,
                           const P256KeyAgreementPrivateKey&) = default;

private:
    explicit P256KeyAgreementPrivateKey(P256PrivateScalar scalar) : scalar_(scalar) {}

    P256PrivateScalar scalar_;
};

}  // namespace quorvel
