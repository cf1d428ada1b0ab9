#include "QuorvelMac/ui/overview/setup_checklist.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "QuorvelMac/model/mac_app_model.hpp"
#include "QuorvelMac/ui/format/target_status.hpp"
#include "QuorvelMac/ui/kit/application_icon.hpp"
#include "QuorvelMac/ui/kit/card.hpp"
#include "QuorvelMac/ui/kit/pane_layout.hpp"
#include "QuorvelMac/ui/kit/theme.hpp"
#include "QuorvelMac/ui/kit/widgets.hpp"
#include "QuorvelMac/ui/navigation/sidebar_selection.hpp"

namespace quorvel::ui {

namespace {

// The open step's number in a thin circle.
QPixmap numberBadge(int number, const QFont& font) {
    QPixmap badge(28 * 2, 28 * 2);
    badge.setDevicePixelRatio(2);
    badge.fill(Qt::transparent);
    QPainter painter(&badge);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(theme::tertiary(), 1.5));
    painter.drawEllipse(QRectF(0.75, 0.75, 26.5, 26.5));
    painter.setFont(font);
    painter.setPen(theme::secondary());
    painter.drawText(QRectF(0, 0, 28, 28), Qt::AlignCenter, QString::number(number));
    return badge;
}

}  // namespace

SetupStepRow::SetupStepRow(std::optional<int> number, const QString& title, const QString& detail,
                           bool isDone, const std::vector<QPushButton*>& actions, QWidget* parent)
    : QWidget(parent), isDone_(isDone), badge_(new QLabel(this)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(14);
    badge_->setFixedSize(28, 28);
    badge_->setAlignment(Qt::AlignCenter);
    if (isDone) {
        theme::setSymbol(badge_, "checkmark.circle.fill", 24, theme::Ink::green);
    } else if (number) {
        const QFont font = theme::font(theme::TextStyle::callout, QFont::DemiBold);
        theme::setPicture(badge_, [number = *number, font] { return numberBadge(number, font); });
        badge_->setProperty("number", *number);
    } else {
        theme::setSymbol(badge_, "circle.dashed", 24, theme::Ink::tertiary);
    }
    row->addWidget(badge_, 0, Qt::AlignTop);

    auto* stack = new QVBoxLayout;
    stack->setSpacing(5);
    title_ = theme::makeLabel(title, theme::TextStyle::headline,
                              isDone ? theme::Ink::secondary : theme::Ink::primary, this);
    title_->setObjectName("stepTitle");
    stack->addWidget(title_);
    auto* detailLabel =
        theme::makeLabel(detail, theme::TextStyle::callout, theme::Ink::secondary, this);
    detailLabel->setObjectName("stepDetail");
    stack->addWidget(detailLabel);
    if (!isDone) {
        auto* buttons = new QHBoxLayout;
        buttons->setSpacing(10);
        buttons->setContentsMargins(0, 3, 0, 0);
        for (QPushButton* button : actions) {
            button->setParent(this);
            buttons->addWidget(button);
        }
        buttons->addStretch(1);
        stack->addLayout(buttons);
    } else {
        for (QPushButton* button : actions) {
            delete button;
        }
    }
    row->addLayout(stack, 1);
}

std::vector<QPushButton*> SetupStepRow::actions() const {
    const auto found = findChildren<QPushButton*>(QString(), Qt::FindDirectChildrenOnly);
    return {found.begin(), found.end()};
}

SetupChecklistView::SetupChecklistView(MacAppModel& model, SidebarSelection& selection,
                                       const ViewServices& services, QWidget* parent)
    : QScrollArea(parent), model_(model), selection_(selection), services_(services) {
    QVBoxLayout* column = installCentredColumn(this);
    QWidget* holder = column->parentWidget();

    auto* header = new QHBoxLayout;
    header->setSpacing(16);
    header->setContentsMargins(0, 0, 0, 8);
    auto* icon = new QLabel(holder);
    icon->setFixedSize(56, 56);
    icon->setObjectName("applicationIcon");
    const QIcon own =
        services_.applicationOwnIcon.isNull() ? applicationIcon() : services_.applicationOwnIcon;
    icon->setPixmap(own.pixmap(QSize(56, 56), devicePixelRatioF()));
    header->addWidget(icon, 0, Qt::AlignVCenter);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(4);
    auto* welcome = new QLabel("ようこそ", holder);
    welcome->setFont(theme::systemFont(26, QFont::Bold));
    headline_ = theme::makeLabel({}, theme::TextStyle::callout, theme::Ink::secondary, holder);
    headline_->setObjectName("headline");
    texts->addWidget(welcome);
    texts->addWidget(headline_);
    header->addLayout(texts, 1);
    column->addLayout(header);

    auto* first = new Card(std::nullopt, holder);
    first->content()->setSpacing(22);
    steps_ = first->content();
    column->addWidget(first);
    auto* second = new Card(std::nullopt, holder);
    optional_ = second->content();
    column->addWidget(second);
    column->addStretch(1);

    connect(&model_, &MacAppModel::setupStatusChanged, this, [this] { redraw(); });
    connect(&model_, &MacAppModel::applicationSelectionMessageChanged, this, [this] { redraw(); });
    redraw();
}

