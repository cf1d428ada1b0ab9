#include "QuorvelShared/bridge/mac_link_configuration.hpp"

#include <string_view>

#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/uri_characters.hpp"

namespace quorvel {
namespace {

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
    // The unreserved and reserved characters of a URI reference.
    return !text.empty() && uri::consistsOf(text, [](char c) {
        return uri::isUnreserved(c) || uri::isGenDelimiter(c) || uri::isSubDelimiter(c);
    });
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
