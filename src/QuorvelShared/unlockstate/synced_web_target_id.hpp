#pragma once

// The id of a web target that belongs to an iPhone application target:
// "link:" + the application target's id + "#" + the domain.
#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

struct LinkedWebTargetComponents {
    std::string targetId;
    std::string domain;

    friend bool operator==(const LinkedWebTargetComponents&,
                           const LinkedWebTargetComponents&) = default;
};

namespace SyncedWebTargetID {

// Joins the parts as they stand: nothing is trimmed, normalised or escaped.
std::string linked(std::string_view targetId, std::string_view domain);

// The parts of a linked id, split at the last "#" (a "#" inside the target id stays in it), with
// the domain normalised. No value without the exact prefix "link:", without a "#", with an empty
// target id, or with a domain part that is not a host name.
std::optional<LinkedWebTargetComponents> linkedComponents(std::string_view text);

}  // namespace SyncedWebTargetID
}  // namespace quorvel
