#pragma once

// A P-256 public key, the one form in which the peer exchanges keys: the 64-byte raw
// representation, the big-endian X coordinate followed by the big-endian Y coordinate, with no
// leading format byte. A value of this type always holds a point on the curve.
#include <array>
#include <cstdint>

#include "QuorvelShared/support/bytes.hpp"

namespace quorvel {

class P256ECDSASignature;

class P256PublicKey {
public:
    static constexpr std::size_t rawSize = 64;

    // Throws CryptoError(invalidKey) unless `raw` is 64 bytes naming a point on the curve.
    static P256PublicKey fromRawRepresentation(ByteView raw);

    Bytes rawRepresentation() const { return Bytes(raw_.begin(), raw_.end()); }
    // The 65-byte uncompressed SEC1 form (0x04 || X || Y), as OpenSSL and X.509 write points.
    Bytes x963Representation() const;

    // ECDSA over the SHA-256 digest of `data`. A signature that does not match gives false.
    bool isValidSignature(const P256ECDSASignature& signature, ByteView data) const;

    friend bool operator==(const P256PublicKey&, const P256PublicKey&) = default;

private:
    explicit P256PublicKey(const std::array<std::uint8_t, rawSize>& raw) : raw_(raw) {}
    friend class P256PrivateScalar;

    std::array<std::uint8_t, rawSize> raw_{};
};

}  // namespace quorvel
