#include "QuorvelShared/crypto/sha256.hpp"

#include "QuorvelShared/crypto/crypto_error.hpp"
#include "QuorvelShared/crypto/openssl_handles.hpp"

namespace quorvel {

Sha256Digest sha256(ByteView data) {
    Sha256Digest digest{};
    unsigned int length = 0;
    if (EVP_Digest(data.data(), data.size(), digest.data(), &length, EVP_sha256(), nullptr) != 1 ||
        length != digest.size()) {
        throwCryptoError(CryptoErrorKind::operationFailed);
    }
    return digest;
}

}  // namespace quorvel
