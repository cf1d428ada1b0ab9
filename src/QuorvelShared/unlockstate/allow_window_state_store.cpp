#include "QuorvelShared/unlockstate/allow_window_state_store.hpp"

#include <string_view>

#include "QuorvelShared/support/file_lock.hpp"
#include "QuorvelShared/support/files.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"
#include "QuorvelShared/support/xdg_paths.hpp"
#include "QuorvelShared/unlockstate/unlock_state_file.hpp"

namespace quorvel::AllowWindowStateStore {
namespace {

namespace fs = std::filesystem;

AllowWindowMap decodeWindows(std::string_view text) {
    return json::readMap(json::parse(text), "", json::readIsoDate);
}

AllowWindowMap liveWindows(const std::optional<std::string>& text, Date now) {
    AllowWindowMap windows = unlockstate::decodeOrEmpty<AllowWindowMap>(text, decodeWindows);
    std::erase_if(windows, [now](const auto& entry) { return entry.second <= now; });
    return windows;
}

// The live windows for a change: a failed read stops the change (see unlock_state_file.hpp).
AllowWindowMap liveWindowsForChange(const fs::path& file, Date now) {
    return liveWindows(unlockstate::readForChange(file), now);
}

template <class Operation>
decltype(auto) withExclusiveLock(const fs::path& file, Operation&& operation) {
    return files::withCoordinatedFile(file, std::forward<Operation>(operation));
}

}  // namespace

fs::path filePath() {
    return paths::sharedStateFile("allow-windows.json");
}

AllowWindowMap load(Date now) {
    try {
        return load(filePath(), now);
    } catch (const fs::filesystem_error&) {
        return {};  // a shared folder of another user: nothing of it is read
    }
}

AllowWindowMap load(const fs::path& from, Date now) {
    return liveWindows(unlockstate::readForLoad(from), now);
}

void grant(const std::string& targetId, Date until, const fs::path& to, const Clock& clock) {
    withExclusiveLock(to, [&] {
        AllowWindowMap windows = liveWindowsForChange(to, clock.now());
        windows.insert_or_assign(targetId, until);
        save(windows, to);
    });
}

void revoke(const std::string& targetId, const fs::path& from, const Clock& clock) {
    withExclusiveLock(from, [&] {
        AllowWindowMap windows = liveWindowsForChange(from, clock.now());
        windows.erase(targetId);
        save(windows, from);
    });
}

void save(const AllowWindowMap& windows, const fs::path& to) {
    Json object = Json::object();
    for (const auto& [targetId, until] : windows) {
        object[targetId] = json::isoDateValue(until);
    }
    files::writeAtomically(to, json::write(object, json::Style::prettySorted));
}

AllowWindowMap reconcileLinkedTargets(const std::set<std::string>& linked,
                                      const AllowWindowMap& grants, Date now, const fs::path& to) {
    return withExclusiveLock(to, [&] {
        AllowWindowMap windows = liveWindowsForChange(to, now);
        for (const std::string& targetId : linked) {
            windows.erase(targetId);
        }
        for (const auto& [targetId, until] : grants) {
            if (linked.contains(targetId) && until > now) {
                windows.insert_or_assign(targetId, until);
            }
        }
        save(windows, to);
        return windows;
    });
}

}  // namespace quorvel::AllowWindowStateStore
