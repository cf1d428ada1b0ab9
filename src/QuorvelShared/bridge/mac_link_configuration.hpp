#pragma once

// The pairing link between this Mac and one iPhone, with the backend's address and token. The
// bridge daemon writes it when a pairing is approved; the application and the native-messaging
// host read it before they send an unlock request.
#include <cstdint>
#include <string>

#include "QuorvelShared/support/json.hpp"

namespace quorvel {

struct MacLinkConfiguration {
    // An absolute URL string; a text that is not a URL cannot be saved or loaded.
    std::string backendBaseURL;
    // The backend's bearer token; empty for a link made by local Bluetooth pairing.
    std::string accessToken;
    std::string macDeviceId;
    std::string iosDeviceId;
    std::string iosSigningPublicKeyBase64;
    std::string iosEncryptionPublicKeyBase64;
    std::int64_t defaultUnlockDurationSeconds = 0;
    // Unlock requests live max(pollTimeoutSeconds, 3600) seconds.
    std::int64_t pollTimeoutSeconds = 0;

    // Only the lengths count: a string of blanks is set.
    bool isUsableForUnlockRequests() const;
    bool isUsableForPairing() const;

    friend bool operator==(const MacLinkConfiguration&, const MacLinkConfiguration&) = default;
};

// True for text that reads as a URL: not empty, only the characters a URL may hold, and every
// "%" followed by two hexadecimal digits.
bool isUrlText(const std::string& text);

// Throws json::EncodeError when backendBaseURL is not a URL: such a file would not load again.
Json toJson(const MacLinkConfiguration& configuration);
MacLinkConfiguration macLinkConfigurationFromJson(const Json& value, const std::string& path);

}  // namespace quorvel
