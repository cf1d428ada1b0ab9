#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPushButton>

#include "QuorvelMac/ui/kit/status_pill.hpp"
#include "QuorvelMac/ui/menu/tray_menu.hpp"
#include "QuorvelMac/ui/navigation/sidebar_selection.hpp"
#include "QuorvelMac/ui/overview/overview_pane.hpp"
#include "QuorvelMac/ui/panes/chrome_pane.hpp"
#include "QuorvelMac/ui/panes/pairing_pane.hpp"
#include "QuorvelMac/ui/qr/pairing_qr_panel.hpp"
#include "QuorvelMac/ui/relaxation/relaxation_views.hpp"
#include "QuorvelMac/ui/settings/settings_window.hpp"
#include "QuorvelMac/ui/user_interface.hpp"
#include "QuorvelMac/ui/window/main_window.hpp"
#include "ui_fixture.hpp"

namespace quorvel::ui {
namespace {

using testing::appTarget;
using testing::settle;

class WindowsTest : public testing::UiTest {};

std::vector<std::string> actionTexts(const QMenu& menu) {
    std::vector<std::string> texts;
    for (const QAction* action : menu.actions()) {
        texts.push_back(action->isSeparator() ? "-" : action->text().toStdString());
    }
    return texts;
}

TEST_F(WindowsTest, MainWindowSelectionAndPanes) {
    auto model = makeUiModel();
    MainWindow window(*model, controller, services);
    EXPECT_EQ(window.selection().value(), SidebarItem::overview);
    EXPECT_EQ(window.shownPane(), window.pane(SidebarItem::overview));
    window.selection().set(std::nullopt);  // no selection still shows the overview
    EXPECT_EQ(window.shownPane(), window.pane(SidebarItem::overview));
    EXPECT_EQ(window.sidebar()->currentRow(), -1);
    window.sidebar()->setCurrentRow(3);
    EXPECT_EQ(window.selection().value(), SidebarItem::pairing);
    EXPECT_EQ(window.shownPane(), window.pane(SidebarItem::pairing));
    EXPECT_EQ(window.windowTitle(), "ペアリング");
    window.selection().set(SidebarItem::targets);
    EXPECT_EQ(window.sidebar()->currentRow(), 1);
}

TEST_F(WindowsTest, SidebarWarnings) {
    auto model = makeUiModel();
    MainWindow window(*model, controller, services);
    EXPECT_FALSE(window.sidebarShowsWarning(SidebarItem::overview));
    EXPECT_TRUE(window.sidebarShowsWarning(SidebarItem::targets));
    // A browser that never connected is no warning; only a failed manifest is.
    EXPECT_FALSE(window.sidebarShowsWarning(SidebarItem::chrome));
    EXPECT_TRUE(window.sidebarShowsWarning(SidebarItem::pairing));
    accessibility->trusted = true;
    model->refreshAccessibilityPermission(false);
    EXPECT_FALSE(window.sidebarShowsWarning(SidebarItem::targets));

    auto demo = makeUiModel(true);  // paired and "connected"
    MainWindow all(*demo, controller, services);
    EXPECT_FALSE(all.sidebarShowsWarning(SidebarItem::pairing));
}

TEST_F(WindowsTest, BannerFollowsTheSessionAndClosingEndsIt) {
    auto model = makeUiModel();
    MainWindow window(*model, controller, services);
    window.show();
    settle();
    EXPECT_TRUE(window.banner()->isHidden());
    controller.updateConfiguration({true, 16});
    controller.setEditingSessionActive(true);
    EXPECT_FALSE(window.banner()->isHidden());
    window.selection().set(SidebarItem::chrome);
    EXPECT_FALSE(window.banner()->isHidden());
    window.close();
    EXPECT_FALSE(controller.isEditingSessionActive());
    window.show();
    EXPECT_TRUE(window.banner()->isHidden());
}

TEST_F(WindowsTest, SheetFollowsThePendingChallenge) {
    auto model = makeUiModel();
    model->setTargets({appTarget("org.gnome.Calculator", "電卓")});
    controller.updateConfiguration({true, 16});
    MainWindow window(*model, controller, services);
    window.show();
    settle();
    EXPECT_EQ(window.sheet(), nullptr);
    int applied = 0;
    controller.setPendingChallenge(PendingMacSettingsRelaxationChallenge::make(
        "ロック対象", "電卓を外す", 16, [&applied] { ++applied; }));
    ASSERT_NE(window.sheet(), nullptr);
    EXPECT_TRUE(window.sheet()->isVisible());
    window.sheet()->cancelButton()->click();
    settle();
    EXPECT_EQ(window.sheet(), nullptr);
    EXPECT_FALSE(controller.pendingChallenge().has_value());
    EXPECT_EQ(applied, 0);

    // Cleared elsewhere: the sheet goes too.
    controller.setPendingChallenge(PendingMacSettingsRelaxationChallenge::make(
        "ロック対象", "電卓を外す", 16, [&applied] { ++applied; }));
    ASSERT_NE(window.sheet(), nullptr);
    controller.setPendingChallenge(std::nullopt);
    settle();
    EXPECT_EQ(window.sheet(), nullptr);
}

TEST_F(WindowsTest, MenuWhenSetupIsIncomplete) {
    auto model = makeUiModel();
    model->setTargets({appTarget("org.gnome.Calculator", "電卓")});
    int opened = 0, settingsOpened = 0;
    TrayMenu menu(
        *model, services, [&] { ++opened; }, [&] { ++settingsOpened; });
    EXPECT_EQ(actionTexts(menu),
              (std::vector<std::string>{"セットアップが完了していません", "-", "解除を申請", "-",
                                        "Pellorimを開く", "設定…", "-", "終了"}));
    menu.actions()[0]->trigger();
    EXPECT_EQ(opened, 1);
    menu.actions()[5]->trigger();
    EXPECT_EQ(settingsOpened, 1);
    menu.actions()[7]->trigger();
    EXPECT_EQ(quits, 1);
}

TEST_F(WindowsTest, MenuSummaryUnlockedLinesAndRequests) {
    auto model = makeUiModel(true);  // 3 applications, "動画" unlocked for 755 s
    TrayMenu menu(
        *model, services, [] {}, [] {});
    EXPECT_EQ(actionTexts(menu), (std::vector<std::string>{
                                     "2個のアプリをロック中", "動画 解除中・残り12:35", "-",
                                     "解除を申請", "-", "Pellorimを開く", "設定…", "-", "終了"}));
    EXPECT_EQ(
        actionTexts(*menu.requestMenu()),
        (std::vector<std::string>{"メールの解除を申請", "動画（解除中）", "チャットの解除を申請"}));
    EXPECT_FALSE(menu.requestMenu()->actions()[1]->isEnabled());
    menu.requestMenu()->actions()[0]->trigger();
    ASSERT_FALSE(model->recentUnlocks().empty());
    EXPECT_EQ(model->recentUnlocks().front().targetName, "メール");

    // The window ends: counted as locked again, and requestable.
    clock->advance(755);
    menu.redraw(clock->now());
    EXPECT_EQ(menu.actions()[0]->text(), "3個のアプリをロック中");
    EXPECT_EQ(menu.requestMenu()->actions()[1]->text(), "動画の解除を申請");
}

// Nothing in the model changes while an allow window runs down: the menu draws its times anew
// each time it opens, not only when the model signals.
TEST_F(WindowsTest, MenuShowsTheTimeLeftWhenItOpens) {
    auto model = makeUiModel(true);  // "動画" unlocked for 755 s
    TrayMenu menu(
        *model, services, [] {}, [] {});
    ASSERT_EQ(menu.actions()[1]->text(), "動画 解除中・残り12:35");

    clock->advance(60);
    menu.popup(QPoint(0, 0));
    EXPECT_EQ(menu.actions()[1]->text(), "動画 解除中・残り11:35");
    menu.hide();

    // Opened again after the window ended: counted as locked, and requestable.
    clock->advance(695);
    menu.popup(QPoint(0, 0));
    EXPECT_EQ(actionTexts(menu),
              (std::vector<std::string>{"3個のアプリをロック中", "-", "解除を申請", "-",
                                        "Pellorimを開く", "設定…", "-", "終了"}));
    EXPECT_EQ(menu.requestMenu()->actions()[1]->text(), "動画の解除を申請");
    menu.hide();
}

// A redraw may come from the handler of one of the menu's own items (its work changes what the
// menu shows): the item lives until its handler is done, and the old items and request submenu
// are let go on the next turn of the loop rather than piling up.
TEST_F(WindowsTest, MenuRedrawLetsGoOfTheOldItemsOnTheNextTurn) {
    auto model = makeUiModel(true);
    std::function<void()> onOpen;
    TrayMenu menu(
        *model, services, [&] { onOpen(); }, [] {});
    QPointer<QAction> open = menu.actions()[5];
    ASSERT_EQ(open->text(), "Pellorimを開く");
    QPointer<QMenu> oldRequests = menu.requestMenu();
    bool stillThere = false;
    onOpen = [&] {
        menu.redraw(clock->now());
        stillThere = !open.isNull();
    };
    open->trigger();
    EXPECT_TRUE(stillThere) << "the item was deleted inside its own handler";
    settle();
    EXPECT_TRUE(open.isNull());
    EXPECT_TRUE(oldRequests.isNull());
    EXPECT_EQ(menu.findChildren<QMenu*>().size(), 1u) << "old request submenus pile up";
    EXPECT_EQ(menu.actions()[5]->text(), "Pellorimを開く");
}

TEST_F(WindowsTest, MenuListsAtMostEightAndSkipsWebAndDisabled) {
    auto model = makeUiModel(true);
    std::vector<MacLockTarget> targets;
    for (int i = 1; i <= 9; ++i) {
        targets.push_back(
            appTarget("org.example.App" + std::to_string(i), "アプリ" + std::to_string(i)));
    }
    MacLockTarget disabled = appTarget("org.example.Off", "無効アプリ");
    disabled.enabled = false;
    targets.insert(targets.begin(), disabled);
    MacLockTarget web;
    web.id = "web-example";
    web.kind = MacLockTarget::Kind::webDomain;
    web.displayName = "example.com";
    web.identifier = "example.com";
    targets.insert(targets.begin(), web);
    model->setTargets(targets);
    TrayMenu menu(
        *model, services, [] {}, [] {});
    EXPECT_EQ(menu.actions()[0]->text(), "9個のアプリをロック中");
    const auto items = actionTexts(*menu.requestMenu());
    ASSERT_EQ(items.size(), 8u);
    EXPECT_EQ(items.front(), "アプリ1の解除を申請");
    EXPECT_EQ(items.back(), "アプリ8の解除を申請");
}

TEST_F(WindowsTest, MenuWithoutEnabledTargets) {
    auto model = makeUiModel(true);
    model->setTargets({});
    TrayMenu menu(
        *model, services, [] {}, [] {});
    EXPECT_EQ(actionTexts(menu),
              (std::vector<std::string>{"ロック中のアプリはありません", "-", "-", "Pellorimを開く",
                                        "設定…", "-", "終了"}));
    EXPECT_EQ(menu.requestMenu(), nullptr);
}

TEST_F(WindowsTest, SettingsSwitchMirrorsTheRealAutostartEntry) {
    auto model = makeUiModel();
    SettingsWindow settings(*model, services);
    settings.show();
    const auto entry = home.configHome() / "autostart" / "app.quorvel.mac.desktop";
    EXPECT_FALSE(settings.loginItemSwitch()->isChecked());
    settings.loginItemSwitch()->click();
    EXPECT_TRUE(std::filesystem::exists(entry));
    EXPECT_TRUE(settings.loginItemSwitch()->isChecked());
    EXPECT_TRUE(settings.errorLabel()->isHidden());

    // Removed behind the application's back: the next showing reads the truth.
    settings.hide();
    std::filesystem::remove(entry);
    settings.show();
    EXPECT_FALSE(settings.loginItemSwitch()->isChecked());

    const auto buttons = settings.linkButtons();
    ASSERT_EQ(buttons.size(), 5u);
    EXPECT_EQ(buttons[0]->text(), "プロダクト詳細");
    buttons[4]->click();
    ASSERT_EQ(openedUrls.size(), 1u);
    EXPECT_EQ(openedUrls[0].scheme(), "https");
    EXPECT_EQ(openedUrls[0].path(), "/products/quorvel/terms/");
}

TEST_F(WindowsTest, SettingsShowsAFailureInRed) {
    // An autostart folder that cannot be made: a file stands where the folder would be.
    std::filesystem::create_directories(home.configHome());
    testkit::writeFile(home.configHome() / "autostart", "not a folder");
    auto model = makeUiModel();
    SettingsWindow settings(*model, services);
    settings.show();
    settings.loginItemSwitch()->click();
    EXPECT_FALSE(settings.loginItemSwitch()->isChecked());
    EXPECT_FALSE(settings.errorLabel()->isHidden());
    EXPECT_FALSE(settings.errorLabel()->text().isEmpty());
    std::filesystem::remove(home.configHome() / "autostart");
    settings.loginItemSwitch()->click();
    EXPECT_TRUE(settings.loginItemSwitch()->isChecked());
    EXPECT_TRUE(settings.errorLabel()->isHidden());
}

TEST_F(WindowsTest, SettingsSwitchStaysOffWhileApprovalIsPending) {
    struct AwaitingApproval final : LoginItem {
        bool registered = false;
        Status status() override {
            return registered ? Status::requiresApproval : Status::notRegistered;
        }
        void registerItem() override { registered = true; }
        void unregisterItem() override { registered = false; }
    };
    MacAppModel::Dependencies deps = dependencies();
    deps.clock = clock;
    deps.loginItem = std::make_shared<AwaitingApproval>();
    MacAppModel model(std::move(deps));
    SettingsWindow settings(model, services);
    settings.show();
    settings.loginItemSwitch()->click();
    EXPECT_FALSE(settings.loginItemSwitch()->isChecked());
    EXPECT_TRUE(settings.errorLabel()->isHidden());
}

TEST_F(WindowsTest, UserInterfaceWiresMenuAndWindows) {
    auto model = makeUiModel(true);
    UserInterface views(services);
    int opened = 0;
    std::unique_ptr<QMenu> menu(views.makeTrayMenu(*model, [&] { ++opened; }));
    std::unique_ptr<QWidget> window(views.makeMainWindow(*model, controller));
    ASSERT_NE(window, nullptr);
    for (QAction* action : menu->actions()) {
        if (action->text() == "設定…") {
            action->trigger();
        }
    }
    ASSERT_NE(views.settingsWindow(), nullptr);
    EXPECT_TRUE(views.settingsWindow()->isVisible());
}

class PaneTest : public testing::UiTest {};

TEST_F(PaneTest, ChromePaneStates) {
    auto model = makeUiModel();
    ChromePane pane(*model);
    EXPECT_EQ(pane.connectionPill()->text(), "未接続");
    EXPECT_EQ(pane.connectionPill()->tone(), Tone::warning);
    EXPECT_EQ(pane.summaryLabel()->text(), "Chrome拡張とMacアプリは未接続");
    pane.render({true, "Chrome拡張とMacアプリは接続済み",
                 "Chromeから解除申請を受け取れる状態です。", true, std::string("書き込めません")});
    EXPECT_EQ(pane.connectionPill()->text(), "接続済み");
    EXPECT_EQ(pane.nativeHostPill()->text(), "準備済み");
    // Installed and an earlier error: both shown.
    EXPECT_FALSE(pane.errorLabel()->isHidden());
    EXPECT_EQ(pane.errorLabel()->text(), "書き込めません");
}

TEST_F(PaneTest, PairingPaneStates) {
    auto model = makeUiModel();
    PairingPane pane(*model);
    // No registration, no offer.
    EXPECT_EQ(pane.statusPill()->text(), "未ペアリング");
    EXPECT_EQ(pane.statusPill()->tone(), Tone::neutral);
    EXPECT_EQ(pane.pairingButton()->text(), "ペアリング開始");
    EXPECT_FALSE(pane.refreshButton()->isEnabled());
    EXPECT_EQ(pane.heading()->text(), "iPhoneで読み取る");
    EXPECT_EQ(pane.shownRows(),
              (std::vector<PairingInfoRow>{{"iPhone", "未登録"},
                                           {"登録状態", "未ペアリング"},
                                           {"Bluetooth接続", "iPhone接続状態を確認できません"}}));

    PairingState pending;
    pending.sessionId = "S1";
    pending.code = "482913";
    pending.qrURL = "quorvel://pair?session=S1&code=482913";
    pending.expiresAt = clock->now().addingSeconds(300);
    pending.status = PairingState::Status::pending;
    pane.render(pending, {BluetoothLinkState::advertising, "iPhoneを待っています"});
    EXPECT_EQ(pane.statusPill()->text(), "iPhoneの承認待ち");
    EXPECT_EQ(pane.statusPill()->systemImage(), QString("clock.fill"));
    EXPECT_EQ(pane.pairingButton()->text(), "コードを作り直す");
    EXPECT_TRUE(pane.refreshButton()->isEnabled());
    EXPECT_EQ(pane.bluetoothPill()->text(), "iPhoneと未接続");
    const auto rows = pane.shownRows();
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[3], (PairingInfoRow{"コード状態", "iPhoneの承認待ち"}));
    EXPECT_EQ(rows[4].title, "コード期限");

