#pragma once

// What the journeys on a screen share, beside what every journey has: the real QuorvelMac started
// as a process (it starts its bridge daemon itself) under openbox on the test's display, on the
// test's session bus with the keyring. Two locked applications (Editor and Viewer) from their
// desktop entries, their windows owned by second processes. The test sees the programs as a user
// would besides: the X server's windows, the accessibility tree, a real pointer and keyboard
// through XTest.
#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <QProcessEnvironment>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "QuorvelMac/model/mac_lock_target.hpp"
#include "QuorvelMac/shell/lock_overlay_presentation.hpp"
#include "QuorvelMac/shell/shell_x11_fixture.hpp"
#include "QuorvelShared/bridge/ble_local_connection_store.hpp"
#include "desktop/accessibility_tree.hpp"
#include "desktop/override_redirect_watch.hpp"
#include "desktop/program_under_test.hpp"
#include "desktop/xtest_input.hpp"
#include "phone_journey_fixture.hpp"

namespace quorvel::journeytest {

inline testing::WindowRect windowRect(const testkit::PixelRect& rect) {
    return {rect.x, rect.y, rect.width, rect.height};
}

class JourneyTest : public PhoneJourneyTest {
protected:
    void SetUp() override {
        openbox = testkit::WindowManagerSession::openbox(scene.x11);
        ASSERT_TRUE(openbox) << "openbox did not start";
        PhoneJourneyTest::SetUp();
    }

    void TearDown() override {
        if (app) {
            EXPECT_EQ(app->terminate(), 0) << "QuorvelMac did not end normally";
        }
        PhoneJourneyTest::TearDown();
    }

    // The two locked applications; the editor's policy warns `warningSeconds` before the end.
    void lockEditorAndViewer(std::int64_t warningSeconds = 60) {
        MacLockTarget editor = MacLockTarget::macApplication(
            {"org.example.Editor", "Editor",
             (scene.applications / "org.example.Editor.desktop").string()});
        editor.inheritsDefaultPolicy = false;
        editor.policyOverride = DefaultLockPolicy::defaultFree();
        editor.policyOverride->warningBeforeEndSeconds = warningSeconds;
        const MacLockTarget viewer = MacLockTarget::macApplication(
            {"org.example.Viewer", "Viewer",
             (scene.applications / "org.example.Viewer.desktop").string()});
        MacTargetStore::save({editor, viewer});
    }

    // The two applications' windows, once openbox manages them.
    void openWindows() {
        editorWindow = std::make_unique<testkit::TestWindow>("editor", "Editor",
                                                             testkit::PixelRect{80, 80, 400, 300});
        viewerWindow = std::make_unique<testkit::TestWindow>("viewer", "Viewer",
                                                             testkit::PixelRect{700, 80, 400, 300});
        // A fresh openbox can miss a window mapped while it starts: asking again is harmless.
        int polls = 0;
        ASSERT_TRUE(runLoopUntil([&] {
            if (++polls % 50 == 0) {
                scene.x11.map(editorWindow->id(), true);
                scene.x11.map(viewerWindow->id(), true);
            }
            return scene.x11.managedAndShown(editorWindow->id()) &&
                   scene.x11.managedAndShown(viewerWindow->id());
        }));
    }

