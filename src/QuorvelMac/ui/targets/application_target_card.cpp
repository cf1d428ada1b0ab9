#include "QuorvelMac/ui/targets/application_target_card.hpp"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "QuorvelMac/model/mac_app_model.hpp"
#include "QuorvelMac/model/mac_settings_relaxation_protection_controller.hpp"
#include "QuorvelMac/ui/format/target_status.hpp"
#include "QuorvelMac/ui/kit/menu_button.hpp"
#include "QuorvelMac/ui/kit/status_pill.hpp"
#include "QuorvelMac/ui/kit/switch.hpp"
#include "QuorvelMac/ui/kit/theme.hpp"
#include "QuorvelMac/ui/kit/visible_ticker.hpp"
#include "QuorvelMac/ui/kit/widgets.hpp"
#include "QuorvelMac/ui/relaxation/relaxation_gate.hpp"

namespace quorvel::ui {

namespace {

// The icon at the given colour saturation (1 unchanged, 0.3 for a switched-off lock).
QPixmap saturated(const QIcon& icon, int side, double saturation) {
    QImage image = icon.pixmap(side, side).toImage().convertToFormat(QImage::Format_ARGB32);
    if (saturation >= 1.0) {
        return QPixmap::fromImage(image);
    }
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = line[x];
            const int grey = qGray(pixel);
            const auto mix = [&](int channel) {
                return static_cast<int>(grey + (channel - grey) * saturation);
            };
            line[x] = qRgba(mix(qRed(pixel)), mix(qGreen(pixel)), mix(qBlue(pixel)), qAlpha(pixel));
        }
    }
    return QPixmap::fromImage(image);
}

}  // namespace

ApplicationTargetCard::ApplicationTargetCard(MacAppModel& model,
                                             MacSettingsRelaxationProtectionController& controller,
                                             const ViewServices& services, std::string targetId,
                                             std::function<void(const MacLockTarget&)> onRemove,
                                             QWidget* parent)
    : Card(std::nullopt, parent),
      model_(model),
      controller_(controller),
      services_(services),
      targetId_(std::move(targetId)),
      onRemove_(std::move(onRemove)) {
    auto* row = new QHBoxLayout;
    row->setSpacing(14);
    icon_ = new QLabel(this);
    icon_->setFixedSize(44, 44);
    icon_->setAlignment(Qt::AlignCenter);
    row->addWidget(icon_, 0, Qt::AlignVCenter);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(4);
    name_ = theme::makeLabel({}, theme::TextStyle::headline, theme::Ink::primary, this);
    name_->setObjectName("name");
    texts->addWidget(name_);
    pill_ = new StatusPill(PillContent{}, this);
    texts->addWidget(pill_, 0, Qt::AlignLeft);
    row->addLayout(texts, 1);

    unlock_ = makeButton("解除申請", "iphone", ButtonStyle::bordered, this);
    row->addWidget(unlock_, 0, Qt::AlignVCenter);
    switch_ = new Switch(QString(), this);
    switch_->setAccessibleName("ロック");
    switch_->setToolTip("ロック");
    row->addWidget(switch_, 0, Qt::AlignVCenter);
    more_ = new MenuButton(theme::symbol("ellipsis.circle"), this);
    auto* menu = new QMenu(more_);
    QAction* remove = menu->addAction("ロック対象から外す");
    remove->setObjectName("remove");
    more_->setMenu(menu);
    row->addWidget(more_, 0, Qt::AlignVCenter);
    content()->addLayout(row);

    connect(unlock_, &QPushButton::clicked, this, [this] {
        if (const auto target = current()) {
            model_.requestUnlock(*target);
        }
    });
    connect(switch_, &QCheckBox::clicked, this, [this](bool checked) { switchLock(checked); });
    connect(remove, &QAction::triggered, this, [this] {
        if (const auto target = current(); target && onRemove_) {
            onRemove_(*target);
        }
    });
    // Only the pill follows the clock.
    ticker_ = new VisibleTicker(this, [this] { renderStatus(services_.clock->now()); });
    render();
}

std::optional<MacLockTarget> ApplicationTargetCard::current() const {
    for (const MacLockTarget& target : model_.targets()) {
        if (target.id == targetId_) {
            return target;
        }
    }
    return std::nullopt;
}

void ApplicationTargetCard::render() {
    const auto target = current();
    if (!target) {
        return;
    }
    const QIcon icon = services_.applicationIcon ? services_.applicationIcon(*target) : QIcon();
    const double saturation = target->enabled ? 1.0 : 0.3;
    theme::setPicture(icon_, [icon, saturation] {
        return saturated(icon.isNull() ? theme::symbol("app") : icon, 44, saturation);
    });
    name_->setText(qs(target->displayName));
    theme::setForeground(name_, target->enabled ? theme::Ink::primary : theme::Ink::secondary);
    unlock_->setEnabled(target->enabled);
    switch_->setChecked(target->enabled);
    renderStatus(services_.clock->now());
}

void ApplicationTargetCard::renderStatus(Date at) {
    if (const auto target = current()) {
        pill_->set(targetCardPill(target->enabled, model_.allowUntil(target->id), at));
    }
}

void ApplicationTargetCard::switchLock(bool enabled) {
    const auto target = current();
    if (!target) {
        return;
    }
    if (enabled) {
        model_.setMacAppTargetEnabled(target->id, true);
    } else {
        // The id is taken now: the held-back edit acts on it even if the list changes meanwhile.
        QPointer<MacAppModel> model(&model_);
        const std::string id = target->id;
        applyLoosening(controller_, target->displayName + "のロックを無効にする", [model, id] {
            if (model) {
                model->setMacAppTargetEnabled(id, false);
            }
        });
    }
    // The switch shows the model's value, also while the edit waits for its code.
    render();
}

}  // namespace quorvel::ui