    PairingState expired = pending;
    expired.status = PairingState::Status::expired;
    expired.pairedIPhoneName = "IPHONE-1";
    pane.render(expired, {BluetoothLinkState::connected, std::nullopt});
    EXPECT_EQ(pane.statusPill()->text(), "iPhone登録あり");
    EXPECT_EQ(pane.statusPill()->tone(), Tone::positive);
    EXPECT_FALSE(pane.refreshButton()->isEnabled());
    EXPECT_EQ(pane.heading()->text(), "iPhoneとのペアリング");
    EXPECT_EQ(pane.instructions()->text(),
              "表示していたQRコードの期限が切れました。新しいコードを作ると再ペアリングできます。現"
              "在のペアリングはそのまま利用できます。");
    EXPECT_EQ(pane.shownRows()[3], (PairingInfoRow{"再設定", "再ペアリング期限切れ"}));

    PairingState approved;
    approved.sessionId = "S2";
    approved.status = PairingState::Status::approved;
    approved.error = std::string("Bluetoothペアリングを開始できませんでした: 失敗");
    pane.render(approved, {});
    EXPECT_EQ(pane.statusPill()->text(), "接続情報を更新中");
    EXPECT_EQ(pane.statusPill()->tone(), Tone::warning);
    EXPECT_EQ(pane.shownRows()[3], (PairingInfoRow{"コード状態", "承認済み"}));
    EXPECT_FALSE(pane.errorRow()->isHidden());
    EXPECT_EQ(pane.errorLabel()->text(), "Bluetoothペアリングを開始できませんでした: 失敗");
    approved.error.reset();
    pane.render(approved, {});
    EXPECT_TRUE(pane.errorRow()->isHidden());
}

TEST_F(PaneTest, QRPanelFaces) {
    PairingState state;
    EXPECT_EQ(PairingQRPanel::faceFor(state), PairingQRPanel::Face::placeholder);
    state.pairedIPhoneName = "IPHONE-1";
    EXPECT_EQ(PairingQRPanel::faceFor(state), PairingQRPanel::Face::paired);
    state.sessionId = "S";
    state.qrURL = "quorvel://pair?session=S&code=1";
    state.status = PairingState::Status::pending;
    EXPECT_EQ(PairingQRPanel::faceFor(state), PairingQRPanel::Face::code);
    state.status = PairingState::Status::expired;
    EXPECT_EQ(PairingQRPanel::faceFor(state), PairingQRPanel::Face::expired);

    int starts = 0;
    PairingQRPanel panel([&] { ++starts; });
    panel.render(state);
    const auto buttons = panel.findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 1);
    EXPECT_EQ(buttons[0]->text(), "新しいコードを作る");
    buttons[0]->click();
    EXPECT_EQ(starts, 1);

    state.status = PairingState::Status::pending;
    state.code.reset();
    panel.render(state);
    settle();
    EXPECT_EQ(panel.findChild<QLabel*>("pairingCode"), nullptr);
    state.code = "482913";
    panel.render(state);
    settle();
    ASSERT_NE(panel.findChild<QLabel*>("pairingCode"), nullptr);
    EXPECT_EQ(panel.findChild<QLabel*>("pairingCode")->text(), "482913");
}

}  // namespace
}  // namespace quorvel::ui
