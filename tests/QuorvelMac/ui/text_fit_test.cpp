// Every text shown whole: each pane at the window's minimum and default sizes, each face of the
// QR panel, and the lock panel over windows from 320 x 240 up (at 1x and 2x), in every state that
// changes its texts, nothing drawn over anything else.
#include <gmock/gmock.h>

#include <sstream>

#include "QuorvelMac/shell/lock_overlay_view.hpp"
#include "QuorvelMac/ui/navigation/sidebar_selection.hpp"
#include "QuorvelMac/ui/panes/pairing_pane.hpp"
#include "QuorvelMac/ui/window/main_window.hpp"
#include "text_fit.hpp"
#include "ui_fixture.hpp"

namespace quorvel::ui {
namespace {

using testing::cutTexts;
using ::testing::IsEmpty;
using testing::settle;

class TextFitTest : public testing::UiTest {
protected:
    // The window's minimum (set by the shell) and its default size.
    static constexpr QSize sizes[] = {{820, 560}, {980, 700}};

    void expectEveryPaneWhole(MainWindow& window, const std::string& what) {
        for (const QSize size : sizes) {
            window.resize(size);
            for (const SidebarItem item : {SidebarItem::overview, SidebarItem::targets,
                                           SidebarItem::chrome, SidebarItem::pairing}) {
                window.selection().set(item);
                settle();
                EXPECT_THAT(cutTexts(window), IsEmpty())
                    << what << " pane " << static_cast<int>(item) << " at " << size.width() << "x"
                    << size.height();
            }
        }
    }
};

TEST_F(TextFitTest, PanesOfAFreshAndOfAnInUseMachine) {
    auto fresh = makeUiModel();
    MainWindow first(*fresh, controller, services);
    first.show();
    expectEveryPaneWhole(first, "fresh");

    auto inUse = makeUiModel(true);
    inUse->setApplicationSelectionMessage(
        "3個のアプリを追加しました。1個はすでにロック対象です。Pellorim自身はロック対象にできません"
        "。");
    controller.updateConfiguration({true, 16});
    controller.setEditingSessionActive(true);
    MainWindow second(*inUse, controller, services);
    second.show();
    expectEveryPaneWhole(second, "in use, with the session banner");
}

TEST_F(TextFitTest, EveryFaceOfTheQRPanelAndThePairingDetails) {
    auto model = makeUiModel();
    MainWindow window(*model, controller, services);
    window.show();
    auto* pane = static_cast<PairingPane*>(window.pane(SidebarItem::pairing));
    window.selection().set(SidebarItem::pairing);

    PairingState paired;
    paired.pairedIPhoneName = "山田のiPhone 15 Pro Max";
    PairingState pairedWithOffer = pairingOffer(PairingState::Status::pending);
    pairedWithOffer.pairedIPhoneName = paired.pairedIPhoneName;
    PairingState failed;
    failed.error =
        "ペアリングを開始できませんでした。Bluetoothブリッジが応答しません。しばらくしてからもう一"
        "度お試しください。";
    const std::pair<const char*, PairingState> faces[] = {
        {"placeholder", PairingState{}},
        {"code", pairingOffer(PairingState::Status::pending)},
        {"expired", pairingOffer(PairingState::Status::expired)},
        {"paired", paired},
        {"paired with an offer", pairedWithOffer},
        {"approved", pairingOffer(PairingState::Status::approved)},
        {"error", failed},
    };
    for (const QSize size : sizes) {
        window.resize(size);
        for (const auto& [name, pairing] : faces) {
            for (const BluetoothStatus& bluetooth :
                 {BluetoothStatus{},
                  BluetoothStatus{BluetoothLinkState::advertising, "iPhoneを待っています"}}) {
                pane->render(pairing, bluetooth);
                settle();
                EXPECT_THAT(cutTexts(window), IsEmpty())
                    << name << " at " << size.width() << "x" << size.height();
            }
        }
    }
}

TEST_F(TextFitTest, LockPanelOverSmallAndLargeWindows) {
    using Status = LockOverlayState::Status;
    const std::string longFailure =
        "iPhoneに解除申請を届けられませんでした。Bluetoothがオンになっているか、iPhoneのPellorimア"
        "プリが開いているかを確かめてください。";
    const Status statuses[] = {
        Status::locked(),
        Status::requesting(),
        Status::confirmingIPhoneDelivery(),
        Status::waitingForIPhone(Date{790'000'100}),
        Status::approved(Date{790'003'600}),
        Status::failed("iPhoneからの承認がタイムアウトしました"),
        Status::failed(longFailure),
    };
    // The panel's own size. 160 x 120 is a 320 x 240 window at twice the scale: there the name may
    // give way and the button's title take two lines; from 320 x 240 at 1x both stay whole.
    struct Window {
        QSize size;
        bool roomy;
    };
    const Window windows[] = {{{160, 120}, false}, {{320, 240}, true}, {{400, 300}, true},
                              {{480, 320}, true},  {{640, 480}, true}, {{800, 600}, true},
                              {{1280, 800}, true}};
    const auto inside = [](const LockOverlayView& panel, const QWidget* widget) {
        return panel.rect().contains(QRect(widget->mapTo(&panel, QPoint()), widget->size()));
    };
    for (const char* name :
         {"動画編集スタジオ",
          "とても長い名前のアプリケーション・プロフェッショナル版エディション"}) {
        LockOverlayView panel([](const MacLockTarget&) { return QIcon(); });
        panel.show();
        for (const Status& status : statuses) {
            panel.setState({testing::appTarget("com.example.video", name), status}, [] {});
            for (const Window& window : windows) {
                panel.resize(window.size);
                settle();
                std::ostringstream at;
                at << name << " " << static_cast<int>(status.kind) << " over "
                   << window.size.width() << "x" << window.size.height();
                EXPECT_THAT(cutTexts(panel), IsEmpty()) << at.str();
                EXPECT_THAT(testing::overlappingTexts(panel), IsEmpty()) << at.str();
                // The status and the button stay inside the panel, the button whole.
                EXPECT_TRUE(inside(panel, panel.statusBlock())) << at.str();
                EXPECT_TRUE(inside(panel, panel.unlockButton())) << at.str();
                EXPECT_GE(panel.unlockButton()->height(),
                          panel.unlockButton()->heightForWidth(panel.unlockButton()->width()))
                    << at.str();
                if (window.roomy) {
                    EXPECT_TRUE(panel.nameLabel()->isVisible()) << at.str();
                    EXPECT_TRUE(inside(panel, panel.nameLabel())) << at.str();
                    EXPECT_GE(panel.unlockButton()->width(), panel.unlockButton()->captionWidth())
                        << at.str();
                }
            }
        }
    }
}

}  // namespace
}  // namespace quorvel::ui
