// The Bluetooth bridge daemon dies (kill -9) while the application runs. The application reaps it
// and does not start it again, and every place that showed the link says that it has ended: the
// status file, the overview, the sidebar and the pairing pane; the lock panel's request says that
// the link is not running. Texts are read from the program through its accessibility tree.
#include <signal.h>

#include <filesystem>
#include <string>
#include <vector>

#include "journey_fixture.hpp"

namespace quorvel::journeytest {
namespace {

using Node = testing::AccessibilityTree::Node;

class KilledDaemonRobustness : public JourneyTest {
protected:
    // True when an object of the program with this role and exact name is on the screen.
    bool onScreen(const QString& role, const QString& name) {
        return tree
            ->find(*appNode,
                   [&](const Node& node) {
                       return tree->role(node) == role && tree->name(node) == name &&
                              !tree->extents(node).isEmpty();
                   })
            .has_value();
    }
};

TEST_F(KilledDaemonRobustness, AKilledDaemonLeavesEveryScreenSayingThatTheLinkHasEnded) {
    const std::string endedDetail = "Bluetooth連携が終了しました。Pellorimを開き直してください";
    const QString endedIssue = QString::fromStdString("iPhoneと未接続。" + endedDetail);
    lockEditorAndViewer();
    openWindows();
    startApplication();
    const std::vector<pid_t> daemons = app->children();
    ASSERT_EQ(daemons.size(), 1u) << "QuorvelMac should run one bridge daemon";

    // The main window's sidebar: its rows, in order, read as a screen reader reads them.
    const std::optional<Node> sidebar = findSidebar();
    ASSERT_TRUE(sidebar);
    const auto pairingRow = [&] { return tree->children(*sidebar)[3]; };

    // Connected: the overview, shown at start, finds nothing to report, and the sidebar marks
    // nothing.
    ASSERT_TRUE(runLoopUntil([&] { return onScreen("label", "すべて正常です"); }))
        << "the overview does not say that all is well while the phone is connected";
    EXPECT_EQ(tree->name(pairingRow()), "ペアリング");

    ::kill(daemons[0], SIGKILL);
    ASSERT_TRUE(runLoopUntil([&] {
        const auto status = BLELocalConnectionStore::load();
        return status && status->status == BluetoothLinkState::stopped &&
               status->detail == endedDetail;
    })) << "the status file does not say that the link has ended";
    // Reaped as it ended, not left a zombie.
    EXPECT_FALSE(std::filesystem::exists("/proc/" + std::to_string(daemons[0])));

    ASSERT_TRUE(runLoopUntil([&] { return onScreen("label", endedIssue); }))
        << "the overview does not say that the link has ended";
    EXPECT_FALSE(onScreen("label", "すべて正常です"));
    EXPECT_TRUE(runLoopUntil([&] { return tree->name(pairingRow()) == "ペアリング（要対応）"; }))
        << "the sidebar's pairing row is \"" << tree->name(pairingRow()).toStdString() << "\"";

    // The pairing pane.
    const QRect pairingAt = tree->extents(pairingRow());
    pointer.click(pairingAt.center().x(), pairingAt.center().y());
    EXPECT_TRUE(runLoopUntil([&] { return onScreen("label", "iPhoneと未接続"); }))
        << "the pairing pane does not say that the phone is not connected";

    // The lock panel: a request finds no daemon to take it.
    const auto editorCover = coverOf(*editorWindow);
    activate(*editorWindow);
    ASSERT_TRUE(runLoopUntil([&] { return panelCovers(editorCover); }));
    pressPanelButton(editorCover);
    EXPECT_TRUE(runLoopUntil([&] {
        return panelShows(
            "MacアプリのBluetooth連携が起動していません。Macアプリを開き直してください");
    })) << "the panel does not say that the link is not running";
    // By now, well after the daemon ended, none was started again.
    EXPECT_TRUE(app->children().empty());
}

}  // namespace
}  // namespace quorvel::journeytest
