// Texts that come from data (targets' names, failures) are shown as they stand: never read as
// markup, and a "&" in them never turns into a keyboard shortcut.
#include <QAbstractButton>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

#include "QuorvelMac/ui/menu/tray_menu.hpp"
#include "QuorvelMac/ui/relaxation/relaxation_views.hpp"
#include "QuorvelMac/ui/settings/settings_window.hpp"
#include "QuorvelMac/ui/targets/targets_pane.hpp"
#include "QuorvelMac/ui/window/main_window.hpp"
#include "ui_fixture.hpp"

namespace quorvel::ui {
namespace {

using testing::appTarget;

class DataTextsTest : public testing::UiTest {};

// The labels under `root` whose text holds markup of the test's data.
std::vector<const QLabel*> labelsWithMarkup(const QWidget& root) {
    std::vector<const QLabel*> found;
    for (const QLabel* label : root.findChildren<QLabel*>()) {
        if (label->text().contains("<b>") || label->text().contains("<i>"))
            found.push_back(label);
    }
    return found;
}

TEST_F(DataTextsTest, MarkupInNamesAndFailuresIsShownAsText) {
    struct FailingLoginItem final : LoginItem {
        Status status() override { return Status::notRegistered; }
        void registerItem() override { throw std::runtime_error("<i>autostart</i> failed"); }
        void unregisterItem() override {}
    };
    daemon->failure = "<b>QuorvelNativeHost</b> did not start";
    MacAppModel::Dependencies deps = dependencies();
    deps.clock = clock;
    deps.loginItem = std::make_shared<FailingLoginItem>();
    MacAppModel model(std::move(deps));
    model.setTargets({appTarget("org.example.Editor", "<b>Editor</b>")});
    model.setTargetSyncError("<i>out of step</i>");
    model.setLoginItemEnabled(true);
    ASSERT_TRUE(model.applicationSelectionMessage());
    ASSERT_TRUE(model.loginItemError());

    MainWindow window(model, controller, services);
    SettingsWindow settings(model, services);
    protect(true);
    controller.setPendingChallenge(PendingMacSettingsRelaxationChallenge::make(
        "ロック対象", "<b>Editor</b>を外す", 16, [] {}));
    SettingsRelaxationChallengeSheet sheet(controller);

    std::vector<const QLabel*> shown;
    for (const QWidget* root : std::initializer_list<const QWidget*>{&window, &settings, &sheet}) {
        const auto labels = labelsWithMarkup(*root);
        shown.insert(shown.end(), labels.begin(), labels.end());
    }
    // The name on the targets pane and the overview, the start failure, the sync failure, the
    // login item's failure, the challenge's change.
    EXPECT_GE(shown.size(), 5u);
    for (const QLabel* label : shown)
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->text().toStdString();
}

TEST_F(DataTextsTest, AmpersandInANameStaysInButtonsAndMenuItems) {
    auto model = makeUiModel(true);  // complete setup; "動画" unlocked
    auto targets = model->targets();
    for (auto& target : targets)
        target.displayName = "AT&T " + target.displayName;
    model->setTargets(targets);

    // Menu items: Qt's own reading of an action's text, mnemonics taken out.
    TrayMenu menu(
        *model, services, [] {}, [] {});
    std::vector<std::string> shown;
    for (const QMenu* part : std::initializer_list<const QMenu*>{&menu, menu.requestMenu()}) {
        for (const QAction* action : part->actions()) {
            if (!action->isSeparator())
                shown.push_back(action->iconText().toStdString());
        }
    }
    EXPECT_NE(std::find(shown.begin(), shown.end(), "AT&T 動画 解除中・残り12:35"), shown.end());
    EXPECT_NE(std::find(shown.begin(), shown.end(), "AT&T メールの解除を申請"), shown.end());
    EXPECT_NE(std::find(shown.begin(), shown.end(), "AT&T 動画（解除中）"), shown.end());

    // The removal dialog's button: no shortcut made of the name's letter.
    TargetsPane pane(*model, controller, services);
    pane.askRemoval(targets[0]);
    ASSERT_NE(pane.removalDialog(), nullptr);
    auto* remove = pane.removalDialog()->findChild<QPushButton*>("remove");
    ASSERT_NE(remove, nullptr);
    EXPECT_TRUE(remove->shortcut().isEmpty()) << remove->shortcut().toString().toStdString();
    EXPECT_EQ(remove->text(), QString::fromStdString("AT&&T " + std::string("メール") + "を外す"));
    pane.cancelRemoval();
}

}  // namespace
}  // namespace quorvel::ui
