#include <gtest/gtest.h>

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "QuorvelMac/ui/kit/card.hpp"
#include "QuorvelMac/ui/kit/card_section_heading.hpp"
#include "QuorvelMac/ui/kit/icon_chip.hpp"
#include "QuorvelMac/ui/kit/pane_layout.hpp"
#include "QuorvelMac/ui/kit/stat_tile.hpp"
#include "QuorvelMac/ui/kit/status_pill.hpp"
#include "QuorvelMac/ui/kit/theme.hpp"

namespace quorvel::ui {
namespace {

QLabel* pillLabel(StatusPill& pill) {
    return pill.findChild<QLabel*>("pillText");
}

TEST(StatusPill, SymbolFirstThenTextWithPaddings) {
    StatusPill pill("ロック中", Tone::warning, QString("lock.fill"));
    pill.show();
    auto* row = qobject_cast<QHBoxLayout*>(pill.layout());
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->spacing(), 5);
    EXPECT_EQ(row->contentsMargins(), QMargins(9, 4, 9, 4));
    auto* icon = qobject_cast<QLabel*>(row->itemAt(0)->widget());
    ASSERT_NE(icon, nullptr);
    EXPECT_TRUE(icon->isVisible());
    EXPECT_EQ(row->itemAt(1)->widget(), pillLabel(pill));
    EXPECT_EQ(pillLabel(pill)->text(), "ロック中");
}

TEST(StatusPill, WithoutSymbolShowsTheTextAlone) {
    StatusPill pill("有効", Tone::positive);
    pill.show();
    auto* icon = qobject_cast<QLabel*>(pill.layout()->itemAt(0)->widget());
    EXPECT_FALSE(icon->isVisible());
    EXPECT_EQ(pill.layout()->contentsMargins(), QMargins(9, 4, 9, 4));
    EXPECT_FALSE(pill.systemImage().has_value());
}

TEST(StatusPill, ToneColours) {
    EXPECT_EQ(StatusPill::colour(Tone::positive), theme::green());
    EXPECT_EQ(StatusPill::colour(Tone::warning), theme::orange());
    EXPECT_EQ(StatusPill::colour(Tone::critical), theme::red());
    EXPECT_EQ(StatusPill::colour(Tone::neutral), theme::secondary());
    StatusPill pill("無効", Tone::neutral);
    EXPECT_EQ(pillLabel(pill)->palette().color(QPalette::WindowText), theme::secondary());
    pill.set(PillContent{"失敗", Tone::critical, std::nullopt});
    EXPECT_EQ(pillLabel(pill)->palette().color(QPalette::WindowText), theme::red());
    EXPECT_EQ(pill.text(), "失敗");
}

TEST(StatusPill, PaintsTheCapsuleInItsTone) {
    StatusPill pill("解除中・残り1:15", Tone::positive, QString("lock.open.fill"));
    pill.adjustSize();
    const QImage picture = pill.grab().toImage();
    // The middle of the left padding is the capsule: green at low opacity, not the bare window.
    const QColor sample = picture.pixelColor(4, picture.height() / 2);
    EXPECT_GT(sample.green(), sample.red());
}

TEST(Card, CaptionComesBelowTheContent) {
    Card withCaption(QString("キャプション"));
    auto* content = new QLabel("内容");
    withCaption.content()->addWidget(content);
    ASSERT_NE(withCaption.captionLabel(), nullptr);
    EXPECT_EQ(withCaption.body()->spacing(), 12);
    EXPECT_EQ(withCaption.body()->indexOf(withCaption.captionLabel()), 1);
    EXPECT_EQ(withCaption.body()->contentsMargins().left(), 18);

    Card bare;
    EXPECT_EQ(bare.captionLabel(), nullptr);
    EXPECT_EQ(bare.body()->count(), 1);
}

TEST(TintedCard, ContentAloneWithTheTint) {
    TintedCard card(theme::Ink::orange);
    EXPECT_EQ(card.look(), Panel::Look::tinted);
    EXPECT_EQ(card.tint(), theme::Ink::orange);
    EXPECT_EQ(card.content()->spacing(), 12);
}

TEST(IconChip, SizeAndRadius) {
    IconChip chip("globe", theme::Ink::blue, 36);
    EXPECT_EQ(chip.size(), QSize(36, 36));
    EXPECT_DOUBLE_EQ(chip.cornerRadius(), 8.64);
    EXPECT_DOUBLE_EQ(chip.symbolSize(), 18);
    const QImage picture = chip.grab().toImage();
    EXPECT_EQ(picture.size(), QSize(36, 36));
}

TEST(StatTile, ValueLabelColour) {
    StatTile tile("3", "ロック対象", theme::Ink::primary);
    EXPECT_EQ(tile.value(), "3");
    EXPECT_EQ(tile.label(), "ロック対象");
    tile.set("0", theme::Ink::secondary);
    EXPECT_EQ(tile.colour(), theme::secondary());
    EXPECT_EQ(tile.body()->contentsMargins().left(), 16);
}

TEST(CardSectionHeading, TwelveAboveOnly) {
    CardSectionHeading heading("接続");
    EXPECT_EQ(heading.contentsMargins(), QMargins(0, 12, 0, 0));
    EXPECT_EQ(heading.text(), "接続");
}

TEST(PaneLayout, ColumnIsAtMost700AndCentred) {
    PaneLayout wide("概要");
    wide.resize(1100, 600);
    wide.show();
    QApplication::processEvents();
    EXPECT_EQ(wide.column()->width(), 700);
    const int left = wide.column()->x();
    const int right = wide.viewport()->width() - left - wide.column()->width();
    EXPECT_LE(std::abs(left - right), 1);
    EXPECT_EQ(wide.subtitleLabel(), nullptr);

    PaneLayout narrow("ロック対象", QString("サブタイトル"));
    narrow.resize(500, 600);
    narrow.show();
    QApplication::processEvents();
    EXPECT_EQ(narrow.column()->width(), narrow.viewport()->width());
    ASSERT_NE(narrow.subtitleLabel(), nullptr);
    EXPECT_EQ(narrow.subtitleLabel()->text(), "サブタイトル");
}

}  // namespace
}  // namespace quorvel::ui
