// The shared state files, as another process (or a damaged disk) may have left them. The first
// byte picks the file's decoder, the rest is the file's text. Decoding either fails with a decode
// error or gives a record that is written and read back to an equal record; any other exception,
// crash or sanitizer report is a fault.
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "QuorvelShared/bridge/ble_local_bridge_state_store.hpp"
#include "QuorvelShared/bridge/ble_local_connection_store.hpp"
#include "QuorvelShared/bridge/ble_local_pairing_session_store.hpp"
#include "QuorvelShared/bridge/chrome_profile_connection.hpp"
#include "QuorvelShared/bridge/mac_link_configuration.hpp"
#include "QuorvelShared/policy/default_lock_policy.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"
#include "QuorvelShared/unlockstate/ble_local_accepted_approval_receipt.hpp"
#include "QuorvelShared/unlockstate/remote_open_state.hpp"
#include "QuorvelShared/unlockstate/synced_target_list.hpp"

using namespace quorvel;

namespace {

template <class Read>
void roundTrip(std::string_view text, json::Style style, Read read) {
    const auto record = read(json::parse(text), std::string());
    const std::string written = json::write(toJson(record), style);
    if (!(read(json::parse(written), std::string()) == record)) {
        std::abort();
    }
}

// The maps keyed by target or request id.
template <class Read, class Write>
void roundTripMap(std::string_view text, json::Style style, Read read, Write write) {
    const auto map = json::readMap(json::parse(text), "", read);
    Json value = Json::object();
    for (const auto& [key, element] : map) {
        value[key] = write(element);
    }
    if (!(json::readMap(json::parse(json::write(value, style)), "", read) == map)) {
        std::abort();
    }
}

// The browser-profile file is a plain array of records.
template <class Read>
void roundTripList(std::string_view text, json::Style style, Read read) {
    const auto list = json::readArray(json::parse(text), "", read);
    const Json value = json::arrayOf(list);
    if (!(json::readArray(json::parse(json::write(value, style)), "", read) == list)) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const auto pretty = json::Style::prettySorted;
    const auto compact = json::Style::compact;
    try {
        switch (data[0] % 11) {
            case 0:
                roundTrip(text, pretty, bleLocalBridgeStateFromJson);
                break;
            case 1:
                roundTrip(text, pretty, macLinkConfigurationFromJson);
                break;
            case 2:
                roundTrip(text, compact, bleLocalConnectionSnapshotFromJson);
                break;
            case 3:
                roundTrip(text, compact, bleLocalPairingSessionFromJson);
                break;
            case 4:
                roundTripList(text, pretty, chromeProfileConnectionFromJson);
                break;
            case 5:
                roundTripMap(text, pretty, defaultLockPolicyFromJson,
                             [](const DefaultLockPolicy& p) { return toJson(p); });
                break;
            case 6:
                roundTripMap(text, pretty, json::readIsoDate, json::isoDateValue);
                break;
            case 7:
                roundTripMap(text, compact, json::readInt64,
                             [](std::int64_t revision) { return Json(revision); });
                break;
            case 8:
                roundTripMap(text, pretty, bleLocalAcceptedApprovalReceiptFromJson,
                             [](const BLELocalAcceptedApprovalReceipt& r) { return toJson(r); });
                break;
            case 9:
                roundTrip(text, pretty, syncedTargetListFromJson);
                break;
            case 10:
                roundTrip(text, compact, remoteopen::stateFromJson);
                break;
        }
    } catch (const json::DecodeError&) {
    }
    return 0;
}
