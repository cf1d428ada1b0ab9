#include "QuorvelMac/ui/overview/overview_dashboard.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "QuorvelMac/model/mac_app_model.hpp"
#include "QuorvelMac/ui/format/target_status.hpp"
#include "QuorvelMac/ui/kit/card.hpp"
#include "QuorvelMac/ui/kit/card_section_heading.hpp"
#include "QuorvelMac/ui/kit/pane_layout.hpp"
#include "QuorvelMac/ui/kit/stat_tile.hpp"
#include "QuorvelMac/ui/kit/status_pill.hpp"
#include "QuorvelMac/ui/kit/theme.hpp"
#include "QuorvelMac/ui/kit/visible_ticker.hpp"
#include "QuorvelMac/ui/kit/widgets.hpp"
#include "QuorvelMac/ui/navigation/sidebar_selection.hpp"

namespace quorvel::ui {

std::vector<MacLockTarget> enabledApplicationTargets(const std::vector<MacLockTarget>& targets) {
    std::vector<MacLockTarget> result;
    for (const MacLockTarget& target : targets) {
        if (target.kind == MacLockTarget::Kind::macApp && target.enabled) {
            result.push_back(target);
        }
    }
    return result;
}

AttentionFacts attentionFacts(const MacAppModel& model) {
    return {model.accessibilityPermissionGranted(),
            PairingStatusPresentation(model.pairing()).tone ==
                PairingStatusPresentation::Tone::connected,
            model.bluetoothStatus(), model.nativeHostInstallError().has_value()};
}

namespace {

QLabel* iconLabel(const QIcon& icon, int side, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setFixedSize(side, side);
    theme::setPicture(label, [icon, side] {
        return (icon.isNull() ? theme::symbol("app") : icon).pixmap(side, side);
    });
    return label;
}

}  // namespace

OverviewDashboard::OverviewDashboard(MacAppModel& model, SidebarSelection& selection,
                                     const ViewServices& services, QWidget* parent)
    : QWidget(parent), model_(model), selection_(selection), services_(services) {
    auto* pane = PaneLayout::fill(this, "概要", std::nullopt);

    auto* counts = new QHBoxLayout;
    counts->setSpacing(12);
    const char* labels[] = {"ロック対象", "ロック中", "解除中"};
    for (int i = 0; i < 3; ++i) {
        tiles_[i] = new StatTile("0", labels[i], theme::Ink::secondary, pane);
        counts->addWidget(tiles_[i], 1);
    }
    pane->content()->addLayout(counts);

    auto* unlocked = new Card(std::nullopt, pane);
    unlocked->content()->setSpacing(12);
    unlockedRows_ = unlocked->content();
    unlockedCard_ = unlocked;
    pane->content()->addWidget(unlocked);

    pane->content()->addWidget(new CardSectionHeading("接続", pane));
    auto* connection = new Card(std::nullopt, pane);
    connection->content()->setSpacing(10);
    connectionRows_ = connection->content();
    pane->content()->addWidget(connection);

    pane->content()->addWidget(new CardSectionHeading("最近の解除", pane));
    auto* recent = new Card(std::nullopt, pane);
    recent->content()->setSpacing(10);
    recentRows_ = recent->content();
    pane->content()->addWidget(recent);

    // Each tick re-reads only the allow windows; everything else follows the model's signals.
    ticker_ = new VisibleTicker(this, [this] { redrawTimeline(services_.clock->now()); });
    const auto all = [this] { redraw(services_.clock->now()); };
    for (auto signal :
         {&MacAppModel::targetsChanged, &MacAppModel::allowWindowsChanged,
          &MacAppModel::accessibilityPermissionGrantedChanged, &MacAppModel::pairingChanged,
          &MacAppModel::bluetoothStatusChanged, &MacAppModel::nativeHostInstallErrorChanged,
          &MacAppModel::recentUnlocksChanged}) {
        connect(&model_, signal, this, all);
    }
    all();
}

void OverviewDashboard::redraw(Date at) {
    redrawTimeline(at);
    redrawConnection();
    redrawRecent();
}

void OverviewDashboard::redrawTimeline(Date at) {
    const std::vector<MacLockTarget> enabled = enabledApplicationTargets(model_.targets());
    const auto unlocked = unlockedTargets(
        enabled, [this](const MacLockTarget& target) { return model_.allowUntil(target.id); }, at);
    redrawCounts(enabled.size(), unlocked.size());
    redrawUnlocked(unlocked, at);
}

void OverviewDashboard::redrawCounts(std::size_t enabled, std::size_t unlocked) {
    const std::size_t locked = enabled - unlocked;
    tiles_[0]->set(QString::number(enabled), theme::Ink::primary);
    tiles_[1]->set(QString::number(locked),
                   locked >= 1 ? theme::Ink::primary : theme::Ink::secondary);
    tiles_[2]->set(QString::number(unlocked),
                   unlocked >= 1 ? theme::Ink::green : theme::Ink::secondary);
}

void OverviewDashboard::redrawUnlocked(const std::vector<std::pair<MacLockTarget, Date>>& unlocked,
                                       Date at) {
    clearLayout(unlockedRows_);
    unlockedCard_->setVisible(!unlocked.empty());
    for (const auto& [target, end] : unlocked) {
        auto* row = new QHBoxLayout;
        row->setSpacing(12);
        const QIcon icon = services_.applicationIcon ? services_.applicationIcon(target) : QIcon();
        row->addWidget(iconLabel(icon, 28, unlockedCard_), 0, Qt::AlignVCenter);
        auto* name = theme::makeLabel(qs(target.displayName), theme::TextStyle::body,
                                      theme::Ink::primary, unlockedCard_);
        name->setFont(theme::font(theme::TextStyle::body, QFont::Medium));
        name->setObjectName("name");
        row->addWidget(name, 1);
        row->addWidget(new StatusPill(unlockedPill(end, at), unlockedCard_), 0, Qt::AlignVCenter);
        unlockedRows_->addLayout(row);
    }
}

void OverviewDashboard::redrawConnection() {
    clearLayout(connectionRows_);
    auto* card = connectionRows_->parentWidget();
    const auto issues = connectionIssues(attentionFacts(model_));
    if (issues.empty()) {
        connectionRows_->addWidget(
            makeSymbolLabel("すべて正常です", "checkmark.circle.fill", theme::Ink::green, card));
        return;
    }
    for (const ConnectionIssue& issue : issues) {
        auto* row = new QHBoxLayout;
        row->addWidget(makeSymbolLabel(qs(issue.message), "exclamationmark.triangle.fill",
                                       theme::Ink::orange, card),
                       1);
        if (issue.destination) {
            auto* button =
                makeButton(qs(issue.actionTitle.value_or("開く")), ButtonStyle::bordered, card);
            const SidebarItem destination = *issue.destination;
            connect(button, &QPushButton::clicked, this,
                    [this, destination] { selection_.set(destination); });
            row->addWidget(button, 0, Qt::AlignTop);
        }
        connectionRows_->addLayout(row);
    }
}

void OverviewDashboard::redrawRecent() {
    clearLayout(recentRows_);
    auto* card = recentRows_->parentWidget();
    const auto& recent = model_.recentUnlocks();
    if (recent.empty()) {
        recentRows_->addWidget(theme::makeLabel("履歴はまだありません", theme::TextStyle::body,
                                                theme::Ink::secondary, card));
        return;
    }
    for (const RecentUnlock& entry : recent) {
        auto* row = new QHBoxLayout;
        auto* name = theme::makeLabel(qs(entry.targetName), theme::TextStyle::body,
                                      theme::Ink::primary, card);
        name->setObjectName("name");
        auto* status = theme::makeLabel(qs(entry.status), theme::TextStyle::caption,
                                        theme::Ink::secondary, card);
        status->setObjectName("status");
        status->setWordWrap(false);
        row->addWidget(name, 1);
        row->addWidget(status, 0, Qt::AlignVCenter);
        recentRows_->addLayout(row);
    }
}

}  // namespace quorvel::ui
