#pragma once

// The last Bluetooth status the bridge daemon reported ("ble-connection-state.json"). The daemon
// writes it on every change of its peripheral's state and the application once more when it stops
// the daemon; the application and the native-messaging host read it. Like the pairing-session
// file it is compact, in field order, with the date as a number of seconds since 2001.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "QuorvelShared/messages/bluetooth_link_status.hpp"
#include "QuorvelShared/support/clock.hpp"
#include "QuorvelShared/support/json.hpp"

namespace quorvel {

struct BLELocalConnectionSnapshot {
    BluetoothLinkStatus status;
    std::optional<std::string> detail;
    Date updatedAt;

    friend bool operator==(const BLELocalConnectionSnapshot&,
                           const BLELocalConnectionSnapshot&) = default;
};

Json toJson(const BLELocalConnectionSnapshot& snapshot);
BLELocalConnectionSnapshot bleLocalConnectionSnapshotFromJson(const Json& value,
                                                              const std::string& path);

namespace BLELocalConnectionStore {

inline constexpr std::string_view connectionChangedNotification =
    "app.quorvel.bleBridge.connectionChanged";

std::filesystem::path filePath();

// No file gives no value; read and decoding errors are thrown.
std::optional<BLELocalConnectionSnapshot> load();

// Writes a snapshot stamped with the clock's time, then posts connectionChangedNotification; every
// call writes and posts, also when nothing changed. A failed write throws and posts nothing; a
// failed post after the write is only reported on standard error.
void save(const BluetoothLinkStatus& status, const std::optional<std::string>& detail,
          const Clock& clock = systemClock());

}  // namespace BLELocalConnectionStore
}  // namespace quorvel
