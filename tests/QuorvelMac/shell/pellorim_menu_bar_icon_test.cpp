#include "QuorvelMac/shell/pellorim_menu_bar_icon.hpp"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

using State = PellorimMenuBarIcon::State;

TEST(PellorimMenuBarIconTest, StateTable) {
    const MacSetupStatus complete{true, true, true, false};
    const std::map<std::string, Date> none;
    const std::map<std::string, Date> open{{"mac-app:x", Date{100}}};
    struct Case {
        const char* name;
        MacSetupStatus setup;
        std::map<std::string, Date> windows;
        State expected;
    };
    const std::vector<Case> cases = {
        {"complete, browser never connected, nothing open", complete, none, State::normal},
        {"complete with an allow window", complete, open, State::allowing},
        {"permission missing and an allow window: setup wins",
         {false, true, true, true},
         open,
         State::attention},
        {"not paired", {true, false, true, true}, none, State::attention},
        {"applications not chosen", {true, true, false, true}, none, State::attention},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PellorimMenuBarIcon::state(c.setup, c.windows), c.expected) << c.name;
}

// Counts the inked pixels inside the circle, where the three forms differ.
int inkInside(const QImage& image) {
    int count = 0;
    for (int y = 6; y < 12; ++y) {
        for (int x = 6; x < 12; ++x)
            count += qAlpha(image.pixel(x, y)) > 64;
    }
    return count;
}

TEST(PellorimMenuBarIconTest, DrawsTheFormOfEachState) {
    const QImage normal = PellorimMenuBarIcon::image(State::normal);
    const QImage attention = PellorimMenuBarIcon::image(State::attention);
    const QImage allowing = PellorimMenuBarIcon::image(State::allowing);
    EXPECT_EQ(normal.size(), QSize(18, 18));
    EXPECT_EQ(PellorimMenuBarIcon::image(State::normal, 2.0).size(), QSize(36, 36));
    EXPECT_EQ(inkInside(normal), 0) << "only the broken circle";
    EXPECT_GT(inkInside(attention), 0);
    EXPECT_GT(inkInside(allowing), 0);
    EXPECT_NE(attention, allowing);
    // The gaps of the circle on the left and right stay clear.
    EXPECT_LT(qAlpha(normal.pixel(2, 9)), 64);
    EXPECT_LT(qAlpha(normal.pixel(15, 9)), 64);
    EXPECT_GT(qAlpha(normal.pixel(9, 2)), 64) << "the upper arc";
}

}  // namespace
}  // namespace quorvel
