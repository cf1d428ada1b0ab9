#include "QuorvelShared/unlockstate/synced_target_state_store.hpp"

#include <system_error>

#include "QuorvelShared/support/files.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"
#include "QuorvelShared/support/notifications.hpp"
#include "QuorvelShared/support/xdg_paths.hpp"

namespace quorvel::SyncedTargetStateStore {
namespace {

namespace fs = std::filesystem;

SyncedTargetList decodeList(std::string_view text) {
    return syncedTargetListFromJson(json::parse(text), "");
}

// Only the version of a stored file whose list no longer reads in full (written by a version of
// the programs that knew other keys).
std::int64_t decodeVersion(std::string_view text) {
    return json::ObjectReader(json::parse(text), "").int64("version");
}

bool isDefaultLocation(const fs::path& location) {
    return location.lexically_normal() == filePath().lexically_normal();
}

void write(const SyncedTargetList& list, const fs::path& to) {
    files::writeAtomically(to, json::write(toJson(list), json::Style::prettySorted));
    if (isDefaultLocation(to)) {
        postAfterWrite(changedNotification);
    }
}

// True when the stored bytes keep their place against a list of `version`.
bool storedIsAtLeastAsNew(std::string_view stored, std::int64_t version) {
    try {
        return decodeList(stored).version >= version;
    } catch (const json::DecodeError&) {
    }
    try {
        return decodeVersion(stored) > version;
    } catch (const json::DecodeError&) {
        return false;
    }
}

}  // namespace

fs::path filePath() {
    return paths::sharedStateFile("synced-web-targets.json");
}

std::optional<SyncedTargetList> load() {
    return load(filePath());
}

std::optional<SyncedTargetList> load(const fs::path& from) {
    const auto text = files::readIfPresent(from);
    if (!text) {
        return std::nullopt;
    }
    return decodeList(*text);
}

void save(const SyncedTargetList& list) {
    save(list, filePath());
}

void save(const SyncedTargetList& list, const fs::path& to) {
    write(list, to);
}

bool saveIfNewer(const SyncedTargetList& list, const fs::path& to) {
    const auto stored = files::readIfPresent(to);
    if (stored && storedIsAtLeastAsNew(*stored, list.version)) {
        return false;
    }
    write(list, to);
    return true;
}

std::optional<DefaultLockPolicy> policy(const std::string& forTargetId) {
    std::optional<SyncedTargetList> list;
    try {
        list = load();
    } catch (const std::system_error&) {
        return std::nullopt;
    } catch (const json::DecodeError&) {
        return std::nullopt;
    }
    if (!list) {
        return std::nullopt;
    }
    for (const auto& target : list->webTargets) {
        if (target.id == forTargetId) {
            return target.policy;
        }
    }
    return std::nullopt;
}

}  // namespace quorvel::SyncedTargetStateStore
