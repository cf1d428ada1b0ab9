#include "QuorvelShared/crypto/chacha_poly.hpp"

#include <openssl/crypto.h>
#include <openssl/rand.h>

#include <climits>

#include "QuorvelShared/crypto/crypto_error.hpp"
#include "QuorvelShared/crypto/openssl_handles.hpp"

namespace quorvel {
namespace {

constexpr int tagSize = static_cast<int>(ChaChaPolySealedBox::tagSize);

void requireSize(ByteView bytes, std::size_t size) {
    if (bytes.size() != size) {
        throwCryptoError(CryptoErrorKind::incorrectParameterSize);
    }
}

// Starts a cipher context for one direction with key and nonce set.
openssl::CipherContext startCipher(bool encrypting, ByteView key, ByteView nonce) {
    openssl::CipherContext context(EVP_CIPHER_CTX_new());
    const int encrypt = encrypting ? 1 : 0;
    if (!context ||
        EVP_CipherInit_ex(context.get(), EVP_chacha20_poly1305(), nullptr, nullptr, nullptr,
                          encrypt) != 1 ||
        EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_AEAD_SET_IVLEN, static_cast<int>(nonce.size()),
                            nullptr) != 1 ||
        EVP_CipherInit_ex(context.get(), nullptr, nullptr, key.data(), nonce.data(), encrypt) !=
            1) {
        throwCryptoError(CryptoErrorKind::operationFailed);
    }
    return context;
}

// Runs the bytes through the cipher; the length fits an int, which OpenSSL counts in.
Bytes update(EVP_CIPHER_CTX* context, ByteView input) {
    if (input.size() > static_cast<std::size_t>(INT_MAX)) {
        throwCryptoError(CryptoErrorKind::operationFailed);
    }
    Bytes output(input.size());
    int length = 0;
    if (!input.empty() && (EVP_CipherUpdate(context, output.data(), &length, input.data(),
                                            static_cast<int>(input.size())) != 1 ||
                           static_cast<std::size_t>(length) != input.size())) {
        throwCryptoError(CryptoErrorKind::operationFailed);
    }
    return output;
}

}  // namespace

ChaChaPolySealedBox chaChaPolySeal(ByteView key, ByteView plaintext) {
    Bytes nonce(ChaChaPolySealedBox::nonceSize);
    if (RAND_bytes(nonce.data(), static_cast<int>(nonce.size())) != 1) {
        throwCryptoError(CryptoErrorKind::operationFailed);
    }
    return chaChaPolySeal(key, plaintext, nonce);
}

ChaChaPolySealedBox chaChaPolySeal(ByteView key, ByteView plaintext, ByteView nonce) {
    requireSize(key, ChaChaPolySealedBox::keySize);
    requireSize(nonce, ChaChaPolySealedBox::nonceSize);
    const openssl::CipherContext context = startCipher(true, key, nonce);
    ChaChaPolySealedBox box;
    box.nonce.assign(nonce.begin(), nonce.end());
    box.ciphertext = update(context.get(), plaintext);
    box.tag.resize(ChaChaPolySealedBox::tagSize);
    unsigned char finalBlock[16];
    int length = 0;
    if (EVP_CipherFinal_ex(context.get(), finalBlock, &length) != 1 ||
        EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_AEAD_GET_TAG, tagSize, box.tag.data()) != 1) {
        throwCryptoError(CryptoErrorKind::operationFailed);
    }
    return box;
}

Bytes chaChaPolyOpen(ByteView key, const ChaChaPolySealedBox& box) {
    requireSize(key, ChaChaPolySealedBox::keySize);
    requireSize(box.nonce, ChaChaPolySealedBox::nonceSize);
    requireSize(box.tag, ChaChaPolySealedBox::tagSize);
    const openssl::CipherContext context = startCipher(false, key, box.nonce);
    Bytes plaintext = update(context.get(), box.ciphertext);
    Bytes tag = box.tag;
    unsigned char finalBlock[16];
    int length = 0;
    if (EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_AEAD_SET_TAG, tagSize, tag.data()) != 1) {
        throwCryptoError(CryptoErrorKind::operationFailed);
    }
    if (EVP_CipherFinal_ex(context.get(), finalBlock, &length) != 1) {
        OPENSSL_cleanse(plaintext.data(), plaintext.size());
        throwCryptoError(CryptoErrorKind::authenticationFailure);
    }
    return plaintext;
}

}  // namespace quorvel
