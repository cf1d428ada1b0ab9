// Every face of the program as a person sees it, in the light and the dark scheme, at the scale
// the program was started with (CTest runs it at 1x and again at 2x): each pane of the main
// window at its default and its smallest size, the settings window, the challenge sheet, the
// application picker, the tray menu and the lock panel over small and large windows. Each picture
// is kept under the build folder and checked: no text cut or elided, nothing drawn over anything
// else, and every text at 4.5:1 or more against what is drawn behind it.
#include <gmock/gmock.h>

#include <QFontDatabase>
#include <QGuiApplication>
#include <QMenu>
#include <QPropertyAnimation>
#include <QScreen>
#include <QWindow>
#include <filesystem>
#include <fstream>

#include "QuorvelMac/shell/lock_overlay_view.hpp"
#include "QuorvelMac/shell/mac_application_icon_provider.hpp"
#include "QuorvelMac/shell/mac_application_picker.hpp"
#include "QuorvelMac/ui/menu/tray_menu.hpp"
#include "QuorvelMac/ui/navigation/sidebar_selection.hpp"
#include "QuorvelMac/ui/panes/pairing_pane.hpp"
#include "QuorvelMac/ui/relaxation/relaxation_views.hpp"
#include "QuorvelMac/ui/settings/settings_window.hpp"
#include "QuorvelMac/ui/window/main_window.hpp"
#include "artefacts.hpp"
#include "drawn_colours.hpp"
#include "schemes.hpp"
#include "testkit/qt_wait.hpp"
#include "text_fit.hpp"
#include "ui_fixture.hpp"

namespace quorvel::ui {
namespace {

using ::testing::IsEmpty;
using testing::Scheme;
using testing::SchemeScope;
using testing::settle;

// "", or "@2x" when the program runs at twice the scale.
QString scaleSuffix() {
    const qreal ratio = qApp->devicePixelRatio();
    return ratio > 1.0 ? QStringLiteral("@%1x").arg(ratio) : QString();
}

// Shows the window on the display, waits until the server has drawn it, and takes the screen's
// picture of it.
QImage screenshot(QWidget& window, const QString& fileName) {
    window.show();
    window.raise();
    testkit::runLoopUntil(
        [&] { return window.windowHandle() && window.windowHandle()->isExposed(); }, 30000);
    // Two more turns so that the last layout pass is painted.
    for (int i = 0; i < 5; ++i) {
        settle();
    }
    window.repaint();
    QApplication::processEvents();
    const QImage image = QGuiApplication::primaryScreen()->grabWindow(window.winId()).toImage();
    EXPECT_TRUE(image.save(testing::artefactPath(fileName + scaleSuffix() + ".png")))
        << fileName.toStdString();
    return image;
}

// Photographs the face as `name` in the scheme and checks what a person would see.
void expectSeenWhole(QWidget& window, const QString& name, const Scheme& scheme) {
    const QString file = name + "-" + QString::fromStdString(scheme.name);
    const QImage image = screenshot(window, file);
    const std::string face = file.toStdString() + scaleSuffix().toStdString();
    EXPECT_TRUE(testing::isNonBlank(image)) << face;
    EXPECT_THAT(testing::cutTexts(window), IsEmpty()) << face;
    EXPECT_THAT(testing::overlappingTexts(window), IsEmpty()) << face;
    EXPECT_THAT(testing::unreadableTexts(window, image), IsEmpty()) << face;
}

class ScreenshotTest : public testing::UiTest {
protected:
    // The main window's default size and the smallest the shell allows.
    static constexpr std::pair<QSize, const char*> windowSizes[] = {{{980, 700}, "default"},
                                                                    {{820, 560}, "smallest"}};
    static constexpr std::pair<SidebarItem, const char*> panes[] = {
        {SidebarItem::overview, "overview"},
        {SidebarItem::targets, "targets"},
        {SidebarItem::chrome, "chrome"},
        {SidebarItem::pairing, "pairing"},
    };

