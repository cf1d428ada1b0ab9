#pragma once

// The allow windows of every lock target (application and web targets alike), shared by the
// application and the native-messaging host through "allow-windows.json". A window is live at
// `now` when its allow-until instant is strictly later than `now`.
//
// File: one JSON object, target id -> allow-until as ISO text ("2024-05-01T10:00:00Z", whole
// seconds), pretty-printed with sorted keys, replaced atomically. Every change is one locked
// read-modify-write, so two processes granting at once keep each other's windows; loads take no
// lock and rely on the atomic replacement.
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "QuorvelShared/support/clock.hpp"
#include "QuorvelShared/support/date.hpp"

namespace quorvel {

// Target id -> the instant until which the target may be used without its lock.
using AllowWindowMap = std::map<std::string, Date>;

// The failure of the coordinated read-modify-write when the lock returned without running the
// operation. Our lock runs the operation or throws its own error, so nothing throws this case
// today; it stays so that callers of the three coordinated stores keep one error type to handle.
enum class AllowWindowStateStoreError { coordinationDidNotRun };

namespace AllowWindowStateStore {

// "allow-windows.json" in the shared state folder (made when missing; throws as
// paths::sharedStateFolder does).
std::filesystem::path filePath();

// The live windows of the file. Never fails: a missing, unreadable or undecodable file (a single
// bad entry among good ones included), or a shared folder that cannot be used, gives an empty map.
AllowWindowMap load(Date now);
AllowWindowMap load(const std::filesystem::path& from, Date now);

// Sets the target's window to `until`, whether earlier or later than the one it had, and whether
// or not it has already ended (an ended window disappears at the next load). The clock is read
// inside the lock; ended windows of other targets are dropped from the file.
void grant(const std::string& targetId, Date until, const std::filesystem::path& to,
           const Clock& clock = systemClock());

// Removes the target's window (none is no error) and writes the file even so.
void revoke(const std::string& targetId, const std::filesystem::path& from,
            const Clock& clock = systemClock());

// Writes the map as the whole file, without the lock and without dropping ended windows.
void save(const AllowWindowMap& windows, const std::filesystem::path& to);

// Gives the linked targets exactly the windows of one linked unlock: every target of `linked`
// loses its window, then each grant for a target of `linked` that is later than `now` is set.
// Returns every live window of the file after the change.
AllowWindowMap reconcileLinkedTargets(const std::set<std::string>& linked,
                                      const AllowWindowMap& grants, Date now,
                                      const std::filesystem::path& to);

}  // namespace AllowWindowStateStore
}  // namespace quorvel
