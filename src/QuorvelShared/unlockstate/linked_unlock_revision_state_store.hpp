#pragma once

// The highest linked-unlock revision accepted per linked target, so that an older linked unlock
// arriving late (over Bluetooth again, or from the backend) cannot undo a newer one.
//
// File "linked-unlock-revisions.json": one compact JSON object, target id -> revision (integer).
// Entries are only added or raised. Changes are one locked read-modify-write.
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

namespace quorvel {

using LinkedUnlockRevisionMap = std::map<std::string, std::int64_t>;

namespace LinkedUnlockRevisionStateStore {

// "linked-unlock-revisions.json" in the shared state folder (made when missing).
std::filesystem::path filePath();

// The stored revisions. Never fails: a missing, unreadable or undecodable file gives an empty map.
LinkedUnlockRevisionMap load(const std::filesystem::path& from);

// True when `revision` is not lower than the one accepted before for `targetId`. With none
// accepted before, a negative revision is refused and zero is accepted without being stored.
// Only a raise writes the file. Throws the lock's and the file system's errors (a failed read
// included); the file then stays as it was.
bool accept(const std::string& targetId, std::int64_t revision, const std::filesystem::path& to);

}  // namespace LinkedUnlockRevisionStateStore
}  // namespace quorvel