    // Starts QuorvelMac as a desktop would, and waits until its daemon serves the phone and the
    // program shows itself in the accessibility tree.
    void startApplication() {
        QProcessEnvironment environment =
            sanitizers.applyTo(QProcessEnvironment::systemEnvironment());
        environment.insert("QT_QPA_PLATFORM", "xcb");
        environment.insert("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
        app = std::make_unique<testing::ProgramUnderTest>(QUORVEL_MAC, QStringList{}, environment);
        ASSERT_TRUE(runLoopUntil([&] { return bluez.application() && bluez.advertisement(); }))
            << "the daemon did not publish its GATT application";
        EXPECT_TRUE(bluez.problems().isEmpty()) << bluez.problems().join("; ").toStdString();
        phone.subscribe();
        ASSERT_TRUE(runLoopUntil([&] { return received(Kind::stateRefreshRequest) > 0; }))
            << "the phone got nothing after subscribing";
        ASSERT_TRUE(runLoopUntil([] {
            const auto status = BLELocalConnectionStore::load();
            return status && status->status == BluetoothLinkState::connected;
        }));
        tree = std::make_unique<testing::AccessibilityTree>();
        ASSERT_TRUE(runLoopUntil([&] {
            return (appNode = tree->application(app->pid())).has_value();
        })) << "QuorvelMac did not show in the accessibility tree";
        // The program shows its main window at start and openbox gives it the focus, on a
        // loaded machine well after the tree is there: an activation asked for before would be
        // taken away again.
        ASSERT_TRUE(runLoopUntil([&] { return scene.x11.title(scene.x11.active()) == "概要"; }))
            << "the main window did not come to the front; the front window is \""
            << scene.x11.title(scene.x11.active()) << "\"";
    }

    // The main window's sidebar with its four rows, once it is on the screen.
    std::optional<testing::AccessibilityTree::Node> findSidebar() {
        std::optional<testing::AccessibilityTree::Node> sidebar;
        const bool shown = runLoopUntil([&] {
            sidebar = tree->find(*appNode, [&](const testing::AccessibilityTree::Node& node) {
                return tree->role(node) == "list" && !tree->extents(node).isEmpty();
            });
            return sidebar && tree->children(*sidebar).size() == 4;
        });
        EXPECT_TRUE(shown) << "the main window's sidebar is not on the screen";
        return shown ? sidebar : std::nullopt;
    }

    // Where the lock panel covers a window under openbox: its frame below the title bar.
    testing::WindowRect coverOf(const testkit::TestWindow& window) {
        const auto extents = *scene.x11.frameExtentsRect(window.id());  // left, right, top, bottom
        auto* where = xcb_translate_coordinates_reply(
            scene.x11.connection(),
            xcb_translate_coordinates(scene.x11.connection(), window.id(), scene.x11.root(), 0, 0),
            nullptr);
        EXPECT_TRUE(where);
        const testing::WindowRect cover{where ? where->dst_x - extents.x : 0,
                                        where ? where->dst_y : 0, 400 + extents.x + extents.y,
                                        300 + extents.height};
        std::free(where);
        return cover;
    }

    // As a task bar does: asks openbox to activate the window.
    void activate(const testkit::TestWindow& window) {
        scene.x11.requestActivation(window.id());
        ASSERT_TRUE(runLoopUntil([&] { return scene.x11.active() == window.id(); }))
            << "the front window is \"" << scene.x11.title(scene.x11.active()) << "\"";
    }

    bool panelCovers(const testing::WindowRect& rect) {
        return scene.panelCovers({rect.x, rect.y, rect.width, rect.height});
    }

    // The panel's button in the accessibility tree: read by its title, which is the action's
    // title for one of the statuses.
    std::optional<testing::AccessibilityTree::Node> findPanelButton() {
        using Status = LockOverlayState::Status;
        QStringList titles;
        for (const Status& status :
             {Status::locked(), Status::requesting(), Status::confirmingIPhoneDelivery(),
              Status::waitingForIPhone(Date{0}), Status::approved(Date{0}), Status::failed("")}) {
            titles << QString::fromStdString(LockOverlayActionPresentation(status).title);
        }
        return tree->find(*appNode, [&](const testing::AccessibilityTree::Node& node) {
            return tree->role(node) == "push button" && titles.contains(tree->name(node));
        });
    }

    // The panel's button, found in the accessibility tree, once it is on the screen inside
    // `cover`.
    QRect panelButton(const testing::WindowRect& cover) {
        const QRect area(cover.x, cover.y, cover.width, cover.height);
        QRect button;
        const bool found = runLoopUntil([&] {
            if (!panelButton_)
                panelButton_ = findPanelButton();
            button = panelButton_ ? tree->extents(*panelButton_) : QRect();
            return !button.isEmpty() && area.contains(button);
        });
        EXPECT_TRUE(found) << "the panel's button is not on the screen over the window";
        return button;
    }

    // Presses the panel's button with the pointer.
    void pressPanelButton(const testing::WindowRect& cover) {
        const QRect button = panelButton(cover);
        ASSERT_FALSE(button.isEmpty());
        pointer.click(button.center().x(), button.center().y());
    }

    // True once a label with exactly this text is on the screen in the program's panel.
    bool panelShows(const std::string& text) {
        const QString wanted = QString::fromStdString(text);
        if (!panelButton_)
            panelButton_ = findPanelButton();
        if (!panelButton_)
            return false;
        // The panel is the top-level object that holds the button.
        for (const auto& top : tree->children(*appNode)) {
            if (!tree->find(top, [&](const auto& node) { return node == *panelButton_; }))
                continue;
            return tree
                ->find(top,
                       [&](const auto& node) {
                           return tree->name(node) == wanted && tree->role(node) == "label" &&
                                  !tree->extents(node).isEmpty();
                       })
                .has_value();
        }
        return false;
    }

    shelltest::X11Scene scene{home.dataHome()};
    std::unique_ptr<testkit::WindowManagerSession> openbox;
    testing::OverrideRedirectWatch watch;
    testing::XTestInput pointer;
    std::unique_ptr<testkit::TestWindow> editorWindow;
    std::unique_ptr<testkit::TestWindow> viewerWindow;
    std::unique_ptr<testing::ProgramUnderTest> app;
    std::unique_ptr<testing::AccessibilityTree> tree;
    std::optional<testing::AccessibilityTree::Node> appNode;

private:
    std::optional<testing::AccessibilityTree::Node> panelButton_;
};

}  // namespace quorvel::journeytest
