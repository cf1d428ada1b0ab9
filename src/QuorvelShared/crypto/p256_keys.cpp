#include <openssl/crypto.h>
#include <openssl/rand.h>

#include <algorithm>

#include "QuorvelShared/crypto/crypto_error.hpp"
#include "QuorvelShared/crypto/p256_internal.hpp"
#include "QuorvelShared/crypto/p256_private_keys.hpp"

namespace quorvel {
namespace p256 {

openssl::EcGroup newGroup() {
    openssl::EcGroup group(EC_GROUP_new_by_curve_name(NID_X9_62_prime256v1));
    if (!group) {
        throwCryptoError(CryptoErrorKind::operationFailed);
    }
    return group;
}

namespace {

openssl::PKey pkeyFromData(OSSL_PARAM_BLD* builder, int selection) {
    openssl::Params params(OSSL_PARAM_BLD_to_param(builder));
    openssl::PKeyContext context(EVP_PKEY_CTX_new_from_name(nullptr, "EC", nullptr));
    EVP_PKEY* pkey = nullptr;
    if (!params || !context || EVP_PKEY_fromdata_init(context.get()) <= 0 ||
        EVP_PKEY_fromdata(context.get(), &pkey, selection, params.get()) <= 0) {
        throwCryptoError(CryptoErrorKind::operationFailed);
    }
    return openssl::PKey(pkey);
}

}  // namespace

openssl::PKey makePublicKey(const P256PublicKey& key) {
    const Bytes point = key.x963Representation();
    openssl::ParamBuilder builder(OSSL_PARAM_BLD_new());
    if (!builder ||
        !OSSL_PARAM_BLD_push_utf8_string(builder.get(), OSSL_PKEY_PARAM_GROUP_NAME,
                                         SN_X9_62_prime256v1, 0) ||
        !OSSL_PARAM_BLD_push_octet_string(builder.get(), OSSL_PKEY_PARAM_PUB_KEY, point.data(),
                                          point.size())) {
        throwCryptoError(CryptoErrorKind::operationFailed);
    }
    return pkeyFromData(builder.get(), EVP_PKEY_PUBLIC_KEY);
}

openssl::PKey makePrivateKey(ByteView scalar, const P256PublicKey& publicKey) {
    const Bytes point = publicKey.x963Representation();
    openssl::BigNum d(BN_secure_new());
    openssl::ParamBuilder builder(OSSL_PARAM_BLD_new());
    if (!d || !builder || !BN_bin2bn(scalar.data(), static_cast<int>(scalar.size()), d.get()) ||
        !OSSL_PARAM_BLD_push_utf8_string(builder.get(), OSSL_PKEY_PARAM_GROUP_NAME,
                                         SN_X9_62_prime256v1, 0) ||
        !OSSL_PARAM_BLD_push_BN(builder.get(), OSSL_PKEY_PARAM_PRIV_KEY, d.get()) ||
        !OSSL_PARAM_BLD_push_octet_string(builder.get(), OSSL_PKEY_PARAM_PUB_KEY, point.data(),
                                          point.size())) {
        throwCryptoError(CryptoErrorKind::operationFailed);
    }
    return pkeyFromData(builder.get(), EVP_PKEY_KEYPAIR);
}

}  // namespace p256

P256PublicKey P256PublicKey::fromRawRepresentation(ByteView raw) {
    if (raw.size() != rawSize) {
        throwCryptoError(CryptoErrorKind::invalidKey);
    }
    // The uncompressed SEC1 decoder refuses coordinates not below p and points off the curve.
    Bytes point{0x04};
    point.insert(point.end(), raw.begin(), raw.end());
    const openssl::EcGroup group = p256::newGroup();
    openssl::EcPoint decoded(EC_POINT_new(group.get()));
    if (!decoded ||
        EC_POINT_oct2point(group.get(), decoded.get(), point.data(), point.size(), nullptr) != 1 ||
        EC_POINT_is_on_curve(group.get(), decoded.get(), nullptr) != 1) {
        throwCryptoError(CryptoErrorKind::invalidKey);
    }
    std::array<std::uint8_t, rawSize> bytes{};
    std::copy(raw.begin(), raw.end(), bytes.begin());
    return P256PublicKey(bytes);
}

Bytes P256PublicKey::x963Representation() const {
    Bytes point(1 + raw_.size());
    point[0] = 0x04;  // uncompressed
    std::copy(raw_.begin(), raw_.end(), point.begin() + 1);
    return point;
}

namespace {

// d * G as the 64-byte raw point; the scalar must already be known to lie in 1 ..< n.
std::array<std::uint8_t, P256PublicKey::rawSize> publicPointOf(const EC_GROUP* group,
                                                               const BIGNUM* d) {
    openssl::EcPoint point(EC_POINT_new(group));
    unsigned char encoded[1 + P256PublicKey::rawSize];
    if (!point || EC_POINT_mul(group, point.get(), d, nullptr, nullptr, nullptr) != 1 ||
        EC_POINT_point2oct(group, point.get(), POINT_CONVERSION_UNCOMPRESSED, encoded,
                           sizeof encoded, nullptr) != sizeof encoded) {
        throwCryptoError(CryptoErrorKind::operationFailed);
    }
    std::array<std::uint8_t, P256PublicKey::rawSize> raw{};
    std::copy(encoded + 1, encoded + sizeof encoded, raw.begin());
    return raw;
}

// Y <= p - Y, read from the raw point's second half.
bool isCompactRepresentable(const EC_GROUP* group,
                            const std::array<std::uint8_t, P256PublicKey::rawSize>& raw) {
    openssl::BigNum p(BN_new());
    openssl::BigNum y(BN_bin2bn(raw.data() + 32, 32, nullptr));
    openssl::BigNum negatedY(BN_new());
    if (!p || !y || !negatedY ||
        EC_GROUP_get_curve(group, p.get(), nullptr, nullptr, nullptr) != 1 ||
        BN_sub(negatedY.get(), p.get(), y.get()) != 1) {
        throwCryptoError(CryptoErrorKind::operationFailed);
    }
    return BN_cmp(y.get(), negatedY.get()) <= 0;
}

}  // namespace

P256PrivateScalar P256PrivateScalar::fromRawRepresentation(ByteView raw) {
    if (raw.size() != rawSize) {
        throwCryptoError(CryptoErrorKind::invalidKey);
    }
    const openssl::EcGroup group = p256::newGroup();
    openssl::BigNum d(BN_secure_new());
    if (!d || !BN_bin2bn(raw.data(), static_cast<int>(raw.size()), d.get())) {
        throwCryptoError(CryptoErrorKind::operationFailed);
    }
    if (BN_is_zero(d.get()) || BN_cmp(d.get(), EC_GROUP_get0_order(group.get())) >= 0) {
        throwCryptoError(CryptoErrorKind::invalidKey);
    }
    std::array<std::uint8_t, rawSize> scalar{};
    std::copy(raw.begin(), raw.end(), scalar.begin());
    return P256PrivateScalar(scalar, P256PublicKey(publicPointOf(group.get(), d.get())));
}

P256PrivateScalar P256PrivateScalar::generate(bool compactRepresentable) {
    const openssl::EcGroup group = p256::newGroup();
    const BIGNUM* order = EC_GROUP_get0_order(group.get());
    openssl::BigNum d(BN_secure_new());
    if (!d) {
        throwCryptoError(CryptoErrorKind::operationFailed);
    }
    std::array<std::uint8_t, rawSize> scalar{};
    while (true) {
        // Uniform in 1 ..< n by rejection: n is close to 2^256, so a redraw is rare.
        if (RAND_priv_bytes(scalar.data(), static_cast<int>(scalar.size())) != 1 ||
            !BN_bin2bn(scalar.data(), static_cast<int>(scalar.size()), d.get())) {
            OPENSSL_cleanse(scalar.data(), scalar.size());
            throwCryptoError(CryptoErrorKind::operationFailed);
        }
        if (BN_is_zero(d.get()) || BN_cmp(d.get(), order) >= 0) {
            continue;
        }
        const auto point = publicPointOf(group.get(), d.get());
        if (compactRepresentable && !isCompactRepresentable(group.get(), point)) {
            continue;
        }
        P256PrivateScalar result(scalar, P256PublicKey(point));
        OPENSSL_cleanse(scalar.data(), scalar.size());
        return result;
    }
}

P256PrivateScalar::~P256PrivateScalar() {
    OPENSSL_cleanse(scalar_.data(), scalar_.size());
}

Bytes P256KeyAgreementPrivateKey::sharedSecretFromKeyAgreement(const P256PublicKey& peer) const {
    Bytes scalar = scalar_.rawRepresentation();
    const openssl::PKey own = p256::makePrivateKey(scalar, scalar_.publicKey());
    OPENSSL_cleanse(scalar.data(), scalar.size());
    const openssl::PKey other = p256::makePublicKey(peer);
    openssl::PKeyContext context(EVP_PKEY_CTX_new_from_pkey(nullptr, own.get(), nullptr));
    Bytes secret(sharedSecretSize);
    std::size_t length = secret.size();
    if (!context || EVP_PKEY_derive_init(context.get()) <= 0 ||
        EVP_PKEY_derive_set_peer(context.get(), other.get()) <= 0 ||
        EVP_PKEY_derive(context.get(), secret.data(), &length) <= 0 || length != sharedSecretSize) {
        throwCryptoError(CryptoErrorKind::keyAgreementFailed);
    }
    return secret;
}

}  // namespace quorvel
