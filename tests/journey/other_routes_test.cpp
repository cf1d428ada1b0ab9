// The other ways a user asks for an unlock in the running program: the request button on a
// target's card in the main window, and the tray menu's "…の解除を申請" item (the same menu the
// main window's menu button opens; a display without a system tray shows no tray icon). Each
// is driven with the real pointer and keyboard, and each request reaches the phone for the
// target it was asked for.
#include <X11/keysym.h>

#include <algorithm>

#include "journey_fixture.hpp"

namespace quorvel::journeytest {
namespace {

using Node = testing::AccessibilityTree::Node;

TEST_F(JourneyTest, TheTargetCardAndTheTrayMenuRequestAnUnlockForTheirTarget) {
    lockEditorAndViewer();
    startApplication();

    // The main window, shown at start: its sidebar's second row is the targets pane.
    const std::optional<Node> sidebar = findSidebar();
    ASSERT_TRUE(sidebar);
    const QRect targetsRow = tree->extents(tree->children(*sidebar)[1]);
    pointer.click(targetsRow.center().x(), targetsRow.center().y());

    // The viewer's card: the object holding the "Viewer" label and a request button.
    QRect cardButton;
    ASSERT_TRUE(runLoopUntil([&] {
        const auto card = tree->find(*appNode, [&](const Node& node) {
            bool named = false;
            for (const Node& child : tree->children(node))
                named = named || (tree->name(child) == "Viewer" && tree->role(child) == "label");
            return named;
        });
        if (!card)
            return false;
        const auto button = tree->find(*card, "push button", "解除申請");
        cardButton = button ? tree->extents(*button) : QRect();
        return !cardButton.isEmpty();
    })) << "the viewer's card is not on the screen";
    pointer.click(cardButton.center().x(), cardButton.center().y());
    auto request = nextUnlockRequest();
    ASSERT_TRUE(request.requestId);
    auto context = openContext(request);
    EXPECT_EQ(context.targetLocalId, viewerId);
    EXPECT_EQ(context.targetDisplayName, "Viewer");

    // The tray menu from the main window's menu button, below the sidebar: up from the bottom
    // past "終了", "設定…" and "Pellorimを開く" to the request submenu, into it, and its first
    // item.
    std::optional<Node> menuButton;
    const auto side = tree->find(*appNode, [&](const Node& node) {
        const auto below = tree->children(node);
        return std::find(below.begin(), below.end(), *sidebar) != below.end();
    });
    ASSERT_TRUE(side);
    for (const Node& child : tree->children(*side)) {
        if (tree->role(child) == "button menu")
            menuButton = child;
    }
    ASSERT_TRUE(menuButton) << "no menu button below the sidebar";
    const QRect menuAt = tree->extents(*menuButton);
    watch.read();
    std::size_t mark = watch.mark();
    const auto popupShown = [&] {
        watch.read();
        for (std::size_t i = mark; i < watch.events().size(); ++i) {
            if (watch.events()[i].kind == testing::OverrideRedirectWatch::Event::Kind::shown)
                return true;
        }
        return false;
    };
    // The main window, on the targets pane since the click above, has the focus, so the keys
    // below reach the program whether or not its menu has grabbed the keyboard yet. The grab is
    // never probed while the menu opens: the probe's own grab could take it from under the menu.
    ASSERT_TRUE(runLoopUntil([&] { return scene.x11.title(scene.x11.active()) == "ロック対象"; }))
        << "the front window is \"" << scene.x11.title(scene.x11.active()) << "\"";
    pointer.click(menuAt.center().x(), menuAt.center().y());
    ASSERT_TRUE(runLoopUntil(popupShown)) << "the menu did not open";
    // The pointer leaves the menu, so that neither hovering over an item nor a tool tip meddles
    // with what the keys choose.
    pointer.moveTo(1279, 0);
    for (int i = 0; i < 4; ++i)
        pointer.key(XK_Up);
    watch.read();
    mark = watch.mark();
    pointer.key(XK_Right);
    ASSERT_TRUE(runLoopUntil(popupShown)) << "the request submenu did not open";
    pointer.key(XK_Return);
    request = nextUnlockRequest();
    ASSERT_TRUE(request.requestId);
    context = openContext(request);
    EXPECT_EQ(context.targetLocalId, editorId);
    EXPECT_EQ(context.targetDisplayName, "Editor");
}

}  // namespace
}  // namespace quorvel::journeytest
