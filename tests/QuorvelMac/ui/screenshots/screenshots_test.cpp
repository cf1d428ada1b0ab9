#include <QElapsedTimer>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QMenu>
#include <QPropertyAnimation>
#include <QScreen>
#include <QWindow>

#include "QuorvelMac/shell/lock_overlay_view.hpp"
#include "QuorvelMac/shell/mac_application_icon_provider.hpp"
#include "QuorvelMac/ui/menu/tray_menu.hpp"
#include "QuorvelMac/ui/navigation/sidebar_selection.hpp"
#include "QuorvelMac/ui/panes/pairing_pane.hpp"
#include "QuorvelMac/ui/relaxation/relaxation_views.hpp"
#include "QuorvelMac/ui/settings/settings_window.hpp"
#include "QuorvelMac/ui/window/main_window.hpp"
#include "artefacts.hpp"
#include "testkit/qt_wait.hpp"
#include "ui_fixture.hpp"

namespace quorvel::ui {
namespace {

using testing::settle;

// Shows the window on the display, waits until the server has drawn it, and takes the screen's
// picture of it.
QImage screenshot(QWidget& window, const QString& fileName) {
    window.show();
    window.raise();
    QElapsedTimer waited;
    waited.start();
    while (!(window.windowHandle() && window.windowHandle()->isExposed()) && waited.elapsed() < 30000) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    // Two more turns so that the last layout pass is painted.
    for (int i = 0; i < 5; ++i) {
        settle();
    }
    window.repaint();
    QApplication::processEvents();
    const QImage image =
        QGuiApplication::primaryScreen()->grabWindow(window.winId()).toImage();
    EXPECT_TRUE(image.save(testing::artefactPath(fileName))) << fileName.toStdString();
    return image;
}

class ScreenshotTest : public testing::UiTest {
protected:
    void SetUp() override {
        testing::UiTest::SetUp();
        // Japanese text needs a CJK font on the display; without one every text is boxes.
        ASSERT_FALSE(QFontDatabase::families(QFontDatabase::Japanese).isEmpty());
    }
};

TEST_F(ScreenshotTest, EveryPaneOfTheMainWindow) {
    auto model = makeUiModel(true);
    model->setTargets([&] {
        auto targets = model->targets();
        MacLockTarget web;
        web.id = "web-video";
        web.kind = MacLockTarget::Kind::webDomain;
        web.displayName = "動画サイト";
        web.identifier = "video.example";
        targets.push_back(web);
        return targets;
    }());
    MainWindow window(*model, controller, services);
    // The menu button at the foot of the sidebar, as the program has it.
    TrayMenu actions(*model, services, [] {}, [] {});
    window.setActionsMenu(&actions);
    window.resize(1000, 760);
    const std::pair<SidebarItem, const char*> panes[] = {
        {SidebarItem::overview, "main-overview.png"},
        {SidebarItem::targets, "main-targets.png"},
        {SidebarItem::chrome, "main-chrome.png"},
        {SidebarItem::pairing, "main-pairing.png"},
    };
    for (const auto& [item, file] : panes) {
        window.selection().set(item);
        EXPECT_TRUE(testing::isNonBlank(screenshot(window, file))) << file;
    }
}

TEST_F(ScreenshotTest, SetupChecklistAndPairingOffer) {
    auto model = makeUiModel();
    MainWindow window(*model, controller, services);
    window.resize(1000, 760);
    EXPECT_TRUE(testing::isNonBlank(screenshot(window, "main-checklist.png")));

    window.selection().set(SidebarItem::pairing);
    PairingState offer;
    offer.sessionId = "8F0A2C4E-6B1D-4E5F-9A7B-3C2D1E0F4A5B";
    offer.code = "482913";
    offer.qrURL = MacAppModel::localPairingQRCodeURL(*offer.sessionId, *offer.code);
    offer.expiresAt = clock->now().addingSeconds(300);
    offer.status = "pending";
    auto* pane = static_cast<PairingPane*>(window.pane(SidebarItem::pairing));
    pane->render(offer, std::nullopt);
    EXPECT_TRUE(testing::isNonBlank(screenshot(window, "main-pairing-offer.png")));

    PairingState expired = offer;
    expired.status = "expired";
    pane->render(expired, std::nullopt);
    EXPECT_TRUE(testing::isNonBlank(screenshot(window, "main-pairing-expired.png")));

    // Starting failed before an offer was made: the pane says why, in red.
    PairingState failed;
    failed.error = "Bluetoothペアリングを開始できませんでした: キーチェーンを利用できません";
    pane->render(failed, "bluetooth_off");
    EXPECT_TRUE(testing::isNonBlank(screenshot(window, "main-pairing-error.png")));
}

TEST_F(ScreenshotTest, ChallengeSheetAndSessionBanner) {
    auto model = makeUiModel(true);
    controller.updateConfiguration({true, 16});
    MainWindow window(*model, controller, services);
    window.resize(1000, 760);
    window.selection().set(SidebarItem::targets);
    screenshot(window, "main-before-challenge.png");
    controller.setPendingChallenge(PendingMacSettingsRelaxationChallenge::make(
        "ロック対象", "メールを外す", 16, [] {}));
    ASSERT_NE(window.sheet(), nullptr);
    EXPECT_TRUE(testing::isNonBlank(screenshot(*window.sheet(), "challenge-sheet.png")));
    controller.confirm(controller.pendingChallenge()->code);
    EXPECT_TRUE(testing::isNonBlank(screenshot(window, "main-session-banner.png")));
}

TEST_F(ScreenshotTest, MenuSettingsAndLockPanel) {
    auto model = makeUiModel(true);
    TrayMenu menu(*model, services, [] {}, [] {});
    menu.popup(QPoint(100, 100));
    EXPECT_TRUE(testing::isNonBlank(screenshot(menu, "tray-menu.png")));
    menu.close();

    SettingsWindow settings(*model, services);
    // The window's own frame: 520 wide, as tall as its form.
    settings.setFixedWidth(520);
    settings.resize(520, settings.sizeHint().height());
    EXPECT_TRUE(testing::isNonBlank(screenshot(settings, "settings.png")));

    // A target without a desktop entry here: the generic "app" symbol, as the program shows it.
    LockOverlayView panel(
        [](const MacLockTarget&) { return MacApplicationIconProvider::genericApplicationIcon(); });
    panel.setState({model->targets().front(), LockOverlayState::Status::locked()}, [] {});
    panel.resize(800, 520);
    // A new status fades in over 0.2 s, through an animation that goes once it has run.
    ASSERT_TRUE(testkit::runLoopUntil([&] { return !panel.statusBlock()->findChild<QPropertyAnimation*>(); }));
    EXPECT_TRUE(testing::isNonBlank(screenshot(panel, "lock-panel.png")));
}

}  // namespace
}  // namespace quorvel::ui
