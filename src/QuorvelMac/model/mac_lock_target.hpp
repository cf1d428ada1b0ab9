#pragma once
// One thing the user wants locked: an application (matched by its desktop-entry id) or a web
// domain. The list lives in "mac-targets.json" in the shared state folder, one JSON array of
// these records in list order.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "QuorvelShared/policy/default_lock_policy.hpp"
#include "QuorvelShared/support/json.hpp"

namespace quorvel {

// An application the user picked: its desktop-entry id, its name and where its entry lies.
struct MacApplicationDescriptor {
    std::string bundleIdentifier;
    std::string displayName;
    std::string applicationPath;
    friend bool operator==(const MacApplicationDescriptor&,
                           const MacApplicationDescriptor&) = default;
};

struct MacLockTarget {
    enum class Kind { webDomain, macApp };

    // Unique within the list. Applications: "mac-app:" + bundle identifier; synced web targets
    // keep the iPhone's id; the built-in web targets: "web-" + a short site name.
    std::string id;
    Kind kind = Kind::webDomain;
    std::string displayName;
    // The bundle identifier of an application, or the bare domain of a web site.
    std::string identifier;
    bool enabled = true;
    // False: the target follows `policyOverride`, or the built-in policy when it has none.
    bool inheritsDefaultPolicy = true;
    std::optional<DefaultLockPolicy> policyOverride;
    // Where the application's entry lies, for its icon.
    std::optional<std::string> applicationURLPath;

    // The policy the target is locked with and described to the iPhone with.
    const DefaultLockPolicy& effectivePolicy() const;

    // A new, enabled application target inheriting the default policy.
    static MacLockTarget macApplication(const MacApplicationDescriptor& descriptor);

    friend bool operator==(const MacLockTarget&, const MacLockTarget&) = default;
};

const char* kindName(MacLockTarget::Kind kind);

// Keys equal to the field names; the two optional keys are left out when absent.
Json toJson(const MacLockTarget& target);
// Strict: every required key, exact kind names; absent or null optional keys give no value.
MacLockTarget macLockTargetFromJson(const Json& value, const std::string& path);

// The two built-in web targets, used when there is no usable targets file.
const std::vector<MacLockTarget>& defaultTargets();

namespace MacTargetStore {
// "mac-targets.json" in the shared state folder.
std::filesystem::path filePath();
// An empty list when no file exists; a read or decoding failure throws.
std::vector<MacLockTarget> load();
// The whole list, pretty-printed with sorted keys, replacing the file atomically; throws.
void save(const std::vector<MacLockTarget>& targets);
// Keeps a file that could not be used beside it under a time-stamped name, so that writing the
// defaults over it never loses the user's list. Returns where it went; throws when it cannot.
std::filesystem::path moveAside(const std::filesystem::path& file, double unixSeconds);
}  // namespace MacTargetStore

}  // namespace quorvel
