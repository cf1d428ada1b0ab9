#include "QuorvelMac/model/mac_lock_target.hpp"

#include <cmath>
#include <ctime>
#include <system_error>

#include "QuorvelShared/support/enum_names.hpp"
#include "QuorvelShared/support/files.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"
#include "QuorvelShared/support/xdg_paths.hpp"

namespace quorvel {

namespace {

constexpr EnumName<MacLockTarget::Kind> kindNames[] = {
    {MacLockTarget::Kind::webDomain, "webDomain"},
    {MacLockTarget::Kind::macApp, "macApp"},
};

MacLockTarget builtInWebTarget(std::string id, std::string name, std::string domain) {
    MacLockTarget target;
    target.id = std::move(id);
    target.kind = MacLockTarget::Kind::webDomain;
    target.displayName = std::move(name);
    target.identifier = std::move(domain);
    return target;
}

}  // namespace

const DefaultLockPolicy& MacLockTarget::effectivePolicy() const {
    if (!inheritsDefaultPolicy && policyOverride)
        return *policyOverride;
    return DefaultLockPolicy::defaultFree();
}

MacLockTarget MacLockTarget::macApplication(const MacApplicationDescriptor& descriptor) {
    MacLockTarget target;
    target.id = "mac-app:" + descriptor.bundleIdentifier;
    target.kind = Kind::macApp;
    target.displayName = descriptor.displayName;
    target.identifier = descriptor.bundleIdentifier;
    target.applicationURLPath = descriptor.applicationPath;
    return target;
}

const char* kindName(MacLockTarget::Kind kind) {
    return kind == MacLockTarget::Kind::macApp ? "macApp" : "webDomain";
}

Json toJson(const MacLockTarget& target) {
    Json object = Json::object();
    object["id"] = target.id;
    object["kind"] = kindName(target.kind);
    object["displayName"] = target.displayName;
    object["identifier"] = target.identifier;
    object["enabled"] = target.enabled;
    object["inheritsDefaultPolicy"] = target.inheritsDefaultPolicy;
    if (target.policyOverride)
        object["policyOverride"] = toJson(*target.policyOverride);
    if (target.applicationURLPath)
        object["applicationURLPath"] = *target.applicationURLPath;
    return object;
}

MacLockTarget macLockTargetFromJson(const Json& value, const std::string& path) {
    const json::ObjectReader object(value, path);
    MacLockTarget target;
    target.id = object.string("id");
    target.kind = object.required("kind", [](const Json& v, const std::string& p) {
        return json::readEnum<MacLockTarget::Kind>(v, p, kindNames);
    });
    target.displayName = object.string("displayName");
    target.identifier = object.string("identifier");
    target.enabled = object.boolean("enabled");
    target.inheritsDefaultPolicy = object.boolean("inheritsDefaultPolicy");
    target.policyOverride = object.optional("policyOverride", defaultLockPolicyFromJson);
    target.applicationURLPath = object.optionalString("applicationURLPath");
    return target;
}

const std::vector<MacLockTarget>& defaultTargets() {
    static const std::vector<MacLockTarget> targets = {
        builtInWebTarget("web-x", "X", "x.com"),
        builtInWebTarget("web-youtube", "YouTube", "youtube.com"),
    };
    return targets;
}

namespace MacTargetStore {

std::filesystem::path filePath() {
    return paths::sharedStateFile("mac-targets.json");
}

std::vector<MacLockTarget> load() {
    const auto contents = files::readIfPresent(filePath());
    if (!contents)
        return {};
    return json::readArray(json::parse(*contents), "", macLockTargetFromJson);
}

void save(const std::vector<MacLockTarget>& targets) {
    files::writeAtomically(filePath(),
                           json::write(json::arrayOf(targets), json::Style::prettySorted));
}

std::filesystem::path moveAside(const std::filesystem::path& file, double unixSeconds) {
    std::time_t seconds = static_cast<std::time_t>(std::floor(unixSeconds));
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &parts);
    std::filesystem::path aside = file;
    aside += std::string(".unreadable-") + stamp;
    // Two failures within one second keep both copies.
    for (int n = 2; files::exists(aside); ++n) {
        aside = file;
        aside += std::string(".unreadable-") + stamp + "-" + std::to_string(n);
    }
    std::filesystem::rename(file, aside);
    return aside;
}

}  // namespace MacTargetStore

}  // namespace quorvel
