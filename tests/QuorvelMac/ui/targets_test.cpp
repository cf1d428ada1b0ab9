#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>

#include "QuorvelMac/ui/kit/card.hpp"
#include "QuorvelMac/ui/kit/status_pill.hpp"
#include "QuorvelMac/ui/targets/application_target_card.hpp"
#include "QuorvelMac/ui/targets/targets_pane.hpp"
#include "ui_fixture.hpp"

namespace quorvel::ui {
namespace {

using testing::appTarget;
using testing::labelTexts;
using testing::settle;

class TargetsTest : public testing::UiTest {
protected:
    MacLockTarget web(const std::string& id, const std::string& domain, bool enabled) {
        MacLockTarget target;
        target.id = id;
        target.kind = MacLockTarget::Kind::webDomain;
        target.displayName = domain;
        target.identifier = domain;
        target.enabled = enabled;
        return target;
    }

    std::unique_ptr<MacAppModel> modelWith(std::vector<MacLockTarget> targets) {
        auto model = makeUiModel();
        model->setTargets(targets);
        return model;
    }

    std::vector<std::string> ids(const MacAppModel& model) {
        std::vector<std::string> result;
        for (const auto& target : model.targets()) {
            result.push_back(target.id);
        }
        return result;
    }
};

TEST_F(TargetsTest, EmptyStateWarningAndNoWebSection) {
    auto model = modelWith({});
    TargetsPane pane(*model, controller, services);
    EXPECT_FALSE(pane.accessibilityWarning()->isHidden());
    ASSERT_NE(pane.emptyState(), nullptr);
    EXPECT_EQ(pane.note(), nullptr);
    EXPECT_TRUE(pane.cards().empty());
    EXPECT_TRUE(pane.webSection()->isHidden());

    accessibility->trusted = true;
    model->refreshAccessibilityPermission(false);
    EXPECT_TRUE(pane.accessibilityWarning()->isHidden());
}

TEST_F(TargetsTest, WebSectionRules) {
    auto model = modelWith({web("w1", "example.com", false)});
    TargetsPane pane(*model, controller, services);
    // A web target is not an application target.
    EXPECT_NE(pane.emptyState(), nullptr);
    EXPECT_FALSE(pane.webSection()->isHidden());
    EXPECT_EQ(labelTexts(*pane.webSection(), "domain"), std::vector<std::string>{"example.com"});
    const auto pills = pane.webSection()->findChildren<StatusPill*>();
    ASSERT_EQ(pills.size(), 1);
    EXPECT_EQ(pills[0]->text(), "無効");
    EXPECT_EQ(pills[0]->tone(), Tone::neutral);
    EXPECT_TRUE(pane.webSection()->findChildren<QPushButton*>().isEmpty());
    EXPECT_TRUE(pane.webSection()->findChildren<QCheckBox*>().isEmpty());
}

TEST_F(TargetsTest, SyncErrorHasItsPrefix) {
    auto model = modelWith({});
    TargetsPane pane(*model, controller, services);
    EXPECT_TRUE(pane.syncError()->isHidden());
    model->setTargetSyncError(std::string("復号できません"));
    EXPECT_FALSE(pane.syncError()->isHidden());
    EXPECT_EQ(pane.syncError()->text(), "iPhoneとの同期エラー: 復号できません");
    model->setTargetSyncError(std::nullopt);
    EXPECT_TRUE(pane.syncError()->isHidden());
}

TEST_F(TargetsTest, AddingGoesThroughThePicker) {
    auto model = modelWith({});
    TargetsPane pane(*model, controller, services);
    pickerAnswers.push_back(
        {{"org.gnome.Calculator", "電卓", "/usr/share/applications/org.gnome.Calculator.desktop"}});
    pane.addButton()->click();
    settle();
    ASSERT_EQ(pane.cards().size(), 1u);
    EXPECT_EQ(pane.cards()[0]->nameLabel()->text(), "電卓");
    ASSERT_NE(pane.note(), nullptr);
    EXPECT_EQ(pane.selectionMessage()->text(), "1件のアプリを追加しました。");
    // A cancelled picker changes nothing.
    pane.addButton()->click();
    settle();
    EXPECT_EQ(pane.cards().size(), 1u);
    EXPECT_EQ(pickerRuns, 2);
}

TEST_F(TargetsTest, RemovalBehindTheChallengeWhileProtected) {
    auto model = modelWith({appTarget("org.gnome.Calculator", "電卓")});
    protect(true);
    TargetsPane pane(*model, controller, services);
    ASSERT_EQ(pane.cards().size(), 1u);
    pane.cards()[0]->moreButton()->menu()->findChild<QAction*>("remove")->trigger();
    ASSERT_TRUE(pane.targetPendingRemoval().has_value());
    ASSERT_NE(pane.removalDialog(), nullptr);
    EXPECT_EQ(pane.removalDialog()->text(), "このアプリをロック対象から外しますか？");
    QPushButton* remove = pane.removalDialog()->findChild<QPushButton*>("remove");
    ASSERT_NE(remove, nullptr);
    EXPECT_EQ(remove->text(), "電卓を外す");
    remove->click();
    settle();
    EXPECT_FALSE(pane.targetPendingRemoval().has_value());
    // Held back: still in the list, a challenge waits.
    EXPECT_EQ(ids(*model), std::vector<std::string>{"mac-app:org.gnome.Calculator"});
    ASSERT_TRUE(controller.pendingChallenge().has_value());
    EXPECT_EQ(controller.pendingChallenge()->title, "ロック対象");
    EXPECT_EQ(controller.pendingChallenge()->changeDescription, "電卓を外す");
    EXPECT_EQ(controller.pendingChallenge()->code.size(), 16u);

    // Cancelling drops the change; confirming a new one applies it.
    controller.setPendingChallenge(std::nullopt);
    EXPECT_EQ(ids(*model).size(), 1u);
    pane.askRemoval(model->targets()[0]);
    pane.confirmRemoval();
    const std::string code = controller.pendingChallenge()->code;
    EXPECT_TRUE(controller.confirm(code));
    settle();
    EXPECT_TRUE(ids(*model).empty());
    EXPECT_TRUE(controller.isEditingSessionActive());
}

TEST_F(TargetsTest, RemovalAtOnceWithoutProtectionOrInASession) {
    for (const bool session : {false, true}) {
        auto model = modelWith({appTarget("org.gnome.Calculator", "電卓")});
        protect(session);
        controller.setEditingSessionActive(session);
        TargetsPane pane(*model, controller, services);
        pane.askRemoval(model->targets()[0]);
        pane.confirmRemoval();
        settle();
        EXPECT_TRUE(ids(*model).empty()) << session;
        EXPECT_FALSE(controller.pendingChallenge().has_value());
    }
}

TEST_F(TargetsTest, CancelledDialogRemovesNothing) {
    auto model = modelWith({appTarget("org.gnome.Calculator", "電卓")});
    TargetsPane pane(*model, controller, services);
    pane.askRemoval(model->targets()[0]);
    pane.removalDialog()->findChild<QPushButton*>("cancel")->click();
    settle();
    EXPECT_FALSE(pane.targetPendingRemoval().has_value());
    EXPECT_EQ(ids(*model).size(), 1u);
}

TEST_F(TargetsTest, CardStatusAndControls) {
    MacLockTarget off = appTarget("org.gnome.Totem", "動画");
    off.enabled = false;
    auto model = modelWith({appTarget("org.gnome.Calculator", "電卓"), off});
    TargetsPane pane(*model, controller, services);
    const auto cards = pane.cards();
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(cards[0]->statusPill()->text(), "ロック中");
    EXPECT_EQ(cards[0]->statusPill()->tone(), Tone::warning);
    EXPECT_EQ(cards[0]->statusPill()->systemImage(), QString("lock.fill"));
    EXPECT_TRUE(cards[0]->unlockButton()->isEnabled());
    EXPECT_TRUE(cards[0]->lockSwitch()->isChecked());
    EXPECT_EQ(cards[1]->statusPill()->text(), "ロック無効");
    EXPECT_EQ(cards[1]->statusPill()->systemImage(), QString("pause.circle"));
    EXPECT_FALSE(cards[1]->unlockButton()->isEnabled());
    EXPECT_FALSE(cards[1]->lockSwitch()->isChecked());
}

TEST_F(TargetsTest, SwitchingOffIsGatedSwitchingOnIsNot) {
    MacLockTarget off = appTarget("org.gnome.Totem", "動画");
    off.enabled = false;
    auto model = modelWith({appTarget("org.gnome.Calculator", "電卓"), off});
    protect(true);
    TargetsPane pane(*model, controller, services);

    pane.cards()[1]->lockSwitch()->click();  // on: never a code
    settle();
    EXPECT_TRUE(model->targets()[1].enabled);
    EXPECT_FALSE(controller.pendingChallenge().has_value());

    ApplicationTargetCard* card = pane.cards()[0];
    card->lockSwitch()->click();  // off: held back, the switch shows the model's "on"
    EXPECT_TRUE(model->targets()[0].enabled);
    EXPECT_TRUE(card->lockSwitch()->isChecked());
    ASSERT_TRUE(controller.pendingChallenge().has_value());
    EXPECT_EQ(controller.pendingChallenge()->changeDescription, "電卓のロックを無効にする");
    EXPECT_TRUE(controller.confirm(controller.pendingChallenge()->code));
    settle();
    EXPECT_FALSE(model->targets()[0].enabled);

    // In the session the next switch-off applies at once.
    pane.cards()[1]->lockSwitch()->click();
    settle();
    EXPECT_FALSE(model->targets()[1].enabled);
    EXPECT_FALSE(controller.pendingChallenge().has_value());
}

TEST_F(TargetsTest, ListChangesAreSavedWhileShown) {
    auto model = modelWith({appTarget("org.gnome.Calculator", "電卓")});
    TargetsPane pane(*model, controller, services);
    pane.show();
    settle();
    std::filesystem::remove(stateFile("mac-targets.json"));
    model->setMacAppTargetEnabled("mac-app:org.gnome.Calculator", false);
    settle();
    EXPECT_TRUE(std::filesystem::exists(stateFile("mac-targets.json")));
}

}  // namespace
}  // namespace quorvel::ui
