#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "QuorvelMac/ui/kit/stat_tile.hpp"
#include "QuorvelMac/ui/kit/status_pill.hpp"
#include "QuorvelMac/ui/kit/theme.hpp"
#include "QuorvelMac/ui/kit/visible_ticker.hpp"
#include "QuorvelMac/ui/navigation/sidebar_selection.hpp"
#include "QuorvelMac/ui/overview/overview_dashboard.hpp"
#include "QuorvelMac/ui/overview/overview_pane.hpp"
#include "QuorvelMac/ui/overview/setup_checklist.hpp"
#include "testkit/qt_wait.hpp"
#include "ui_fixture.hpp"

namespace quorvel::ui {
namespace {

using testing::labelTexts;
using testing::settle;

class OverviewTest : public testing::UiTest {};

std::vector<std::string> pillTexts(const QWidget& root) {
    std::vector<std::string> texts;
    for (const StatusPill* pill : root.findChildren<StatusPill*>()) {
        if (!pill->isHidden()) {
            texts.push_back(pill->text().toStdString());
        }
    }
    return texts;
}

// The pills once the rows have settled: a tick of the dashboard's own once-a-second timer may
// rebuild the rows meanwhile (on a busy machine a test step can take longer than a second), and
// rebuilt rows are shown on the event loop's next turn.
std::vector<std::string> settledPillTexts(const QWidget& root,
                                          const std::vector<std::string>& expected) {
    testkit::runLoopUntil([&] { return pillTexts(root) == expected; });
    return pillTexts(root);
}

std::vector<QPushButton*> buttonsTitled(const QWidget& root, const QString& title) {
    std::vector<QPushButton*> found;
    for (QPushButton* button : root.findChildren<QPushButton*>()) {
        if (button->text() == title) {
            found.push_back(button);
        }
    }
    return found;
}

TEST_F(OverviewTest, DashboardCountsUnlockedRowsAndTicks) {
    auto model = makeUiModel(true);  // three applications, one unlocked for 755 s
    SidebarSelection selection;
    OverviewDashboard dashboard(*model, selection, services);
    dashboard.resize(800, 900);
    dashboard.show();
    settle();
    EXPECT_EQ(dashboard.tile(0)->value(), "3");
    EXPECT_EQ(dashboard.tile(1)->value(), "2");
    EXPECT_EQ(dashboard.tile(2)->value(), "1");
    EXPECT_EQ(dashboard.tile(1)->colour(), theme::primary());
    EXPECT_EQ(dashboard.tile(2)->colour(), theme::green());
    EXPECT_FALSE(dashboard.unlockedCard()->isHidden());
    EXPECT_EQ(settledPillTexts(*dashboard.unlockedCard(), {"解除中・残り12:35"}),
              std::vector<std::string>{"解除中・残り12:35"});
    EXPECT_TRUE(dashboard.ticker()->isRunning());

    clock->advance(1);
    dashboard.redrawTimeline(clock->now());
    settle();
    EXPECT_EQ(settledPillTexts(*dashboard.unlockedCard(), {"解除中・残り12:34"}),
              std::vector<std::string>{"解除中・残り12:34"});

    // The window ends: the row leaves and the counts follow, before the model revokes anything.
    clock->advance(754);
    dashboard.redrawTimeline(clock->now());
    settle();
    EXPECT_TRUE(dashboard.unlockedCard()->isHidden());
    EXPECT_EQ(dashboard.tile(1)->value(), "3");
    EXPECT_EQ(dashboard.tile(2)->value(), "0");
    EXPECT_EQ(dashboard.tile(2)->colour(), theme::secondary());

    dashboard.hide();
    EXPECT_FALSE(dashboard.ticker()->isRunning());
}

TEST_F(OverviewTest, DashboardConnectionAllWellAndRecentUnlocks) {
    auto model = makeUiModel(true);
    SidebarSelection selection;
    OverviewDashboard dashboard(*model, selection, services);
    settle();
    const QWidget& connection = *dashboard.connectionRows()->parentWidget();
    EXPECT_EQ(labelTexts(connection, "message"), std::vector<std::string>{"すべて正常です"});
    const QWidget& recent = *dashboard.recentRows()->parentWidget();
    EXPECT_EQ(labelTexts(recent, "name"), (std::vector<std::string>{"動画", "チャット"}));
    EXPECT_EQ(labelTexts(recent, "status"), (std::vector<std::string>{"20分解除", "5分解除"}));
}

TEST_F(OverviewTest, DashboardIssuesNavigate) {
    auto model = makeUiModel();  // nothing set up, no Bluetooth status file
    SidebarSelection selection;
    OverviewDashboard dashboard(*model, selection, services);
    settle();
    const QWidget& connection = *dashboard.connectionRows()->parentWidget();
    EXPECT_EQ(labelTexts(connection, "message"),
              (std::vector<std::string>{"アクセシビリティ権限が許可されていません",
                                        "iPhoneとペアリングされていません",
                                        "iPhone接続状態を確認できません。準備中"}));
    // No enabled application: zeros, secondary colours, no unlocked card; empty history.
    EXPECT_EQ(dashboard.tile(0)->value(), "0");
    EXPECT_EQ(dashboard.tile(1)->colour(), theme::secondary());
    EXPECT_TRUE(dashboard.unlockedCard()->isHidden());
    EXPECT_EQ(labelTexts(*dashboard.recentRows()->parentWidget(), ""),
              std::vector<std::string>{"履歴はまだありません"});

    const auto toPairing = buttonsTitled(connection, "ペアリングへ");
    ASSERT_EQ(toPairing.size(), 2u);
    toPairing[1]->click();
    EXPECT_EQ(selection.value(), SidebarItem::pairing);
    buttonsTitled(connection, "ロック対象へ").at(0)->click();
    EXPECT_EQ(selection.value(), SidebarItem::targets);
}

TEST_F(OverviewTest, ChecklistHeadlineRowsAndButtons) {
    auto model = makeUiModel();
    SidebarSelection selection;
    SetupChecklistView checklist(*model, selection, services);
    EXPECT_EQ(checklist.headline()->text(), "あと3ステップでロックを開始できます。");
    ASSERT_EQ(checklist.rows().size(), 4u);
    EXPECT_EQ(checklist.rows()[0]->titleLabel()->text(), "アクセシビリティ権限を許可");
    EXPECT_EQ(checklist.rows()[0]->badge()->property("number").toInt(), 1);
    EXPECT_EQ(checklist.rows()[3]->badge()->property("systemImage").toString(), "circle.dashed");

    // Step 1 becomes done only through the model's check.
    accessibility->trusted = true;
    buttonsTitled(checklist, "許可を求める").at(0)->click();
    settle();
    EXPECT_EQ(accessibility->prompts.back(), true);
    EXPECT_EQ(checklist.headline()->text(), "あと2ステップでロックを開始できます。");
    SetupStepRow* done = checklist.rows()[0];
    EXPECT_TRUE(done->isDone());
    EXPECT_EQ(done->badge()->property("systemImage").toString(), "checkmark.circle.fill");
    EXPECT_TRUE(done->actions().empty());
    EXPECT_EQ(done->titleLabel()->palette().color(QPalette::WindowText), theme::secondary());

    buttonsTitled(checklist, "ペアリングへ").at(0)->click();
    EXPECT_EQ(selection.value(), SidebarItem::pairing);
    buttonsTitled(checklist, "Chromeの設定へ").at(0)->click();
    EXPECT_EQ(selection.value(), SidebarItem::chrome);

    // A cancelled picker changes nothing; "あとで選ぶ" finishes step 3 and clears the message.
    buttonsTitled(checklist, "アプリを選ぶ…").at(0)->click();
    settle();
    EXPECT_EQ(pickerRuns, 1);
    EXPECT_FALSE(checklist.rows()[2]->isDone());
    model->setApplicationSelectionMessage(std::string("1件のアプリを追加しました。"));
    settle();
    ASSERT_NE(checklist.selectionMessage(), nullptr);
    EXPECT_EQ(checklist.selectionMessage()->text(), "1件のアプリを追加しました。");
    buttonsTitled(checklist, "あとで選ぶ").at(0)->click();
    settle();
    EXPECT_TRUE(checklist.rows()[2]->isDone());
    EXPECT_EQ(checklist.selectionMessage(), nullptr);
    EXPECT_EQ(checklist.headline()->text(), "あと1ステップでロックを開始できます。");
}

TEST_F(OverviewTest, PaneShowsDashboardOnlyWhenRequiredStepsAreDone) {
    auto model = makeUiModel(true);
    SidebarSelection selection;
    OverviewPane pane(*model, selection, services);
    EXPECT_TRUE(pane.showsDashboard());

    auto fresh = makeUiModel();
    OverviewPane checklistPane(*fresh, selection, services);
    EXPECT_FALSE(checklistPane.showsDashboard());
    accessibility->trusted = true;
    fresh->refreshAccessibilityPermission(false);
    fresh->finishAppSelectionStep();
    // Still no paired iPhone.
    EXPECT_FALSE(checklistPane.showsDashboard());
}

}  // namespace
}  // namespace quorvel::ui
