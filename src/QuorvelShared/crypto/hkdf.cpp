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
    if (outputLength == 0 || outputLength > 255 * digestSize) {
        throwCryptoError(CryptoErrorKind::operationFailed);
    }
    openssl::Kdf kdf(EVP_KDF_fetch(nullptr, OSSL_KDF_NAME_HKDF, nullptr));
    openssl::KdfContext context(kdf ? EVP_KDF_CTX_new(kdf.get()) : nullptr);
    if (!context) {
        throwCryptoError(CryptoErrorKind::operationFailed);
    }
    char digest[] = "SHA256";
    // An HMAC key shorter than the block is padded with zeros, so an empty key material or salt
    // means the same as the all-zero one of the hash's length; OpenSSL wants a key, though.
    const Bytes zeros(digestSize, 0);
    const ByteView key = inputKeyMaterial.empty() ? ByteView(zeros) : inputKeyMaterial;
    std::vector<OSSL_PARAM> params;
    params.push_back(OSSL_PARAM_construct_utf8_string(OSSL_KDF_PARAM_DIGEST, digest, 0));
    params.push_back(
        OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_KEY, mutableData(key), key.size()));
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