SetupStepRow* SetupChecklistView::makeRow(int index) {
    const MacSetupStatus status = model_.setupStatus();
    auto* parent = steps_->parentWidget();
    switch (index) {
        case 0: {
            auto* ask = makeButton("許可を求める", ButtonStyle::prominent);
            auto* open = makeButton("システム設定を開く", ButtonStyle::bordered);
            connect(ask, &QPushButton::clicked, this,
                    [this] { model_.refreshAccessibilityPermission(true); });
            connect(open, &QPushButton::clicked, this,
                    [this] { model_.openAccessibilitySettings(); });
            return new SetupStepRow(1, "アクセシビリティ権限を許可",
                                    "ロック対象アプリのウィンドウを覆うために必要です。ほかの操作の"
                                    "監視や記録には使いません。",
                                    status.accessibilityPermissionGranted, {ask, open}, parent);
        }
        case 1: {
            auto* go = makeButton("ペアリングへ", ButtonStyle::prominent);
            connect(go, &QPushButton::clicked, this,
                    [this] { selection_.set(SidebarItem::pairing); });
            return new SetupStepRow(2, "iPhoneとペアリング",
                                    "ロック解除の承認はiPhoneのPellorimアプリで行います。QRコードを"
                                    "読み取ってつなぎます。",
                                    status.iPhonePaired, {go}, parent);
        }
        case 2: {
            auto* choose = makeButton("アプリを選ぶ…", ButtonStyle::prominent);
            auto* later = makeButton("あとで選ぶ", ButtonStyle::bordered);
            connect(choose, &QPushButton::clicked, this, [this] {
                const auto chosen = services_.chooseApplications
                                        ? services_.chooseApplications()
                                        : std::vector<MacApplicationDescriptor>{};
                model_.addMacApplicationTargets(chosen);
            });
            connect(later, &QPushButton::clicked, this, [this] {
                model_.finishAppSelectionStep();
                model_.setApplicationSelectionMessage(std::nullopt);
            });
            return new SetupStepRow(
                3, "ロックするアプリを追加",
                "アプリケーションフォルダから、使いすぎを防ぎたいアプリを選びます。",
                status.appSelectionStepFinished, {choose, later}, parent);
        }
        default: {
            auto* chrome = makeButton("Chromeの設定へ", ButtonStyle::bordered);
            connect(chrome, &QPushButton::clicked, this,
                    [this] { selection_.set(SidebarItem::chrome); });
            return new SetupStepRow(std::nullopt, "Chromeでも使う（任意）",
                                    "Chrome拡張を入れると、Webサイトも同じ仕組みでロックできます。",
                                    status.chromeConnected, {chrome}, optional_->parentWidget());
        }
    }
}

void SetupChecklistView::redraw() {
    headline_->setText(qs(setupHeadline(model_.setupStatus().remainingRequiredSteps())));
    clearLayout(steps_);
    clearLayout(optional_);
    rows_.clear();
    for (int i = 0; i < 3; ++i) {
        rows_.push_back(makeRow(i));
        steps_->addWidget(rows_.back());
    }
    message_ = nullptr;
    if (const auto& message = model_.applicationSelectionMessage()) {
        message_ = theme::makeLabel(qs(*message), theme::TextStyle::callout, theme::Ink::secondary,
                                    steps_->parentWidget());
        message_->setObjectName("selectionMessage");
        steps_->addWidget(message_);
    }
    rows_.push_back(makeRow(3));
    optional_->addWidget(rows_.back());
}

}  // namespace quorvel::ui
