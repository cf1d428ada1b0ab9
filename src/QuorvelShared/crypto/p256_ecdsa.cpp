#include <openssl/crypto.h>
#include <openssl/ecdsa.h>
#include <openssl/err.h>

#include <algorithm>

#include "QuorvelShared/crypto/crypto_error.hpp"
#include "QuorvelShared/crypto/p256_internal.hpp"
#include "QuorvelShared/crypto/p256_private_keys.hpp"

namespace quorvel {
namespace {

using EcdsaSignature = std::unique_ptr<ECDSA_SIG, openssl::Deleter<ECDSA_SIG_free>>;

constexpr int maximumIntegerBytes = 32;

bool isAcceptableInteger(const BIGNUM* value) {
    return !BN_is_negative(value) && BN_num_bytes(value) <= maximumIntegerBytes;
}

}  // namespace

P256ECDSASignature P256ECDSASignature::fromDerRepresentation(ByteView der) {
    if (der.empty() || der.size() > maximumDerSize) {
        throwCryptoError(CryptoErrorKind::invalidSignatureEncoding);
    }
    const unsigned char* cursor = der.data();
    EcdsaSignature parsed(d2i_ECDSA_SIG(nullptr, &cursor, static_cast<long>(der.size())));
    if (!parsed || cursor != der.data() + der.size()) {
        throwCryptoError(CryptoErrorKind::invalidSignatureEncoding);
    }
    const BIGNUM* r = nullptr;
    const BIGNUM* s = nullptr;
    ECDSA_SIG_get0(parsed.get(), &r, &s);
    if (!isAcceptableInteger(r) || !isAcceptableInteger(s)) {
        throwCryptoError(CryptoErrorKind::invalidSignatureEncoding);
    }
    // OpenSSL's parser tolerates some non-canonical forms; only bytes that encode back to
    // themselves are DER.
    unsigned char* encoded = nullptr;
    const int length = i2d_ECDSA_SIG(parsed.get(), &encoded);
    const bool canonical = length > 0 && static_cast<std::size_t>(length) == der.size() &&
                           std::equal(der.begin(), der.end(), encoded);
    OPENSSL_free(encoded);
    if (!canonical) {
        throwCryptoError(CryptoErrorKind::invalidSignatureEncoding);
    }
    return P256ECDSASignature(Bytes(der.begin(), der.end()));
}

P256ECDSASignature P256SigningPrivateKey::signature(ByteView data) const {
    Bytes scalar = scalar_.rawRepresentation();
    const openssl::PKey key = p256::makePrivateKey(scalar, scalar_.publicKey());
    OPENSSL_cleanse(scalar.data(), scalar.size());
    openssl::DigestContext context(EVP_MD_CTX_new());
    Bytes der(P256ECDSASignature::maximumDerSize);
    std::size_t length = der.size();
    if (!context ||
        EVP_DigestSignInit_ex(context.get(), nullptr, "SHA256", nullptr, nullptr, key.get(),
                              nullptr) != 1 ||
        EVP_DigestSign(context.get(), der.data(), &length, data.data(), data.size()) != 1) {
        throwCryptoError(CryptoErrorKind::operationFailed);
    }
    der.resize(length);
    return P256ECDSASignature::fromDerRepresentation(der);
}

bool P256PublicKey::isValidSignature(const P256ECDSASignature& signature, ByteView data) const {
    const openssl::PKey key = p256::makePublicKey(*this);
    openssl::DigestContext context(EVP_MD_CTX_new());
    if (!context || EVP_DigestVerifyInit_ex(context.get(), nullptr, "SHA256", nullptr, nullptr,
                                            key.get(), nullptr) != 1) {
        throwCryptoError(CryptoErrorKind::operationFailed);
    }
    const Bytes& der = signature.derRepresentation();
    // 1 is a match; 0 and the negative results are a signature that does not verify (OpenSSL
    // also reports r or s outside 1 ..< n that way), which is false rather than an error.
    const int result =
        EVP_DigestVerify(context.get(), der.data(), der.size(), data.data(), data.size());
    ERR_clear_error();
    return result == 1;
}

}  // namespace quorvel
