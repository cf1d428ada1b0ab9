#include "QuorvelShared/messages/ble_local_send_gate.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace quorvel {
namespace {

TEST(BLELocalSendGate, WaitersAreServedInArrivalOrder) {
    BLELocalSendGate gate;
    std::string log;
    gate.acquire([&] { log += "A"; });
    EXPECT_EQ(log, "A");
    EXPECT_TRUE(gate.isHeld());
    gate.acquire([&] { log += "B"; });
    gate.acquire([&] { log += "C"; });
    EXPECT_EQ(log, "A");
    EXPECT_EQ(gate.waiterCount(), 2u);

    gate.release();  // A's release resumes B
    EXPECT_EQ(log, "AB");
    EXPECT_TRUE(gate.isHeld());
    gate.release();  // B's resumes C
    EXPECT_EQ(log, "ABC");
    EXPECT_TRUE(gate.isHeld());
    gate.release();  // C's frees the gate
    EXPECT_FALSE(gate.isHeld());
}

TEST(BLELocalSendGate, HandedOverGateIsNotFreeForANewcomer) {
    BLELocalSendGate gate;
    std::string log;
    gate.acquire([&] { log += "A"; });
    gate.acquire([&] { log += "B"; });
    gate.release();
    gate.acquire([&] { log += "N"; });  // arrives after B holds the gate
    EXPECT_EQ(log, "AB");
    gate.release();
    EXPECT_EQ(log, "ABN");
}

TEST(BLELocalSendGate, ReleasingAFreeGateLeavesItFree) {
    BLELocalSendGate gate;
    gate.release();
    EXPECT_FALSE(gate.isHeld());
    int runs = 0;
    gate.acquire([&] { ++runs; });
    EXPECT_EQ(runs, 1);
}

TEST(BLELocalSendGate, SendersThatReleaseAtOnceDoNotNest) {
    BLELocalSendGate gate;
    std::vector<int> order;
    int depth = 0;
    int deepest = 0;
    gate.acquire([] {});
    for (int i = 0; i < 10000; ++i) {
        gate.acquire([&, i] {
            ++depth;
            deepest = std::max(deepest, depth);
            order.push_back(i);
            gate.release();
            --depth;
        });
    }
    gate.release();
    EXPECT_EQ(order.size(), 10000u);
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
    EXPECT_EQ(deepest, 1);
    EXPECT_FALSE(gate.isHeld());
}

}  // namespace
}  // namespace quorvel
