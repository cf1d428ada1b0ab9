#include "QuorvelShared/bridge/chrome_profile_connection.hpp"

#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"

namespace quorvel {

bool ChromeProfileConnection::isConnected(Date now, double staleAfterSeconds) const {
    return now.secondsSince(lastSeenAt) <= staleAfterSeconds;
}

Json toJson(const ChromeProfileConnection& connection) {
    Json value = Json::object();
    value["profileId"] = connection.profileId;
    value["displayName"] = connection.displayName;
    value["lastSeenAt"] = json::isoDateValue(connection.lastSeenAt);
    return value;
}

ChromeProfileConnection chromeProfileConnectionFromJson(const Json& value,
                                                        const std::string& path) {
    const json::ObjectReader reader(value, path);
    return ChromeProfileConnection{
        .profileId = reader.string("profileId"),
        .displayName = reader.string("displayName"),
        .lastSeenAt = reader.isoDate("lastSeenAt"),
    };
}

}  // namespace quorvel
