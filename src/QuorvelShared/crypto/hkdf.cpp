#include "QuorvelShared/crypto/hkdf.hpp"

#include <vector>

#include "QuorvelShared/crypto/crypto_error.hpp"
#include "QuorvelShared/crypto/openssl_handles.hpp"

namespace quorvel {
namespace {

// OpenSSL's HKDF reads an octet-string parameter through a non-const pointer but never writes it.
void* mutableData(ByteView bytes) {
    return const_cast<std::uint8_t*>(bytes.data());
}

}  // namespace

Bytes hkdfSha256(ByteView inputKeyMaterial, ByteView salt, ByteView info,
                 std::size_t outputLength) {
    constexpr std::size_t digestSize = 32;
    if (inputKeyMaterial.empty() || outputLength == 0 || outputLength > 255 * digestSize) {
        throwCryptoError(CryptoErrorKind::operationFailed);
    }
    openssl::Kdf kdf(EVP_KDF_fetch(nullptr, OSSL_KDF_NAME_HKDF, nullptr));
    openssl::KdfContext context(kdf ? EVP_KDF_CTX_new(kdf.get()) : nullptr);
    if (!context) {
        throwCryptoError(CryptoErrorKind::operationFailed);
    }
    char digest[] = "SHA256";
    std::vector<OSSL_PARAM> params;
    params.push_back(OSSL_PARAM_construct_utf8_string(OSSL_KDF_PARAM_DIGEST, digest, 0));
    params.push_back(OSSL_PARAM_construct_octet_string(
        OSSL_KDF_PARAM_KEY, mutableData(inputKeyMaterial), inputKeyMaterial.size()));
    // The salt is the extract step's HMAC key, which HMAC pads with zeros: leaving an empty salt
    // out gives the RFC's all-zero salt of the hash's length, the same result.
    if (!salt.empty()) {
        params.push_back(
            OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_SALT, mutableData(salt), salt.size()));
    }
    if (!info.empty()) {
        params.push_back(
            OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_INFO, mutableData(info), info.size()));
    }
    params.push_back(OSSL_PARAM_construct_end());
    Bytes output(outputLength);
    if (EVP_KDF_derive(context.get(), output.data(), output.size(), params.data()) != 1) {
        throwCryptoError(CryptoErrorKind::operationFailed);
    }
    return output;
}

}  // namespace quorvel
