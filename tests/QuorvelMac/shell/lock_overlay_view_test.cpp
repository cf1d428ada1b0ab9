#include "QuorvelMac/shell/lock_overlay_view.hpp"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPropertyAnimation>
#include <QPushButton>

#include "QuorvelMac/ui/kit/busy_indicator.hpp"
#include "shell_x11_fixture.hpp"
#include "testkit/qt_wait.hpp"

namespace quorvel {
namespace {

using Status = LockOverlayState::Status;

MacLockTarget target() {
    return shelltest::editorTarget();
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
        {Status::locked(), "ロック中", "解除するには、iPhoneでミッションをクリアしてください。",
         false, false, "解除申請を送る", true, 1.0},
        {Status::requesting(), "解除申請をMacから送信しています…", std::nullopt, true, false,
         "解除申請を送信中…", false, 0.4},
        {Status::confirmingIPhoneDelivery(), "iPhoneへの到達を確認しています…",
         "まだiPhoneに届いたとは確認できていません。", true, false, "iPhoneへの到達を確認中…",
         false, 0.4},
        {Status::waitingForIPhone(Date{99}), "iPhoneに解除申請が届きました",
         "iPhoneでミッションを完了してください。承認されると自動で解除されます。", true, true,
         "iPhoneで確認してください", false, 0.4},
        {Status::approved(Date{99}), "解除されました", std::nullopt, false, false, "解除されました",
         false, 1.0},
        {Status::failed(
             "Bluetooth連携が応答しません。iPhoneのアプリを開いてもう一度お試しください。"),
         "Bluetooth連携が応答しません。iPhoneのアプリを開いてもう一度お試しください。",
         std::nullopt, false, false, "解除申請をもう一度送る", true, 1.0},
    };
    LockOverlayView view(colourfulIcon);
    view.resize(900, 700);
    for (const auto& e : table) {
        view.setState(LockOverlayState{target(), e.status}, [] {});
        const QString name = e.button;
        EXPECT_EQ(view.nameLabel()->text(), "Editor");
        EXPECT_EQ(statusTitle(view), e.title) << name.toStdString();
        EXPECT_EQ(statusMessage(view), e.message) << name.toStdString();
        EXPECT_EQ(view.statusBlock()->findChild<ui::BusyIndicator*>("mac-lock-spinner") != nullptr,
                  e.spinner)
            << name.toStdString();
        if (e.spinner) {
            EXPECT_EQ(view.statusBlock()
                          ->findChild<QLabel*>("mac-lock-status-title")
                          ->property("prominent")
                          .toBool(),
                      e.prominent)
                << name.toStdString();
        }
        auto* button = view.unlockButton();
        EXPECT_EQ(button->text(), e.button);
        EXPECT_EQ(button->isEnabled(), e.enabled) << name.toStdString();
        EXPECT_DOUBLE_EQ(button->opacity(), e.enabled ? 1.0 : 0.55) << name.toStdString();
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

// The view as drawn, once its layout has settled.
QImage drawn(LockOverlayView& view) {
    view.show();
    QApplication::processEvents();
    return view.grab().toImage();
}

TEST(LockOverlayViewTest, TheButtonIsDrawnFilledAndDimmedWhileARequestIsUnderWay) {
    LockOverlayView view(colourfulIcon);
    view.resize(900, 700);
    const QColor blue = QColor::fromRgbF(0.05f, 0.42f, 0.95f);
    struct Case {
        Status status;
        bool dimmed;
    };
    for (const auto& c : {Case{Status::locked(), false}, Case{Status::requesting(), true}}) {
        view.setState(LockOverlayState{target(), c.status}, [] {});
        const QImage image = drawn(view);
        auto* button = view.unlockButton();
        // Inside the rounded shape, left of the caption.
        const QPoint inside = button->mapTo(&view, QPoint(12, button->height() / 2));
        const QColor seen = image.pixelColor(inside * image.devicePixelRatio());
        if (c.dimmed) {
            // Blue at 0.55 over the light card: every channel lighter than the full blue.
            EXPECT_GT(seen.red(), blue.red() + 60);
            EXPECT_GT(seen.green(), blue.green() + 30);
        } else {
            EXPECT_NEAR(seen.red(), blue.red(), 3);
            EXPECT_NEAR(seen.green(), blue.green(), 3);
            EXPECT_NEAR(seen.blue(), blue.blue(), 3);
        }
    }
}

TEST(LockOverlayViewTest, TheStatusBlockIsDrawnInItsPlaceOnceFadedIn) {
    LockOverlayView view(colourfulIcon);
    view.resize(900, 700);
    view.setState(LockOverlayState{target(), Status::locked()}, [] {});
    drawn(view);
    // The fade is the block's animation, gone once it has run.
    ASSERT_TRUE(testkit::runLoopUntil(
        [&] { return !view.statusBlock()->findChild<QPropertyAnimation*>(); }));
    const QImage image = view.grab().toImage();
    const QRect block(view.statusBlock()->mapTo(&view, QPoint(0, 0)), view.statusBlock()->size());
    // Text drawn in the block: its pixels are not all the card's colour.
    const QColor card = image.pixelColor(block.topLeft() * image.devicePixelRatio());
    int inked = 0;
    for (int y = block.top(); y < block.bottom(); y += 2)
        for (int x = block.left(); x < block.right(); x += 2)
            if (image.pixelColor(QPoint(x, y) * image.devicePixelRatio()) != card)
                ++inked;
    EXPECT_GT(inked, 50);
}

TEST(LockOverlayViewTest, TheCardTakesTheWidthItIsGivenUpTo480Centred) {
    LockOverlayView view(colourfulIcon);
    view.setState(LockOverlayState{target(), Status::locked()}, [] {});
    auto* card = view.findChild<QWidget*>("mac-lock-card");
    ASSERT_NE(card, nullptr);
    struct Case {
        int panelWidth;
        int cardWidth;
    };
    // 32 of padding on each side; the button fills the card's inside (48 each side) up to 320.
    for (const auto& c : {Case{900, 480}, Case{400, 336}}) {
        view.resize(c.panelWidth, 700);
        drawn(view);
        EXPECT_EQ(card->width(), c.cardWidth) << c.panelWidth;
        EXPECT_EQ(card->x() + card->width() / 2, c.panelWidth / 2) << c.panelWidth;
        EXPECT_EQ(view.unlockButton()->width(), std::min(320, c.cardWidth - 96)) << c.panelWidth;
    }
}

TEST(LockOverlayViewTest, ALongFailureTakesTheWidthUpTo420AndWrapsInsideTheCard) {
    LockOverlayView view(colourfulIcon);
    std::string message;
    for (int i = 0; i < 4; ++i)
        message += "Bluetooth連携が応答しません。iPhoneのアプリを開いてもう一度お試しください。";
    view.setState(LockOverlayState{target(), Status::failed(message)}, [] {});
    auto* label = view.statusBlock()->findChild<QLabel*>("mac-lock-status-title");
    auto* card = view.findChild<QWidget*>("mac-lock-card");
    ASSERT_NE(label, nullptr);
    // The row beside the label holds the symbol and the spacing: 60 points at most.
    for (const int panelWidth : {900, 400}) {
        view.resize(panelWidth, 700);
        drawn(view);
        const int inside = card->width() - 96;
        const QRect onCard(label->mapTo(card, QPoint(0, 0)), label->size());
        EXPECT_GE(label->width(), std::min(420, inside - 60)) << panelWidth;
        EXPECT_LE(label->width(), 420) << panelWidth;
        EXPECT_TRUE(card->rect().contains(onCard)) << panelWidth;
    }
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
