#pragma once
// The browser link as the views show it.
#include <optional>
#include <string>
#include <string_view>

#include "QuorvelShared/support/date.hpp"

namespace quorvel {

enum class ServiceConnectionStatus { connected, connecting, disconnected, error };

const char* serviceConnectionStatusName(ServiceConnectionStatus status);
std::optional<ServiceConnectionStatus> serviceConnectionStatusFromName(std::string_view name);

struct ConnectionState {
    // Nothing in the application changes it from disconnected.
    ServiceConnectionStatus backend = ServiceConnectionStatus::disconnected;
    ServiceConnectionStatus webSocket = ServiceConnectionStatus::disconnected;
    // The browser manifest file exists.
    bool nativeHostInstalled = false;
    std::string nativeHostManifestPath;
    friend bool operator==(const ConnectionState&, const ConnectionState&) = default;
};

// A browser profile that has talked to the native-messaging host.
struct ChromeProfile {
    std::string id;
    std::string displayName;
    // Seen at most 10 seconds before the last refresh.
    bool connected = false;
    Date lastSeenAt{};
    friend bool operator==(const ChromeProfile&, const ChromeProfile&) = default;
};

}  // namespace quorvel
