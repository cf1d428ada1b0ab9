#pragma once

// The keychain over the desktop's Secret Service (gnome-keyring, KWallet, KeePassXC) through
// libsecret. Items carry exactly the attributes "service" and "account"; the secret is the raw
// byte string, sent with the content type "application/octet-stream".
//
// The user is never prompted: a prompt would block the calling thread (a program's event loop)
// for as long as nobody answers. An item in a locked keyring, or a locked default keyring on
// add, is reported as interactionNotAllowed instead, naming the cause.
#include <cstdint>

#include "QuorvelShared/devicekeys/keychain.hpp"

namespace quorvel {

// Statuses beyond the three the store tells apart, with the peer platform's values so that a
// logged status reads the same on both.
namespace keychainstatus {
// A service or account that cannot name an item: the Secret Service carries both as D-Bus
// strings, which hold UTF-8 text without NUL.
inline constexpr std::int32_t invalidParameter = -50;
// No Secret Service answers: no session bus, no daemon, the daemon failed to start, or libsecret
// itself cannot be loaded.
inline constexpr std::int32_t notAvailable = -25291;
// The Secret Service has no default keyring to add items to.
inline constexpr std::int32_t noSuchKeychain = -25294;
// The keyring is locked and unlocking it would need the user.
inline constexpr std::int32_t interactionNotAllowed = -25308;
// Any other failure of the library or the service.
inline constexpr std::int32_t internalComponent = -2070;
}  // namespace keychainstatus

// Stateless; any thread may call it. Each call asks the service anew. libsecret is loaded at the
// first call, not with the program, so a program that never uses the keychain does not carry it.
class SecretServiceKeychain final : public Keychain {
public:
    KeychainItemRead copyGenericPassword(const std::string& service,
                                         const std::string& account) override;
    KeychainStatus addGenericPassword(const std::string& service, const std::string& account,
                                      ByteView data) override;
};

}  // namespace quorvel