    void SetUp() override {
        testing::UiTest::SetUp();
        // Japanese text needs a CJK font on the display; without one every text is boxes.
        ASSERT_FALSE(QFontDatabase::families(QFontDatabase::Japanese).isEmpty());
    }

    // Every pane of the window at both sizes.
    void expectEveryPaneSeenWhole(MainWindow& window, const QString& model, const Scheme& scheme) {
        for (const auto& [size, sizeName] : windowSizes) {
            window.resize(size);
            for (const auto& [item, paneName] : panes) {
                window.selection().set(item);
                expectSeenWhole(
                    window, QStringLiteral("main-%1-%2-%3").arg(model, paneName, sizeName), scheme);
            }
        }
    }
};

TEST_F(ScreenshotTest, EveryPaneOfAMachineInUse) {
    for (const Scheme& scheme : testing::schemes()) {
        SchemeScope scope(scheme.palette);
        auto model = makeUiModel(true);
        model->setTargets([&] {
            auto targets = model->targets();
            MacLockTarget web;
            web.id = "web-video";
            web.kind = MacLockTarget::Kind::webDomain;
            web.displayName = "動画サイト";
            web.identifier = "video.example";
            targets.push_back(web);
            MacLockTarget off = targets.front();
            off.id = "switched-off";
            off.displayName = "無効にしたアプリ";
            off.enabled = false;
            targets.push_back(off);
            return targets;
        }());
        MainWindow window(*model, controller, services);
        // The menu button at the foot of the sidebar, as the program has it.
        TrayMenu actions(
            *model, services, [] {}, [] {});
        window.setActionsMenu(&actions);
        expectEveryPaneSeenWhole(window, "in-use", scheme);
    }
}

TEST_F(ScreenshotTest, EveryPaneOfAFreshMachine) {
    for (const Scheme& scheme : testing::schemes()) {
        SchemeScope scope(scheme.palette);
        auto model = makeUiModel();
        MainWindow window(*model, controller, services);
        expectEveryPaneSeenWhole(window, "fresh", scheme);
    }
}

TEST_F(ScreenshotTest, PairingOfferExpiryAndFailure) {
    PairingState failed;
    // Starting failed before an offer was made: the pane says why, in red.
    failed.error = "Bluetoothペアリングを開始できませんでした: キーチェーンを利用できません";
    const std::tuple<const char*, PairingState, BluetoothStatus> faces[] = {
        {"offer", pairingOffer(PairingState::Status::pending), {}},
        {"expired", pairingOffer(PairingState::Status::expired), {}},
        {"error", failed, {BluetoothLinkState::off, std::nullopt}},
    };
    for (const Scheme& scheme : testing::schemes()) {
        SchemeScope scope(scheme.palette);
        auto model = makeUiModel();
        MainWindow window(*model, controller, services);
        window.selection().set(SidebarItem::pairing);
        auto* pane = static_cast<PairingPane*>(window.pane(SidebarItem::pairing));
        for (const auto& [size, sizeName] : windowSizes) {
            window.resize(size);
            for (const auto& [name, pairing, bluetooth] : faces) {
                pane->render(pairing, bluetooth);
                expectSeenWhole(window, QStringLiteral("main-pairing-%1-%2").arg(name, sizeName),
                                scheme);
            }
        }
    }
}

TEST_F(ScreenshotTest, ChallengeSheetAndSessionBanner) {
    for (const Scheme& scheme : testing::schemes()) {
        SchemeScope scope(scheme.palette);
        auto model = makeUiModel(true);
        controller.updateConfiguration({true, 16});
        MainWindow window(*model, controller, services);
        window.resize(980, 700);
        window.selection().set(SidebarItem::targets);
        screenshot(window, "main-before-challenge-" + QString::fromStdString(scheme.name));
        controller.setPendingChallenge(
            PendingMacSettingsRelaxationChallenge::make("ロック対象", "メールを外す", 16, [] {}));
        ASSERT_NE(window.sheet(), nullptr);
        expectSeenWhole(*window.sheet(), "challenge-sheet", scheme);
        controller.confirm(controller.pendingChallenge()->code);
        expectSeenWhole(window, "main-session-banner", scheme);
        controller.setEditingSessionActive(false);
    }
}

TEST_F(ScreenshotTest, SettingsWindowAndTrayMenu) {
    for (const Scheme& scheme : testing::schemes()) {
        SchemeScope scope(scheme.palette);
        auto model = makeUiModel(true);
        TrayMenu menu(
            *model, services, [] {}, [] {});
        menu.popup(QPoint(100, 100));
        expectSeenWhole(menu, "tray-menu", scheme);
        menu.close();

        SettingsWindow settings(*model, services);
        // The window's own frame: 520 wide, as tall as its form.
        settings.setFixedWidth(520);
        settings.resize(520, settings.sizeHint().height());
        expectSeenWhole(settings, "settings", scheme);
    }
}

TEST_F(ScreenshotTest, ApplicationPicker) {
    // Entries with an icon of the theme, with an icon file that is not there and without one.
    const std::filesystem::path folder = home.root() / "applications";
    std::filesystem::create_directories(folder);
    const std::pair<const char*, const char*> entries[] = {
        {"editor.desktop",
         "Name=Text Editor\nName[ja]=テキストエディタ\nIcon=accessories-text-editor\n"},
        {"viewer.desktop", "Name=Viewer\nName[ja]=画像ビューアー\n"},
        {"long.desktop",
         "Name=Long\nName[ja]=とても長い名前のアプリケーション・プロフェッショナル版\nIcon=/"
         "nowhere/icon.png\n"},
        {"mail.desktop", "Name=Mail\nName[ja]=メール\nIcon=mail-send\n"},
    };
    for (const auto& [file, fields] : entries) {
        std::ofstream(folder / file) << "[Desktop Entry]\nType=Application\nExec=true\n" << fields;
    }
    desktop::DesktopEntryIndex index(std::vector<std::filesystem::path>{folder});
    for (const Scheme& scheme : testing::schemes()) {
        SchemeScope scope(scheme.palette);
        MacApplicationPickerDialog picker(index);
        expectSeenWhole(picker, "picker", scheme);
    }
}

TEST_F(ScreenshotTest, LockPanelFaces) {
    using Status = LockOverlayState::Status;
    const std::string longFailure =
        "iPhoneに解除申請が届いたことを確認できませんでした。iPhoneのPellorimを開いて、もう一度送っ"
        "て"
        "ください";
    // The window covered, in the screen's own pixels, and the target's name there.
    struct Window {
        QSize pixels;
        const char* name;
        const char* displayName;
        std::string failure;
    };
    const Window windows[] = {
        {{320, 240}, "small", "小さいウィンドウ", longFailure},
        {{1280, 800},
         "large",
         "とても長い名前のアプリケーション・プロフェッショナル版エディション",
         longFailure},
    };
    for (const Scheme& scheme : testing::schemes()) {
        SchemeScope scope(scheme.palette);
        for (const Window& covered : windows) {
            const std::pair<const char*, Status> faces[] = {
                {"locked", Status::locked()},
                {"confirming", Status::confirmingIPhoneDelivery()},
                {"waiting", Status::waitingForIPhone(Date{790'000'100})},
                {"failed", Status::failed(covered.failure)},
            };
            for (const auto& [faceName, status] : faces) {
                // A target without a desktop entry here: the generic "app" symbol, as the program
                // shows it.
                LockOverlayView panel([](const MacLockTarget&) {
                    return MacApplicationIconProvider::genericApplicationIcon();
                });
                panel.setState({testing::appTarget("com.example.app", covered.displayName), status},
                               [] {});
                panel.resize(covered.pixels / qApp->devicePixelRatio());
                // A new status fades in over 0.2 s, through an animation that goes once it has
                // run.
                ASSERT_TRUE(testkit::runLoopUntil(
                    [&] { return !panel.statusBlock()->findChild<QPropertyAnimation*>(); }));
                expectSeenWhole(
                    panel, QStringLiteral("lock-panel-%1-%2").arg(faceName, covered.name), scheme);
            }
        }
    }
}

}  // namespace
}  // namespace quorvel::ui
