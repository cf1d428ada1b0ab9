#include "QuorvelMac/ui/panes/chrome_pane.hpp"

#include <algorithm>

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "QuorvelMac/model/mac_app_model.hpp"
#include "QuorvelMac/ui/format/connection_texts.hpp"
#include "QuorvelMac/ui/kit/card.hpp"
#include "QuorvelMac/ui/kit/card_section_heading.hpp"
#include "QuorvelMac/ui/kit/icon_chip.hpp"
#include "QuorvelMac/ui/kit/pane_layout.hpp"
#include "QuorvelMac/ui/kit/status_pill.hpp"
#include "QuorvelMac/ui/kit/theme.hpp"
#include "QuorvelMac/ui/kit/widgets.hpp"

namespace quorvel::ui {

ChromePaneState chromePaneState(const MacAppModel& model) {
    const auto& profiles = model.chromeProfiles();
    return {std::any_of(profiles.begin(), profiles.end(),
                        [](const ChromeProfile& profile) { return profile.connected; }),
            model.chromeConnectionSummary(), model.chromeConnectionDetail(),
            model.connection().nativeHostInstalled, model.nativeHostInstallError()};
}

ChromePane::ChromePane(MacAppModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    auto* pane = PaneLayout::fill(
        this, "Chrome", QString("Chrome拡張と連携すると、Webサイトも同じ仕組みでロックできます。"));

    auto* statusCard = new Card(std::nullopt, pane);
    auto* row = new QHBoxLayout;
    row->setSpacing(14);
    globe_ = new IconChip("globe", theme::Ink::gray, 36, statusCard);
    row->addWidget(globe_, 0, Qt::AlignVCenter);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(3);
    summary_ = theme::makeLabel({}, theme::TextStyle::headline, theme::Ink::primary, statusCard);
    detail_ = theme::makeLabel({}, theme::TextStyle::callout, theme::Ink::secondary, statusCard);
    texts->addWidget(summary_);
    texts->addWidget(detail_);
    row->addLayout(texts, 1);
    connectionPill_ = new StatusPill(chromeConnectionPill(false), statusCard);
    row->addWidget(connectionPill_, 0, Qt::AlignVCenter);
    statusCard->content()->addLayout(row);
    auto* recheck =
        makeButton("接続状態を再確認", "arrow.clockwise", ButtonStyle::bordered, statusCard);
    statusCard->content()->addSpacing(12);
    statusCard->content()->addWidget(recheck, 0, Qt::AlignLeft);
    connect(recheck, &QPushButton::clicked, this, [this] { model_.refreshChromeProfiles(); });
    pane->content()->addWidget(statusCard);

    pane->content()->addWidget(new CardSectionHeading("設定状況", pane));
    auto* setupCard = new Card(QString("連携の準備はアプリが自動で行います。開発用の接続名や過去の"
                                       "切断履歴は、解除の可否を示さないため表示しません。"),
                               pane);
    auto* setupRow = new QHBoxLayout;
    auto* feature = theme::makeLabel("Chromeとの連携機能", theme::TextStyle::callout,
                                     theme::Ink::primary, setupCard);
    setupRow->addWidget(feature, 1);
    nativeHostPill_ = new StatusPill(ui::nativeHostPill(false), setupCard);
    setupRow->addWidget(nativeHostPill_, 0, Qt::AlignVCenter);
    setupCard->content()->addLayout(setupRow);
    error_ = theme::makeLabel({}, theme::TextStyle::caption, theme::Ink::red, setupCard);
    error_->setObjectName("nativeHostError");
    // The kit's 12 between the row and the error; a hidden error leaves no gap of its own.
    setupCard->content()->setSpacing(12);
    setupCard->content()->addWidget(error_);
    pane->content()->addWidget(setupCard);

    const auto refresh = [this] { render(chromePaneState(model_)); };
    connect(&model_, &MacAppModel::chromeProfilesChanged, this, refresh);
    connect(&model_, &MacAppModel::chromeConnectionChanged, this, refresh);
    connect(&model_, &MacAppModel::connectionChanged, this, refresh);
    connect(&model_, &MacAppModel::nativeHostInstallErrorChanged, this, refresh);
    refresh();
}

void ChromePane::render(const ChromePaneState& state) {
    globe_->setInk(state.connected ? theme::Ink::green : theme::Ink::gray);
    summary_->setText(qs(state.summary));
    detail_->setText(qs(state.detail));
    connectionPill_->set(chromeConnectionPill(state.connected));
    nativeHostPill_->set(ui::nativeHostPill(state.nativeHostInstalled));
    error_->setText(qs(state.nativeHostInstallError.value_or("")));
    error_->setVisible(state.nativeHostInstallError.has_value());
}

void ChromePane::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    model_.refreshChromeProfiles();
}

}  // namespace quorvel::ui
