#include "QuorvelShared/unlockstate/linked_unlock_revision_state_store.hpp"

#include <string_view>

#include "QuorvelShared/support/file_lock.hpp"
#include "QuorvelShared/support/files.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"
#include "QuorvelShared/support/xdg_paths.hpp"
#include "QuorvelShared/unlockstate/unlock_state_file.hpp"

namespace quorvel::LinkedUnlockRevisionStateStore {
namespace {

namespace fs = std::filesystem;

LinkedUnlockRevisionMap decodeRevisions(std::string_view text) {
    return json::readMap(json::parse(text), "", json::readInt64);
}

void write(const LinkedUnlockRevisionMap& revisions, const fs::path& to) {
    Json object = Json::object();
    for (const auto& [targetId, revision] : revisions) {
        object[targetId] = revision;
    }
    files::writeAtomically(to, json::write(object, json::Style::compact));
}

}  // namespace

fs::path filePath() {
    return paths::sharedStateFile("linked-unlock-revisions.json");
}

LinkedUnlockRevisionMap load(const fs::path& from) {
    return unlockstate::decodeOrEmpty<LinkedUnlockRevisionMap>(unlockstate::readForLoad(from),
                                                               decodeRevisions);
}

bool accept(const std::string& targetId, std::int64_t revision, const fs::path& to) {
    return files::withCoordinatedFile(to, [&] {
        // A failed read stops here: taking it for "no history" would let old unlocks replay.
        LinkedUnlockRevisionMap revisions = unlockstate::decodeOrEmpty<LinkedUnlockRevisionMap>(
            unlockstate::readForChange(to), decodeRevisions);
        const auto stored = revisions.find(targetId);
        const std::int64_t floor = stored != revisions.end() ? stored->second : 0;
        if (revision < floor) {
            return false;
        }
        if (revision == floor) {
            return true;
        }
        revisions.insert_or_assign(targetId, revision);
        write(revisions, to);
        return true;
    });
}

}  // namespace quorvel::LinkedUnlockRevisionStateStore
