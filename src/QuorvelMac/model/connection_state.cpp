#include "QuorvelMac/model/connection_state.hpp"

#include "QuorvelShared/support/enum_names.hpp"

namespace quorvel {

namespace {
constexpr EnumName<ServiceConnectionStatus> statusNames[] = {
    {ServiceConnectionStatus::connected, "connected"},
    {ServiceConnectionStatus::connecting, "connecting"},
    {ServiceConnectionStatus::disconnected, "disconnected"},
    {ServiceConnectionStatus::error, "error"},
};
}  // namespace

const char* serviceConnectionStatusName(ServiceConnectionStatus status) {
    return nameOf<ServiceConnectionStatus>(status, statusNames).data();
}

std::optional<ServiceConnectionStatus> serviceConnectionStatusFromName(std::string_view name) {
    return enumFromName<ServiceConnectionStatus>(name, statusNames);
}

}  // namespace quorvel
