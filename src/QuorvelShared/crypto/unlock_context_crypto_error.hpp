#pragma once

// The sealed envelope's and the signature checks' own failures. Everything else (key parsing,
// key agreement, cipher parameters, authentication, DER) is a CryptoError, and JSON failures are
// json::DecodeError.
#include "QuorvelShared/support/enum_names.hpp"
#include "QuorvelShared/support/typed_error.hpp"

namespace quorvel {

enum class UnlockContextCryptoError {
    // A base64 text given as a whole (a public key, an envelope, a signature) does not decode.
    invalidBase64,
    // The envelope is JSON, but its version is not 1 or one of its base64 fields does not decode.
    invalidEnvelope,
};

constexpr EnumName<UnlockContextCryptoError> unlockContextCryptoErrorNames[] = {
    {UnlockContextCryptoError::invalidBase64, "invalidBase64"},
    {UnlockContextCryptoError::invalidEnvelope, "invalidEnvelope"},
};

// Throws Error<UnlockContextCryptoError> with the case's fixed text.
[[noreturn]] inline void throwUnlockContextCryptoError(UnlockContextCryptoError code) {
    throw Error<UnlockContextCryptoError>(code, code == UnlockContextCryptoError::invalidBase64
                                                    ? "The base64 text does not decode."
                                                    : "The sealed envelope is not valid.");
}

}  // namespace quorvel
