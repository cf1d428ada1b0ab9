// Every text shown whole: each pane at the window's minimum and default sizes, each face of the
// QR panel, and the lock panel over windows from 320 x 240 up, in every state that changes its
// texts.
#include <gmock/gmock.h>

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

    PairingState offer(const std::string& status) const {
        PairingState pairing;
        pairing.sessionId = "8F0A2C4E-6B1D-4E5F-9A7B-3C2D1E0F4A5B";
        pairing.code = "482913";
        pairing.qrURL = MacAppModel::localPairingQRCodeURL(*pairing.sessionId, *pairing.code);
        pairing.expiresAt = clock->now().addingSeconds(300);
        pairing.status = status;
        return pairing;
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
    PairingState pairedWithOffer = offer("pending");
    pairedWithOffer.pairedIPhoneName = paired.pairedIPhoneName;
    PairingState failed;
    failed.error =
        "ペアリングを開始できませんでした。Bluetoothブリッジが応答しません。しばらくしてからもう一"
        "度お試しください。";
    const std::pair<const char*, PairingState> faces[] = {
        {"placeholder", PairingState{}},
        {"code", offer("pending")},
        {"expired", offer("EXPIRED")},
        {"paired", paired},
        {"paired with an offer", pairedWithOffer},
        {"approved", offer("approved")},
        {"error", failed},
    };
    for (const QSize size : sizes) {
        window.resize(size);
        for (const auto& [name, pairing] : faces) {
            for (const std::optional<std::string> code :
                 {std::optional<std::string>(), std::optional<std::string>("advertising")}) {
                pane->render(pairing, code);
                settle();
                EXPECT_THAT(cutTexts(window), IsEmpty())
                    << name << " at " << size.width() << "x" << size.height();
            }
        }
    }
}

TEST_F(TextFitTest, LockPanelOverSmallAndLargeWindows) {
    using Status = LockOverlayState::Status;
    MacLockTarget target = testing::appTarget("com.example.video", "動画編集スタジオ");
    const std::string longFailure =
        "iPhoneに解除申請を届けられませんでした。Bluetoothがオンになっているか、iPhoneのPellorimア"
        "プリが開いているかを確かめてください。";
    const Status statuses[] = {
        Status::locked(),
        Status::requesting(),
        Status::confirmingIPhoneDelivery(),
        Status::waitingForIPhone(Date{790'000'100}),
        Status::approved(Date{790'003'600}),
        Status::failed(longFailure),
    };
    const QSize windows[] = {{320, 240}, {400, 300}, {480, 320},
                             {640, 480}, {800, 600}, {1280, 800}};
    LockOverlayView panel([](const MacLockTarget&) { return QIcon(); });
    panel.show();
    for (const Status& status : statuses) {
        panel.setState({target, status}, [] {});
        for (const QSize size : windows) {
            panel.resize(size);
            settle();
            EXPECT_THAT(cutTexts(panel), IsEmpty()) << static_cast<int>(status.kind) << " over "
                                                    << size.width() << "x" << size.height();
            // The name and the button stay inside the panel.
            EXPECT_TRUE(panel.rect().contains(
                QRect(panel.nameLabel()->mapTo(&panel, QPoint()), panel.nameLabel()->size())));
            EXPECT_TRUE(panel.rect().contains(QRect(panel.unlockButton()->mapTo(&panel, QPoint()),
                                                    panel.unlockButton()->size())));
            EXPECT_GE(panel.unlockButton()->width(), panel.unlockButton()->captionWidth());
        }
    }
}

}  // namespace
}  // namespace quorvel::ui
