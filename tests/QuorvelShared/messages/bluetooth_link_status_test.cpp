#include <gtest/gtest.h>

#include "QuorvelShared/messages/bluetooth_link_status.hpp"

namespace quorvel {
namespace {

using State = BluetoothLinkState;

TEST(BluetoothLinkStatus, EachStateHasItsOwnWordBothWays) {
    const std::pair<State, const char*> cases[] = {
        {State::starting, "starting"},
        {State::unsupported, "unsupported"},
        {State::unauthorized, "unauthorized"},
        {State::off, "off"},
        {State::error, "error"},
        {State::advertising, "advertising"},
        {State::waiting, "waiting"},
        {State::checking, "checking"},
        {State::connected, "connected"},
        {State::stopped, "stopped"},
    };
    for (const auto& [state, word] : cases) {
        EXPECT_EQ(BluetoothLinkStatus(state).word(), word);
        const BluetoothLinkStatus read = BluetoothLinkStatus::fromWord(word);
        EXPECT_EQ(read.state(), state) << word;
        EXPECT_EQ(read, BluetoothLinkStatus(state)) << word;
    }
}

// Another writer's word, or one in other letters, names no state: it is kept as it was read.
TEST(BluetoothLinkStatus, AnyOtherWordIsKeptAsUnknown) {
    for (const char* word : {"poweredOff", "Connected", "CONNECTED", " connected", "connected ",
                             "unknown", "", "接続済み"}) {
        const BluetoothLinkStatus read = BluetoothLinkStatus::fromWord(word);
        EXPECT_EQ(read.state(), State::unknown) << word;
        EXPECT_EQ(read.word(), word);
        EXPECT_NE(read, BluetoothLinkStatus(State::connected)) << word;
    }
    EXPECT_NE(BluetoothLinkStatus::fromWord("a"), BluetoothLinkStatus::fromWord("b"));
}

}  // namespace
}  // namespace quorvel
