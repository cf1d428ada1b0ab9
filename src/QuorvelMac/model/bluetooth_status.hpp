#pragma once
// The bridge daemon's Bluetooth link as the views show it.
#include <optional>
#include <string>

#include "QuorvelShared/messages/bluetooth_link_status.hpp"

namespace quorvel {

struct BluetoothStatus {
    // None until the status file reads (no daemon has written it yet, or it cannot be read): the
    // link is still being prepared.
    std::optional<BluetoothLinkStatus> link;
    // The daemon's own sentence on the state, when it wrote one.
    std::optional<std::string> detail;

    bool isConnected() const { return link && link->state() == BluetoothLinkState::connected; }

    friend bool operator==(const BluetoothStatus&, const BluetoothStatus&) = default;
};

// One line: the daemon's detail, else its status word, else "準備中" while none is known.
std::string bluetoothStatusText(const BluetoothStatus& status);

}  // namespace quorvel
