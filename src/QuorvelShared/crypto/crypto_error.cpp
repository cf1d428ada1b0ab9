#include "QuorvelShared/crypto/crypto_error.hpp"

#include <openssl/err.h>

#include <string>

namespace quorvel {

std::string_view cryptoErrorText(CryptoErrorKind kind) {
    switch (kind) {
        case CryptoErrorKind::invalidKey:
            return "The key is not a valid P-256 key.";
        case CryptoErrorKind::keyAgreementFailed:
            return "The key agreement failed.";
        case CryptoErrorKind::incorrectParameterSize:
            return "A cipher parameter has the wrong size.";
        case CryptoErrorKind::authenticationFailure:
            return "The sealed data failed authentication.";
        case CryptoErrorKind::invalidSignatureEncoding:
            return "The signature is not a DER-encoded P-256 signature.";
        case CryptoErrorKind::operationFailed:
            return "A cryptographic operation failed.";
    }
    return "A cryptographic operation failed.";
}

void throwCryptoError(CryptoErrorKind kind) {
    ERR_clear_error();
    throw CryptoError(kind, std::string(cryptoErrorText(kind)));
}

}  // namespace quorvel
