// The tray's colours on a real X server, published by a stand-in tray manager.
#include "QuorvelPlatform/windows/system_tray_colours.hpp"

#include <gtest/gtest.h>

#include "testkit/qt_wait.hpp"
#include "testkit/x11/tray_manager.hpp"

namespace quorvel::windows {
namespace {

using testkit::TrayManagerStandIn;

TEST(SystemTrayColoursTest, NormalColourOfThePropertyValue) {
    const std::vector<std::uint32_t> twelve = TrayManagerStandIn::colours(0xff, 0x80, 0x00);
    const std::uint32_t tooLarge[] = {70000, 0, 65535};
    struct Case {
        const char* name;
        const std::uint32_t* values;
        std::size_t count;
        std::optional<TrayColour> expected;
    };
    const std::vector<Case> cases = {
        {"four colours", twelve.data(), twelve.size(), TrayColour{0xffff, 0x8080, 0}},
        {"the normal colour alone", twelve.data(), 3, TrayColour{0xffff, 0x8080, 0}},
        {"too short", twelve.data(), 2, std::nullopt},
        {"empty", twelve.data(), 0, std::nullopt},
        {"beyond 16 bits", tooLarge, 3, TrayColour{0xffff, 0, 0xffff}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(normalTrayColour(c.values, c.count), c.expected) << c.name;
}

TEST(SystemTrayColoursTest, NoTrayManagerNoColour) {
    auto colours = SystemTrayColours::connect();
    ASSERT_TRUE(colours);
    EXPECT_FALSE(colours->normal());
}

TEST(SystemTrayColoursTest, ReadsTheManagersColourAndFollowsItsChanges) {
    TrayManagerStandIn panel(TrayManagerStandIn::colours(0xee, 0xee, 0xec));
    auto colours = SystemTrayColours::connect();
    ASSERT_TRUE(colours);
    EXPECT_EQ(colours->normal(), (TrayColour{0xeeee, 0xeeee, 0xecec}));

    panel.setColours(TrayManagerStandIn::colours(0x20, 0x20, 0x20));
    EXPECT_TRUE(testkit::runLoopUntil([&] {
        return colours->normal() == TrayColour{0x2020, 0x2020, 0x2020};
    }));

    panel.removeColours();
    EXPECT_TRUE(testkit::runLoopUntil([&] { return !colours->normal(); }));

    // A malformed value is no colour either; a good one after it is read again.
    panel.setColours({1, 2});
    panel.setColours(TrayManagerStandIn::colours(0, 0x80, 0));
    EXPECT_TRUE(testkit::runLoopUntil([&] {
        return colours->normal() == TrayColour{0, 0x8080, 0};
    }));
}

TEST(SystemTrayColoursTest, FollowsANewManagerAndOneThatGoes) {
    auto colours = SystemTrayColours::connect();
    ASSERT_TRUE(colours);
    int changes = 0;
    QObject::connect(colours.get(), &SystemTrayColours::normalChanged, [&] { ++changes; });
    {
        // A panel that starts after the application.
        TrayManagerStandIn first(TrayManagerStandIn::colours(0xff, 0xff, 0xff));
        ASSERT_TRUE(testkit::runLoopUntil([&] {
            return colours->normal() == TrayColour{0xffff, 0xffff, 0xffff};
        }));

        // Another one takes the selection over.
        TrayManagerStandIn second(TrayManagerStandIn::colours(0x10, 0x20, 0x30));
        ASSERT_TRUE(testkit::runLoopUntil([&] {
            return colours->normal() == TrayColour{0x1010, 0x2020, 0x3030};
        }));
        // The old manager's colours no longer count.
        first.setColours(TrayManagerStandIn::colours(0xff, 0, 0));
        second.setColours(TrayManagerStandIn::colours(0x11, 0x22, 0x33));
        ASSERT_TRUE(testkit::runLoopUntil([&] {
            return colours->normal() == TrayColour{0x1111, 0x2222, 0x3333};
        }));
        EXPECT_EQ(changes, 3);
    }
    // The managers are gone.
    EXPECT_TRUE(testkit::runLoopUntil([&] { return !colours->normal(); }));
}

}  // namespace
}  // namespace quorvel::windows
