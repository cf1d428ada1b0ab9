// Sealed envelopes. An input whose first byte is even is opened as an envelope text for a fixed
// recipient key; it must fail only with the envelope's, the crypto layer's or the JSON decoder's
// errors. Otherwise the rest is sealed as plaintext for that key, must open to the same bytes,
// and is then read as an unlock context.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "QuorvelShared/crypto/crypto_error.hpp"
#include "QuorvelShared/crypto/sealed_envelope.hpp"
#include "QuorvelShared/crypto/unlock_context_crypto.hpp"
#include "QuorvelShared/crypto/unlock_context_crypto_error.hpp"
#include "QuorvelShared/support/base64.hpp"
#include "QuorvelShared/support/json_reader.hpp"

using namespace quorvel;

namespace {

// The recipient of the seed corpus' envelopes: the scalar 0x11...11. The seeds are sealed for
// its public key with the request id "req_1".
const P256KeyAgreementPrivateKey& recipient() {
    static const auto key = P256KeyAgreementPrivateKey::fromRawRepresentation(Bytes(32, 0x11));
    return key;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    if (data[0] % 2 == 0) {
        try {
            (void)UnlockContextCrypto::decrypt(rest, recipient(), "req_1");
        } catch (const Error<UnlockContextCryptoError>&) {
        } catch (const CryptoError&) {
        } catch (const json::DecodeError&) {
        }
        return 0;
    }
    const Bytes plaintext(rest.begin(), rest.end());
    const Bytes salt = bytesOf(UnlockContextCrypto::salt);
    const Bytes info = bytesOf("req_1");
    const std::string sealed = sealEnvelope(
        plaintext, base64Encode(recipient().publicKey().rawRepresentation()), salt, info);
    if (openEnvelope(sealed, recipient(), salt, info) != plaintext) {
        std::abort();
    }
    try {
        (void)unlockContextPlaintextFromJson(json::parse(rest), "");
    } catch (const json::DecodeError&) {
    }
    return 0;
}
