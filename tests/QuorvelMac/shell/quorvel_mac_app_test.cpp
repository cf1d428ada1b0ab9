#include "QuorvelMac/shell/quorvel_mac_app.hpp"

#include <QGuiApplication>
#include <QPalette>
#include <QSystemTrayIcon>

#include "QuorvelMac/model/model_fixture.hpp"
#include "QuorvelShared/bridge/ble_local_bridge_store.hpp"
#include "QuorvelShared/bridge/mac_link_configuration_store.hpp"
#include "QuorvelShared/crypto/p256_private_keys.hpp"
#include "QuorvelShared/crypto/unlock_context_crypto.hpp"
#include "QuorvelShared/support/base64.hpp"
#include "desktop/override_redirect_watch.hpp"
#include "shell_x11_fixture.hpp"
#include "testkit/qt_wait.hpp"
#include "testkit/x11/tray_manager.hpp"
#include "testkit/x11/watcher_catch_up.hpp"

namespace quorvel {
namespace {

using namespace shelltest;
using Status = LockOverlayState::Status;

// The whole application without its windows: the real model over a temporary home, the
// foreground observer on the test display, and windows of two applications.
class QuorvelMacAppTest : public modeltest::ModelTest, protected X11Scene {
protected:
    QuorvelMacAppTest() : X11Scene(home.dataHome()) {}

    void SetUp() override {
        accessibility->trusted = true;
        editor = std::make_unique<testkit::TestWindow>("editor", "Editor",
                                                       PixelRect{100, 100, 400, 300});
        viewer = std::make_unique<testkit::TestWindow>("viewer", "Viewer",
                                                       PixelRect{600, 100, 300, 300});
    }

    // With scenes, the tray item is made (the windows are not: the test gives none).
    void startApp(bool showScenes = false) {
        QuorvelMacApp::Parts parts;
        parts.observer = makeObserver();
        parts.makeModel = [this] { return makeModel(); };
        parts.showScenes = showScenes;
        app = std::make_unique<QuorvelMacApp>(std::move(parts));
    }

    // Returns once the application has decided on the last change of the active window and the
    // X server has carried out what the decision asked, so that a check that no panel came ends
    // here instead of after a sleep.
    bool decidedOnTheFront() {
        if (!testkit::catchUpWithWatcher(*app->foregroundObserver().watcher()))
            return false;
        qtRoundTrip();
        return true;
    }

    void lockEditor() {
        app->model().addMacApplicationTargets(
            {{"org.example.Editor", "Editor",
              (applications / "org.example.Editor.desktop").string()}});
    }

