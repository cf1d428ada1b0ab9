#pragma once

// Wording of the pairing and browser panes that needs no more than plain values.
#include <optional>
#include <string>

#include "QuorvelMac/model/bluetooth_status.hpp"
#include "QuorvelMac/ui/kit/tone.hpp"

namespace quorvel::ui {

// The Bluetooth status as the pairing pane's pill and "Bluetooth接続" row show it.
PillContent bluetoothStatusPill(const BluetoothStatus& status);

// "コードを作り直す" with an offer, else "再ペアリング" when paired, else "ペアリング開始".
std::string pairingButtonTitle(bool offerExists, bool paired);
std::string pairingInstructions(bool sessionExpired, bool paired, bool qrTextSet);

// The browser pane: whether any profile is connected, and whether the manifest is installed.
PillContent chromeConnectionPill(bool connected);
PillContent nativeHostPill(bool installed);

}  // namespace quorvel::ui
