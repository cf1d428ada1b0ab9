#pragma once

// The lock policies of the Mac's lock targets, shared with the native-messaging host through
// "mac-target-policies.json": one object whose members are target identifiers and whose values
// are policies. The application is the only writer and replaces the whole file atomically, so the
// host (another process) reads either the old or the new map and takes no lock.
#include <filesystem>
#include <map>
#include <string>

#include "QuorvelShared/policy/default_lock_policy.hpp"

namespace quorvel::MacTargetPolicyStore {

using PolicyMap = std::map<std::string, DefaultLockPolicy>;

std::filesystem::path filePath();

// The stored map; empty when there is no file. Policies are read tolerantly, so files of older
// versions load; a read error, text that is not JSON or any member that does not decode fails the
// whole file.
PolicyMap load();

// Replaces the file: pretty-printed, every object's keys sorted. On failure the old file stays.
void save(const PolicyMap& policies);

// The target's stored policy, or `fallback` when it has none or the file cannot be loaded (which
// is reported).
DefaultLockPolicy policy(const std::string& targetId, const DefaultLockPolicy& fallback);

}  // namespace quorvel::MacTargetPolicyStore
