#include "QuorvelShared/messages/bluetooth_link_status.hpp"

#include "QuorvelShared/support/enum_names.hpp"

namespace quorvel {

namespace {

constexpr EnumName<BluetoothLinkState> stateWords[] = {
    {BluetoothLinkState::starting, "starting"},
    {BluetoothLinkState::unsupported, "unsupported"},
    {BluetoothLinkState::unauthorized, "unauthorized"},
    {BluetoothLinkState::off, "off"},
    {BluetoothLinkState::error, "error"},
    {BluetoothLinkState::advertising, "advertising"},
    {BluetoothLinkState::waiting, "waiting"},
    {BluetoothLinkState::checking, "checking"},
    {BluetoothLinkState::connected, "connected"},
    {BluetoothLinkState::stopped, "stopped"},
};

}  // namespace

BluetoothLinkStatus BluetoothLinkStatus::fromWord(std::string_view word) {
    if (const auto state = enumFromName<BluetoothLinkState>(word, stateWords))
        return *state;
    return {BluetoothLinkState::unknown, word};
}

std::string BluetoothLinkStatus::word() const {
    if (state_ == BluetoothLinkState::unknown)
        return unknownWord_;
    return std::string(nameOf<BluetoothLinkState>(state_, stateWords));
}

}  // namespace quorvel
