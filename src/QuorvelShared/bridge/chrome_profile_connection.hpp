#pragma once

// A browser profile whose native-messaging host has reported in. The host records it while it
// serves the profile's extension; the application counts it as connected while the last sighting
// is recent.
#include <string>

#include "QuorvelShared/support/date.hpp"
#include "QuorvelShared/support/json.hpp"

namespace quorvel {

struct ChromeProfileConnection {
    // Trimmed of white space and line breaks; also the record's identity.
    std::string profileId;
    std::string displayName;
    Date lastSeenAt;

    const std::string& id() const { return profileId; }

    // Seen at most staleAfterSeconds before `now`; a sighting later than `now` counts too.
    bool isConnected(Date now, double staleAfterSeconds) const;

    friend bool operator==(const ChromeProfileConnection&,
                           const ChromeProfileConnection&) = default;
};

Json toJson(const ChromeProfileConnection& connection);
ChromeProfileConnection chromeProfileConnectionFromJson(const Json& value, const std::string& path);

}  // namespace quorvel
