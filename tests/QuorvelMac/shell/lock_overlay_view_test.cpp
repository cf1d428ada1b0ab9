#include "QuorvelMac/shell/lock_overlay_view.hpp"

#include <gtest/gtest.h>

#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace quorvel {
namespace {

using Status = LockOverlayState::Status;

MacLockTarget target() {
    MacLockTarget t;
    t.id = "mac-app:org.example.Editor";
    t.kind = MacLockTarget::Kind::macApp;
    t.displayName = "Editor";
    t.identifier = "org.example.Editor";
    return t;
}

QIcon colourfulIcon(const MacLockTarget&) {
    QPixmap pixmap(84, 84);
    pixmap.fill(QColor(220, 30, 30));
    return QIcon(pixmap);
}

struct Expected {
    Status status;
    QString title;
    std::optional<QString> message;
    bool spinner;
    bool prominent;
    QString button;
    bool enabled;
    double saturation;
};

QString statusTitle(const LockOverlayView& view) {
    auto* label = view.statusBlock()->findChild<QLabel*>("mac-lock-status-title");
    return label ? label->text() : QString();
}

std::optional<QString> statusMessage(const LockOverlayView& view) {
    auto* label = view.statusBlock()->findChild<QLabel*>("mac-lock-status-message");
    return label ? std::optional(label->text()) : std::nullopt;
}

TEST(LockOverlayViewTest, EveryStatusShowsItsBlockAndButton) {
    const std::vector<Expected> table = {
        {Status::locked(), "ロック中", "解除するには、iPhoneでミッションをクリアしてください。", false, false,
         "解除申請を送る", true, 1.0},
        {Status::requesting(), "解除申請をMacから送信しています…", std::nullopt, true, false, "解除申請を送信中…", false, 0.4},
        {Status::confirmingIPhoneDelivery(), "iPhoneへの到達を確認しています…",
         "まだiPhoneに届いたとは確認できていません。", true, false, "iPhoneへの到達を確認中…", false, 0.4},
        {Status::waitingForIPhone(Date{99}), "iPhoneに解除申請が届きました",
         "iPhoneでミッションを完了してください。承認されると自動で解除されます。", true, true,
         "iPhoneで確認してください", false, 0.4},
        {Status::approved(Date{99}), "解除されました", std::nullopt, false, false, "解除されました", false, 1.0},
        {Status::failed("Bluetooth連携が応答しません。iPhoneのアプリを開いてもう一度お試しください。"),
         "Bluetooth連携が応答しません。iPhoneのアプリを開いてもう一度お試しください。", std::nullopt, false, false,
         "解除申請をもう一度送る", true, 1.0},
    };
    LockOverlayView view(colourfulIcon);
    view.resize(900, 700);
    for (const auto& e : table) {
        view.setState(LockOverlayState{target(), e.status}, [] {});
        const QString name = e.button;
        EXPECT_EQ(view.nameLabel()->text(), "Editor");
        EXPECT_EQ(statusTitle(view), e.title) << name.toStdString();
        EXPECT_EQ(statusMessage(view), e.message) << name.toStdString();
        EXPECT_EQ(view.statusBlock()->findChild<QProgressBar*>("mac-lock-spinner") != nullptr, e.spinner)
            << name.toStdString();
        if (e.spinner) {
            EXPECT_EQ(view.statusBlock()->findChild<QLabel*>("mac-lock-status-title")->property("prominent").toBool(),
                      e.prominent)
                << name.toStdString();
        }
        auto* button = view.unlockButton();
        EXPECT_EQ(button->text(), e.button);
        EXPECT_EQ(button->isEnabled(), e.enabled) << name.toStdString();
        auto* opacity = static_cast<QGraphicsOpacityEffect*>(button->graphicsEffect());
        EXPECT_DOUBLE_EQ(opacity->opacity(), e.enabled ? 1.0 : 0.55) << name.toStdString();
        EXPECT_EQ(button->objectName(), "mac-lock-unlock-request-button");
        EXPECT_DOUBLE_EQ(view.iconSaturation(), e.saturation) << name.toStdString();
    }
}

TEST(LockOverlayViewTest, DesaturatedIconWhileARequestIsUnderWay) {
    LockOverlayView view(colourfulIcon);
    view.setState(LockOverlayState{target(), Status::locked()}, [] {});
    const QColor full = view.iconLabel()->pixmap().toImage().pixelColor(42, 42);
    view.setState(LockOverlayState{target(), Status::requesting()}, [] {});
    const QColor faded = view.iconLabel()->pixmap().toImage().pixelColor(42, 42);
    // Mixing towards grey scales every difference between the channels by the saturation.
    EXPECT_EQ(full, QColor(220, 30, 30));
    EXPECT_NEAR(faded.red() - faded.green(), 0.4 * (full.red() - full.green()), 2);
    EXPECT_EQ(faded.green(), faded.blue());
}

TEST(LockOverlayViewTest, FailedButtonStartsANewRequest) {
    LockOverlayView view(colourfulIcon);
    int unlocks = 0;
    view.setState(LockOverlayState{target(), Status::failed("x")}, [&] { ++unlocks; });
    view.unlockButton()->click();
    EXPECT_EQ(unlocks, 1);
}

}  // namespace
}  // namespace quorvel
