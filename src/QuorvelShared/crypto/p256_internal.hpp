#pragma once

// OpenSSL forms of the P-256 value types, for the code in crypto/ only.
#include "QuorvelShared/crypto/openssl_handles.hpp"
#include "QuorvelShared/crypto/p256_public_key.hpp"
#include "QuorvelShared/support/bytes.hpp"

namespace quorvel::p256 {

// A new group object per call: OpenSSL group objects carry caches and are not shared between
// threads here.
openssl::EcGroup newGroup();

// The key as an EVP public key. Throws CryptoError(operationFailed) when OpenSSL refuses.
openssl::PKey makePublicKey(const P256PublicKey& key);

// The key pair as an EVP private key, from the raw scalar and its point.
openssl::PKey makePrivateKey(ByteView scalar, const P256PublicKey& publicKey);

}  // namespace quorvel::p256
