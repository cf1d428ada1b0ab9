#include "QuorvelMac/model/bluetooth_status.hpp"

namespace quorvel {

std::string bluetoothStatusText(const BluetoothStatus& status) {
    if (!status.link)
        return "準備中";
    return status.detail.value_or(status.link->word());
}

}  // namespace quorvel
