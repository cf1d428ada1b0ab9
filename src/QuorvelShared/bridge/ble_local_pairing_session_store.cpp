#include "QuorvelShared/bridge/ble_local_pairing_session_store.hpp"

#include "QuorvelShared/support/files.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"
#include "QuorvelShared/support/xdg_paths.hpp"

namespace quorvel {

Json toJson(const BLELocalPairingSession& session) {
    Json value = Json::object();
    value["sessionId"] = session.sessionId;
    value["code"] = session.code;
    value["expiresAt"] = json::referenceDateValue(session.expiresAt);
    value["macDeviceId"] = session.macDeviceId;
    value["macPublicKeys"] = toJson(session.macPublicKeys);
    return value;
}

BLELocalPairingSession bleLocalPairingSessionFromJson(const Json& value, const std::string& path) {
    const json::ObjectReader reader(value, path);
    return BLELocalPairingSession{
        .sessionId = reader.string("sessionId"),
        .code = reader.string("code"),
        .expiresAt = reader.required("expiresAt", json::readReferenceDate),
        .macDeviceId = reader.string("macDeviceId"),
        .macPublicKeys = reader.required("macPublicKeys", devicePublicKeyBundleFromJson),
    };
}

namespace BLELocalPairingSessionStore {

std::filesystem::path filePath() {
    return paths::sharedStateFile("ble-pairing-session.json");
}

std::optional<BLELocalPairingSession> load() {
    const auto text = files::readIfPresent(filePath());
    if (!text) {
        return std::nullopt;
    }
    return bleLocalPairingSessionFromJson(json::parse(*text), "");
}

void save(const BLELocalPairingSession& session) {
    files::writeAtomically(filePath(), json::write(toJson(session), json::Style::compact));
}

}  // namespace BLELocalPairingSessionStore
}  // namespace quorvel
