#include "QuorvelShared/bridge/mac_link_configuration.hpp"

#include <string_view>

#include "QuorvelShared/support/json_reader.hpp"

namespace quorvel {
namespace {

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The unreserved and reserved characters of a URI reference.
bool isUrlCharacter(char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
        return true;
    }
    return std::string_view("-._~:/?#[]@!$&'()*+,;=").find(c) != std::string_view::npos;
}

std::string readUrl(const Json& value, const std::string& path) {
    std::string text = json::readString(value, path);
    if (!isUrlText(text)) {
        json::failDataCorrupted(path, "Invalid URL string.");
    }
    return text;
}

}  // namespace

bool MacLinkConfiguration::isUsableForUnlockRequests() const {
    return !macDeviceId.empty() && !iosDeviceId.empty() && !iosSigningPublicKeyBase64.empty() &&
           !iosEncryptionPublicKeyBase64.empty();
}

bool MacLinkConfiguration::isUsableForPairing() const {
    return !accessToken.empty() && !macDeviceId.empty();
}

bool isUrlText(const std::string& text) {
    if (text.empty()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%') {
            if (i + 2 >= text.size() || !isHexDigit(text[i + 1]) || !isHexDigit(text[i + 2])) {
                return false;
            }
            i += 2;
        } else if (!isUrlCharacter(text[i])) {
            return false;
        }
    }
    return true;
}

Json toJson(const MacLinkConfiguration& configuration) {
    if (!isUrlText(configuration.backendBaseURL)) {
        throw json::EncodeError("backendBaseURL is not a URL: " + configuration.backendBaseURL);
    }
    Json value = Json::object();
    value["backendBaseURL"] = configuration.backendBaseURL;
    value["accessToken"] = configuration.accessToken;
    value["macDeviceId"] = configuration.macDeviceId;
    value["iosDeviceId"] = configuration.iosDeviceId;
    value["iosSigningPublicKeyBase64"] = configuration.iosSigningPublicKeyBase64;
    value["iosEncryptionPublicKeyBase64"] = configuration.iosEncryptionPublicKeyBase64;
    value["defaultUnlockDurationSeconds"] = configuration.defaultUnlockDurationSeconds;
    value["pollTimeoutSeconds"] = configuration.pollTimeoutSeconds;
    return value;
}

MacLinkConfiguration macLinkConfigurationFromJson(const Json& value, const std::string& path) {
    const json::ObjectReader reader(value, path);
    return MacLinkConfiguration{
        .backendBaseURL = reader.required("backendBaseURL", readUrl),
        .accessToken = reader.string("accessToken"),
        .macDeviceId = reader.string("macDeviceId"),
        .iosDeviceId = reader.string("iosDeviceId"),
        .iosSigningPublicKeyBase64 = reader.string("iosSigningPublicKeyBase64"),
        .iosEncryptionPublicKeyBase64 = reader.string("iosEncryptionPublicKeyBase64"),
        .defaultUnlockDurationSeconds = reader.int64("defaultUnlockDurationSeconds"),
        .pollTimeoutSeconds = reader.int64("pollTimeoutSeconds"),
    };
}

}  // namespace quorvel
