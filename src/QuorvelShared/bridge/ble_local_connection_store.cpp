#include "QuorvelShared/bridge/ble_local_connection_store.hpp"

#include "QuorvelShared/support/files.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"
#include "QuorvelShared/support/notifications.hpp"
#include "QuorvelShared/support/xdg_paths.hpp"

namespace quorvel {

Json toJson(const BLELocalConnectionSnapshot& snapshot) {
    Json value = Json::object();
    value["status"] = snapshot.status.word();
    if (snapshot.detail) {
        value["detail"] = *snapshot.detail;
    }
    value["updatedAt"] = json::referenceDateValue(snapshot.updatedAt);
    return value;
}

BLELocalConnectionSnapshot bleLocalConnectionSnapshotFromJson(const Json& value,
                                                              const std::string& path) {
    const json::ObjectReader reader(value, path);
    return BLELocalConnectionSnapshot{
        .status = BluetoothLinkStatus::fromWord(reader.string("status")),
        .detail = reader.optionalString("detail"),
        .updatedAt = reader.required("updatedAt", json::readReferenceDate),
    };
}

namespace BLELocalConnectionStore {

std::filesystem::path filePath() {
    return paths::sharedStateFile("ble-connection-state.json");
}

std::optional<BLELocalConnectionSnapshot> load() {
    const auto text = files::readIfPresent(filePath());
    if (!text) {
        return std::nullopt;
    }
    return bleLocalConnectionSnapshotFromJson(json::parse(*text), "");
}

void save(const BluetoothLinkStatus& status, const std::optional<std::string>& detail,
          const Clock& clock) {
    const BLELocalConnectionSnapshot snapshot{status, detail, clock.now()};
    files::writeAtomically(filePath(), json::write(toJson(snapshot), json::Style::compact));
    postAfterWrite(connectionChangedNotification);
}

}  // namespace BLELocalConnectionStore
}  // namespace quorvel
