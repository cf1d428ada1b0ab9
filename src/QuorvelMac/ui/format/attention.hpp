#pragma once

// Whether the chain permission - iPhone - Bluetooth - browser needs the user, as the sidebar's
// warning marks and the dashboard's connection card tell it.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "QuorvelMac/model/bluetooth_status.hpp"
#include "QuorvelMac/ui/navigation/sidebar_item.hpp"

namespace quorvel::ui {

struct AttentionFacts {
    bool accessibilityPermissionGranted = false;
    // The pairing presentation's tone is "connected", i.e. an iPhone is paired.
    bool iPhonePaired = false;
    // The daemon's Bluetooth status.
    BluetoothStatus bluetooth;
    // Writing the browser's native-messaging manifest failed.
    bool nativeHostInstallFailed = false;
};

struct SidebarRow {
    SidebarItem item;
    std::string title;
    std::string systemImage;
};

const std::array<SidebarRow, 4>& sidebarRows();
bool sidebarShowsWarning(SidebarItem item, const AttentionFacts& facts);

struct ConnectionIssue {
    std::string message;  // also the issue's identity in the list
    std::optional<std::string> actionTitle;
    std::optional<SidebarItem> destination;

    friend bool operator==(const ConnectionIssue&, const ConnectionIssue&) = default;
};

// In this order: accessibility, pairing, Bluetooth, browser manifest.
std::vector<ConnectionIssue> connectionIssues(const AttentionFacts& facts);

}  // namespace quorvel::ui