    const PixelRect editorCover{100, 100, 400, 300};
    std::unique_ptr<testkit::TestWindow> editor;
    std::unique_ptr<testkit::TestWindow> viewer;
    std::unique_ptr<QuorvelMacApp> app;
};

TEST_F(QuorvelMacAppTest, LockedApplicationInFrontGetsThePanelWithoutAnyWindowShown) {
    startApp();
    lockEditor();
    x11.setActive(editor->id());
    ASSERT_TRUE(runLoopUntil([&] { return panelCovers(editorCover); }));
    EXPECT_EQ(app->blockedProcessIdentifier(), editor->pid());
    ASSERT_TRUE(app->model().overlay());
    EXPECT_EQ(app->model().overlay()->target.id, "mac-app:org.example.Editor");
    EXPECT_EQ(app->model().overlay()->status, Status::locked());
    EXPECT_EQ(app->mainWindow(), nullptr);
}

TEST_F(QuorvelMacAppTest, SwitchingAwayHidesThePanelAndKeepsTheRequestsState) {
    startApp();
    lockEditor();
    x11.setActive(editor->id());
    ASSERT_TRUE(runLoopUntil([&] { return panelCovers(editorCover); }));
    app->model().setOverlay(
        LockOverlayState{app->model().overlay()->target, Status::waitingForIPhone(Date{1e9})});

    x11.setActive(viewer->id());
    ASSERT_TRUE(runLoopUntil([&] { return noPanel() && !app->blockedProcessIdentifier(); }));
    EXPECT_EQ(app->model().overlay()->status, Status::waitingForIPhone(Date{1e9}));

    x11.setActive(editor->id());
    ASSERT_TRUE(runLoopUntil([&] { return panelCovers(editorCover); }));
    EXPECT_EQ(app->model().overlay()->status, Status::waitingForIPhone(Date{1e9}))
        << "resumed, not reset";
    EXPECT_EQ(app->overlayController().panel()->view()->state()->status,
              Status::waitingForIPhone(Date{1e9}));
}

TEST_F(QuorvelMacAppTest, AlreadyFrontApplicationIsJudgedAtStart) {
    startApp();
    lockEditor();
    app.reset();  // the targets file keeps the target for the next start
    x11.setActive(editor->id());
    startApp();
    EXPECT_TRUE(runLoopUntil([&] { return panelCovers(editorCover); }));
}

TEST_F(QuorvelMacAppTest, AddingTheFrontApplicationAsATargetLocksItAtOnce) {
    startApp();
    x11.setActive(editor->id());
    ASSERT_TRUE(decidedOnTheFront());
    EXPECT_TRUE(noPanel());
    EXPECT_FALSE(app->blockedProcessIdentifier());
    lockEditor();
    EXPECT_TRUE(runLoopUntil([&] { return panelCovers(editorCover); }));
}

TEST_F(QuorvelMacAppTest, AnAllowWindowUnlocksAndItsEndLocksAgain) {
    startApp();
    lockEditor();
    x11.setActive(editor->id());
    ASSERT_TRUE(runLoopUntil([&] { return panelCovers(editorCover); }));
    const std::string id = "mac-app:org.example.Editor";
    // The panel may be back before a loaded machine lets the test look: the watch keeps its
    // leaving however briefly it was gone.
    quorvel::testing::OverrideRedirectWatch watch;
    app->model().applyApproval(id, systemClock().now().addingSeconds(2), std::nullopt);
    EXPECT_FALSE(app->blockedProcessIdentifier());
    ASSERT_TRUE(runLoopUntil([&] {
        watch.read();
        for (const auto& event : watch.events()) {
            if (event.kind == quorvel::testing::OverrideRedirectWatch::Event::Kind::hidden &&
                event.rect == quorvel::testing::WindowRect{100, 100, 400, 300})
                return true;
        }
        return false;
    })) << "the panel stayed";
    // The expiry re-runs the decision for the application still in front.
    EXPECT_TRUE(runLoopUntil([&] { return panelCovers(editorCover); }));
}

TEST_F(QuorvelMacAppTest, MissingPermissionReleasesEvenAMatchingTarget) {
    accessibility->trusted = false;
    startApp();
    lockEditor();
    x11.setActive(editor->id());
    ASSERT_TRUE(decidedOnTheFront());
    EXPECT_TRUE(noPanel());
    EXPECT_FALSE(app->blockedProcessIdentifier());
    accessibility->trusted = true;
    app->reevaluateFrontmostApplication();
    EXPECT_TRUE(runLoopUntil([&] { return panelCovers(editorCover); }));
}

TEST_F(QuorvelMacAppTest, ClearedOverlayClosesThePanel) {
    startApp();
    lockEditor();
    x11.setActive(editor->id());
    ASSERT_TRUE(runLoopUntil([&] { return panelCovers(editorCover); }));
    app->model().setOverlay(std::nullopt);
    EXPECT_TRUE(runLoopUntil([&] { return noPanel(); }));
}

TEST_F(QuorvelMacAppTest, NothingInFrontClosesThePanel) {
    startApp();
    lockEditor();
    x11.setActive(editor->id());
    ASSERT_TRUE(runLoopUntil([&] { return panelCovers(editorCover); }));
    x11.setActive(XCB_WINDOW_NONE);
    EXPECT_TRUE(runLoopUntil([&] { return noPanel() && !app->blockedProcessIdentifier(); }));
}

// The panel's button runs a callback that the request itself replaces (the overlay's change
// shows the panel again with a new one): the request must still go out for the locked target,
// whole, and the panel must follow it.
TEST_F(QuorvelMacAppTest, ThePanelsButtonRequestsAnUnlockForTheLockedTarget) {
    const auto phoneKey = P256KeyAgreementPrivateKey::generate();
    MacLinkConfiguration link;
    link.backendBaseURL = "https://backend.invalid";
    link.macDeviceId = "mac-device-1";
    link.iosDeviceId = "ios-device-1";
    link.iosSigningPublicKeyBase64 =
        base64Encode(P256SigningPrivateKey::generate().publicKey().rawRepresentation());
    link.iosEncryptionPublicKeyBase64 = base64Encode(phoneKey.publicKey().rawRepresentation());
    MacLinkConfigurationStore::save(link);
    startApp();
    lockEditor();
    x11.setActive(editor->id());
    ASSERT_TRUE(runLoopUntil([&] { return panelCovers(editorCover); }));

    app->overlayController().panel()->view()->unlockButton()->click();

    const std::string id = "mac-app:org.example.Editor";
    ASSERT_TRUE(app->model().overlay());
    EXPECT_EQ(app->model().overlay()->target.id, id);
    EXPECT_EQ(app->model().overlay()->status, Status::requesting());
    ASSERT_FALSE(app->model().recentUnlocks().empty());
    EXPECT_EQ(app->model().recentUnlocks()[0].targetName, "Editor");
    ASSERT_TRUE(runLoopUntil([] { return !BLELocalBridgeStore::loadPendingRequests().empty(); }));
    const auto request = BLELocalBridgeStore::loadPendingRequests().front();
    const auto context = UnlockContextCrypto::decrypt(*request.message.encryptedContext, phoneKey,
                                                      request.requestId);
    EXPECT_EQ(context.targetLocalId, id);
    EXPECT_EQ(context.targetDisplayName, "Editor");
    EXPECT_EQ(app->overlayController().panel()->view()->state(), app->model().overlay());
}

TEST_F(QuorvelMacAppTest, RelaxationConfigurationFollowsTheModel) {
    startApp();
    EXPECT_EQ(app->relaxationProtection().configuration(),
              app->model().settingsRelaxationConfiguration());
    EXPECT_EQ(app->menuBarIconState(), PellorimMenuBarIcon::State::attention) << "not paired yet";
}

// The colour of the glyph in the tray's pixels, as the tray would take them: the top of its ring
// (the halo only lines its edges).
QColor trayInk(const QuorvelMacApp& app) {
    return app.trayIcon()->icon().pixmap(QSize(22, 22)).toImage().pixelColor(11, 3);
}

TEST_F(QuorvelMacAppTest, TrayPixelsAreInThePanelsTextColourAndTheNameStaysSymbolic) {
    testkit::TrayManagerStandIn panel(testkit::TrayManagerStandIn::colours(0xf6, 0xf5, 0xf4));
    startApp(true);
    ASSERT_NE(app->trayIcon(), nullptr);
    EXPECT_EQ(app->trayIcon()->icon().name(), "app.quorvel.mac-attention-symbolic");
    EXPECT_EQ(trayInk(*app), QColor(0xf6, 0xf5, 0xf4));

    // The panel changes its colours (a dark theme chosen): the tray item follows.
    panel.setColours(testkit::TrayManagerStandIn::colours(0x24, 0x1f, 0x31));
    EXPECT_TRUE(testkit::runLoopUntil([&] { return trayInk(*app) == QColor(0x24, 0x1f, 0x31); }));

    // A panel that gives no colours: the palette's text colour.
    panel.removeColours();
    EXPECT_TRUE(testkit::runLoopUntil(
        [&] { return trayInk(*app) == qGuiApp->palette().color(QPalette::WindowText); }));
    EXPECT_EQ(app->trayIcon()->icon().name(), "app.quorvel.mac-attention-symbolic");
}

TEST_F(QuorvelMacAppTest, WithoutATrayManagerTheTrayPixelsAreInThePalettesTextColour) {
    startApp(true);
    ASSERT_NE(app->trayIcon(), nullptr);
    EXPECT_EQ(trayInk(*app), qGuiApp->palette().color(QPalette::WindowText));
    EXPECT_EQ(app->panelTextColour(), qGuiApp->palette().color(QPalette::WindowText));
}

}  // namespace
}  // namespace quorvel
