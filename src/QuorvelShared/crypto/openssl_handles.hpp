#pragma once

// Owning handles for OpenSSL objects, used only inside crypto/. Every OpenSSL call goes through
// these so that no path leaks an object, the failing ones included.
#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/kdf.h>
#include <openssl/param_build.h>

#include <memory>

namespace quorvel::openssl {

template <auto Free>
struct Deleter {
    template <class T>
    void operator()(T* pointer) const {
        Free(pointer);
    }
};

using BigNum = std::unique_ptr<BIGNUM, Deleter<BN_free>>;
using BigNumContext = std::unique_ptr<BN_CTX, Deleter<BN_CTX_free>>;
using EcGroup = std::unique_ptr<EC_GROUP, Deleter<EC_GROUP_free>>;
using EcPoint = std::unique_ptr<EC_POINT, Deleter<EC_POINT_free>>;
using PKey = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY_free>>;
using PKeyContext = std::unique_ptr<EVP_PKEY_CTX, Deleter<EVP_PKEY_CTX_free>>;
using DigestContext = std::unique_ptr<EVP_MD_CTX, Deleter<EVP_MD_CTX_free>>;
using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, Deleter<EVP_CIPHER_CTX_free>>;
using Kdf = std::unique_ptr<EVP_KDF, Deleter<EVP_KDF_free>>;
using KdfContext = std::unique_ptr<EVP_KDF_CTX, Deleter<EVP_KDF_CTX_free>>;
using ParamBuilder = std::unique_ptr<OSSL_PARAM_BLD, Deleter<OSSL_PARAM_BLD_free>>;
using Params = std::unique_ptr<OSSL_PARAM, Deleter<OSSL_PARAM_free>>;

}  // namespace quorvel::openssl
