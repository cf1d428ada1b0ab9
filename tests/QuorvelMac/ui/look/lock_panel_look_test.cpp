// How the lock panel lays out its faces (that every face fits whole over every window is the
// text-fit test's): the design's sizes are the largest step, and a small panel drops to fewer
// lines; the failure's symbol stands right beside its text; the in-flight row takes the card's
// width before it wraps; the busy indicator moves only while it is shown.
#include <gmock/gmock.h>

#include <QLabel>

#include "QuorvelMac/shell/lock_overlay_status_row.hpp"
#include "QuorvelMac/shell/lock_overlay_view.hpp"
#include "QuorvelMac/ui/kit/busy_indicator.hpp"
#include "testkit/qt_wait.hpp"
#include "text_fit.hpp"
#include "ui_fixture.hpp"

namespace quorvel::ui {
namespace {

using Status = LockOverlayState::Status;
using ::testing::IsEmpty;

const std::string twoLineName =
    "とても長い名前のアプリケーション・プロフェッショナル版エディション";

QIcon anyIcon(const MacLockTarget&) {
    QPixmap pixmap(84, 84);
    pixmap.fill(QColor(220, 30, 30));
    return QIcon(pixmap);
}

QLabel* statusTitle(const LockOverlayView& panel) {
    return panel.statusBlock()->findChild<QLabel*>("mac-lock-status-title");
}

TEST(LockPanelLookTest, TheDesignsSizesAreTheLargestStep) {
    LockOverlayView panel(anyIcon);
    panel.setState({testing::appTarget("com.example.app", "メール"), Status::locked()}, [] {});
    panel.resize(1280, 800);
    panel.show();
    testing::settle();
    EXPECT_EQ(panel.step(), 0);
    EXPECT_EQ(panel.iconLabel()->size(), QSize(84, 84));
    EXPECT_EQ(panel.findChild<QWidget*>("mac-lock-card")->width(), 480);
    panel.resize(160, 120);
    testing::settle();
    EXPECT_GT(panel.step(), 0);
    EXPECT_FALSE(panel.iconLabel()->isVisible());
    // Fewer lines: the message gives way, the status stays.
    EXPECT_EQ(panel.statusBlock()->findChild<QLabel*>("mac-lock-status-message")->isVisible(),
              false);
    EXPECT_TRUE(statusTitle(panel)->isVisible());
}

TEST(LockPanelLookTest, TheFailureSymbolStandsBesideItsTextAsOneCentredRow) {
    const std::string failures[] = {
        "iPhoneからの承認がタイムアウトしました",
        "iPhoneに解除申請が届いたことを確認できませんでした。iPhoneのPellorimを開いて、もう一度送っ"
        "て"
        "ください",
    };
    for (const std::string& failure : failures) {
        LockOverlayView panel(anyIcon);
        panel.setState(
            {testing::appTarget("com.example.app", twoLineName), Status::failed(failure)}, [] {});
        panel.resize(1280, 800);
        panel.show();
        testing::settle();
        QLabel* text = statusTitle(panel);
        auto* row = qobject_cast<LockOverlayStatusRow*>(text->parentWidget());
        ASSERT_NE(row, nullptr);
        const QWidget* symbol = nullptr;
        for (const QWidget* child :
             row->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            if (child != text)
                symbol = child;
        ASSERT_NE(symbol, nullptr);
        // The text's lines fill its label (no wide empty margin between symbol and text).
        const int lineWidth = text->fontMetrics().horizontalAdvance(text->text());
        EXPECT_LE(text->width(), std::min(420, lineWidth + 2)) << failure;
        EXPECT_EQ(text->x() - symbol->geometry().right() - 1, 6) << failure;
        // Symbol and text together are centred in the card.
        const int left = symbol->mapTo(&panel, QPoint(0, 0)).x();
        const int right = text->mapTo(&panel, QPoint(text->width(), 0)).x();
        EXPECT_LE(std::abs((left + right) / 2 - panel.width() / 2), 2) << failure;
        EXPECT_THAT(testing::overlappingTexts(panel), IsEmpty()) << failure;
    }
}

TEST(LockPanelLookTest, TheInFlightRowTakesTheCardsWidthBeforeItWraps) {
    LockOverlayView panel(anyIcon);
    panel.setState(
        {testing::appTarget("com.example.app", "メール"), Status::confirmingIPhoneDelivery()},
        [] {});
    panel.resize(1280, 800);
    panel.show();
    testing::settle();
    QLabel* title = statusTitle(panel);
    // One line: as high as with all the room it could want, as wide as its text.
    EXPECT_EQ(title->heightForWidth(title->width()), title->heightForWidth(100000))
        << title->width();
    EXPECT_GE(title->width(), title->fontMetrics().horizontalAdvance(title->text()));
    // The indicator first, then the title, 10 apart.
    auto* spinner = panel.statusBlock()->findChild<BusyIndicator*>("mac-lock-spinner");
    ASSERT_NE(spinner, nullptr);
    EXPECT_EQ(title->x() - spinner->geometry().right() - 1, 10);
}

TEST(BusyIndicatorTest, MovesOnlyWhileShown) {
    QWidget holder;
    auto* busy = new BusyIndicator(16, &holder);
    EXPECT_FALSE(busy->isSpinning());
    holder.show();
    EXPECT_TRUE(busy->isSpinning());
    const int first = busy->phase();
    const QImage before = busy->grab().toImage();
    ASSERT_TRUE(testkit::runLoopUntil([&] { return busy->phase() != first; }));
    EXPECT_NE(busy->grab().toImage(), before) << "the drawing moved with the phase";
    holder.hide();
    EXPECT_FALSE(busy->isSpinning());
    holder.show();
    EXPECT_TRUE(busy->isSpinning());
}

}  // namespace
}  // namespace quorvel::ui
