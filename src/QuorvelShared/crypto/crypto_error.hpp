#pragma once

// The one error of the cryptographic primitives. The peer's platform reports these failures with
// its own error values; here each becomes a kind with a fixed text, so that callers can show or
// forward the text and tests can switch over the kind.
#include <string_view>

#include "QuorvelShared/support/enum_names.hpp"
#include "QuorvelShared/support/typed_error.hpp"

namespace quorvel {

enum class CryptoErrorKind {
    // Key bytes of the wrong length, a public point not on the P-256 curve, or a private scalar
    // outside 1 ..< n.
    invalidKey,
    // The Diffie-Hellman computation was refused.
    keyAgreementFailed,
    // A cipher key, nonce or tag of the wrong length.
    incorrectParameterSize,
    // Sealed bytes that do not authenticate under the key (wrong key, wrong derivation input or
    // changed bytes).
    authenticationFailure,
    // Signature bytes that are not the strict DER form of two P-256 integers.
    invalidSignatureEncoding,
    // Any other refusal of the crypto library (key generation, signing, key derivation).
    operationFailed,
};

constexpr EnumName<CryptoErrorKind> cryptoErrorKindNames[] = {
    {CryptoErrorKind::invalidKey, "invalidKey"},
    {CryptoErrorKind::keyAgreementFailed, "keyAgreementFailed"},
    {CryptoErrorKind::incorrectParameterSize, "incorrectParameterSize"},
    {CryptoErrorKind::authenticationFailure, "authenticationFailure"},
    {CryptoErrorKind::invalidSignatureEncoding, "invalidSignatureEncoding"},
    {CryptoErrorKind::operationFailed, "operationFailed"},
};

using CryptoError = Error<CryptoErrorKind>;

// The fixed text of each kind; it never carries the crypto library's own messages, so it stays the
// same across library versions.
std::string_view cryptoErrorText(CryptoErrorKind kind);

// Throws CryptoError with the kind's text, after dropping whatever the crypto library queued.
[[noreturn]] void throwCryptoError(CryptoErrorKind kind);

}  // namespace quorvel
