#pragma once

// The closed vocabularies of the lock policies. Each is stored as its case name, exactly as
// spelled in its table (case-sensitive); any other string fails the decode of the record that
// holds it.
#include <string>
#include <string_view>

#include "QuorvelShared/support/enum_names.hpp"
#include "QuorvelShared/support/json.hpp"
#include "QuorvelShared/support/json_reader.hpp"

namespace quorvel {

enum class DeviceType { ios, mac };
constexpr EnumName<DeviceType> deviceTypeNames[] = {
    {DeviceType::ios, "ios"},
    {DeviceType::mac, "mac"},
};

enum class LockMode { always, duringFocusSession, scheduled };
constexpr EnumName<LockMode> lockModeNames[] = {
    {LockMode::always, "always"},
    {LockMode::duringFocusSession, "duringFocusSession"},
    {LockMode::scheduled, "scheduled"},
};
constexpr LockMode lockModeAllCases[] = {LockMode::always, LockMode::duringFocusSession,
                                         LockMode::scheduled};

// The three cases starting with "ios" are the iPhone's own target kinds.
enum class TargetType { iosApp, iosWebDomain, iosCategory, webDomain, macApp };
constexpr EnumName<TargetType> targetTypeNames[] = {
    {TargetType::iosApp, "iosApp"},           {TargetType::iosWebDomain, "iosWebDomain"},
    {TargetType::iosCategory, "iosCategory"}, {TargetType::webDomain, "webDomain"},
    {TargetType::macApp, "macApp"},
};

// Whether a break applies to the one target or to all of them.
enum class BreakScope { perApp, allApps };
constexpr EnumName<BreakScope> breakScopeNames[] = {
    {BreakScope::perApp, "perApp"},
    {BreakScope::allApps, "allApps"},
};
constexpr BreakScope breakScopeAllCases[] = {BreakScope::perApp, BreakScope::allApps};

// How a mission kind is counted.
enum class MissionMetric { exactCount, approximateCount, seconds, characterInput };
constexpr EnumName<MissionMetric> missionMetricNames[] = {
    {MissionMetric::exactCount, "exactCount"},
    {MissionMetric::approximateCount, "approximateCount"},
    {MissionMetric::seconds, "seconds"},
    {MissionMetric::characterInput, "characterInput"},
};

// A case's stored name as a JSON string. A value outside the table (only reachable by casting
// an integer) has no stored form and throws json::EncodeError rather than writing "".
template <class E>
Json enumJson(E value, EnumNameTable<E> table) {
    const std::string_view name = nameOf<E>(value, table);
    if (name.empty()) {
        throw json::EncodeError("enumeration value without a stored name");
    }
    return Json(std::string(name));
}

inline Json toJson(DeviceType value) {
    return enumJson<DeviceType>(value, deviceTypeNames);
}
inline Json toJson(LockMode value) {
    return enumJson<LockMode>(value, lockModeNames);
}
inline Json toJson(TargetType value) {
    return enumJson<TargetType>(value, targetTypeNames);
}
inline Json toJson(BreakScope value) {
    return enumJson<BreakScope>(value, breakScopeNames);
}
inline Json toJson(MissionMetric value) {
    return enumJson<MissionMetric>(value, missionMetricNames);
}

inline DeviceType deviceTypeFromJson(const Json& value, const std::string& path) {
    return json::readEnum<DeviceType>(value, path, deviceTypeNames);
}
inline LockMode lockModeFromJson(const Json& value, const std::string& path) {
    return json::readEnum<LockMode>(value, path, lockModeNames);
}
inline TargetType targetTypeFromJson(const Json& value, const std::string& path) {
    return json::readEnum<TargetType>(value, path, targetTypeNames);
}
inline BreakScope breakScopeFromJson(const Json& value, const std::string& path) {
    return json::readEnum<BreakScope>(value, path, breakScopeNames);
}
inline MissionMetric missionMetricFromJson(const Json& value, const std::string& path) {
    return json::readEnum<MissionMetric>(value, path, missionMetricNames);
}

}  // namespace quorvel
