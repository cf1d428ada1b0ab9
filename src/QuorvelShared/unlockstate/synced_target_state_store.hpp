#pragma once

// The synced web-target list as last stored, in "synced-web-targets.json" (pretty-printed with
// sorted keys, dates as ISO text, replaced atomically as a whole). A newer list is kept over an
// older one by its version, and every write of the default file is announced with
// "com.oddmoor.pellorim.target-sync-changed" so that the other programs reload it. No lock: of
// two writers at the same moment the later one wins.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "QuorvelShared/policy/default_lock_policy.hpp"
#include "QuorvelShared/unlockstate/synced_target_list.hpp"

namespace quorvel::SyncedTargetStateStore {

inline constexpr std::string_view changedNotification = "com.oddmoor.pellorim.target-sync-changed";

// "synced-web-targets.json" in the shared state folder (made when missing).
std::filesystem::path filePath();

// The stored list, or no value when there is no file. A file that cannot be read throws the file
// system's error; content that is not a complete list throws json::DecodeError.
std::optional<SyncedTargetList> load();
std::optional<SyncedTargetList> load(const std::filesystem::path& from);

// Writes the list as the whole file (the folder must exist) and, for the default file, posts the
// change notification afterwards. Nothing is posted when the write fails; a failed post after the
// write is only reported on standard error.
void save(const SyncedTargetList& list);
void save(const SyncedTargetList& list, const std::filesystem::path& to);

// Writes `list` unless the stored one is at least as new: a stored complete list wins at an equal
// version, a stored file of which only the "version" reads loses at an equal version, and content
// that does not decode at all is replaced. True when it wrote. A file that cannot be read throws
// and nothing is written.
bool saveIfNewer(const SyncedTargetList& list, const std::filesystem::path& to);

// The policy of the first stored web target with this id (enabled or not); no value when there is
// none or the default file cannot be read or decoded.
std::optional<DefaultLockPolicy> policy(const std::string& forTargetId);

}  // namespace quorvel::SyncedTargetStateStore
