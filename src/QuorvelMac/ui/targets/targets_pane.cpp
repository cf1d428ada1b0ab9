#include "QuorvelMac/ui/targets/targets_pane.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "QuorvelMac/model/mac_app_model.hpp"
#include "QuorvelMac/model/mac_settings_relaxation_protection_controller.hpp"
#include "QuorvelMac/ui/format/target_status.hpp"
#include "QuorvelMac/ui/kit/card.hpp"
#include "QuorvelMac/ui/kit/card_section_heading.hpp"
#include "QuorvelMac/ui/kit/icon_chip.hpp"
#include "QuorvelMac/ui/kit/pane_layout.hpp"
#include "QuorvelMac/ui/kit/status_pill.hpp"
#include "QuorvelMac/ui/kit/theme.hpp"
#include "QuorvelMac/ui/kit/widgets.hpp"
#include "QuorvelMac/ui/relaxation/relaxation_gate.hpp"
#include "QuorvelMac/ui/targets/application_target_card.hpp"

namespace quorvel::ui {

namespace {

std::vector<MacLockTarget> ofKind(const std::vector<MacLockTarget>& targets,
                                  MacLockTarget::Kind kind) {
    std::vector<MacLockTarget> result;
    for (const MacLockTarget& target : targets) {
        if (target.kind == kind) {
            result.push_back(target);
        }
    }
    return result;
}

QWidget* emptyStateView(QWidget* parent) {
    auto* view = new QWidget(parent);
    view->setObjectName("emptyState");
    auto* stack = new QVBoxLayout(view);
    stack->setContentsMargins(0, 4, 0, 4);
    stack->setSpacing(6);
    auto* symbol = new QLabel(view);
    theme::setSymbol(symbol, "app.dashed", 36, theme::Ink::tertiary);
    symbol->setAlignment(Qt::AlignHCenter);
    auto* title = theme::makeLabel("ロックするアプリはありません", theme::TextStyle::title3,
                                   theme::Ink::primary, view);
    title->setFont(theme::font(theme::TextStyle::title3, QFont::DemiBold));
    title->setAlignment(Qt::AlignHCenter);
    auto* description =
        theme::makeLabel("「アプリを追加…」から、使いすぎを防ぎたいアプリを選んでください。",
                         theme::TextStyle::callout, theme::Ink::secondary, view);
    description->setAlignment(Qt::AlignHCenter);
    stack->addWidget(symbol);
    stack->addWidget(title);
    stack->addWidget(description);
    return view;
}

}  // namespace

TargetsPane::TargetsPane(MacAppModel& model, MacSettingsRelaxationProtectionController& controller,
                         const ViewServices& services, QWidget* parent)
    : QWidget(parent), model_(model), controller_(controller), services_(services) {
    auto* pane =
        PaneLayout::fill(this, "ロック対象",
                         QString("対象アプリそのものは隠さず、前面にある対象アプリのウィンドウだけ"
                                 "をロック画面で覆います。ほかのアプリには切り替えられます。"));
    QVBoxLayout* content = pane->content();

    warning_ = new TintedCard(theme::Ink::orange, pane);
    auto* warningTitle = new QHBoxLayout;
    auto* warningSymbol = new QLabel(warning_);
    theme::setSymbol(warningSymbol, "exclamationmark.triangle.fill", 18, theme::Ink::orange);
    warningTitle->addWidget(warningSymbol, 0, Qt::AlignTop);
    warningTitle->addWidget(
        theme::makeLabel("ウィンドウを覆うにはアクセシビリティ権限が必要です",
                         theme::TextStyle::headline, theme::Ink::orange, warning_),
        1);
    warning_->content()->addLayout(warningTitle);
    auto* warningButtons = new QHBoxLayout;
    warningButtons->setSpacing(10);
    auto* ask =
        makeButton("アクセシビリティを設定", "hand.raised", ButtonStyle::prominent, warning_);
    auto* open = makeButton("システム設定を開く", ButtonStyle::plain, warning_);
    warningButtons->addWidget(ask);
    warningButtons->addWidget(open);
    warningButtons->addStretch(1);
    warning_->content()->addLayout(warningButtons);
    connect(ask, &QPushButton::clicked, this,
            [this] { model_.refreshAccessibilityPermission(true); });
    connect(open, &QPushButton::clicked, this, [this] { model_.openAccessibilitySettings(); });
    content->addWidget(warning_);

    auto* header = new QHBoxLayout;
    header->addWidget(new CardSectionHeading("Macアプリ", pane), 0, Qt::AlignBottom);
    header->addStretch(1);
    add_ = makeButton("アプリを追加…", "plus", ButtonStyle::prominent, pane);
    header->addWidget(add_, 0, Qt::AlignBottom);
    content->addLayout(header);
    connect(add_, &QPushButton::clicked, this, [this] {
        // A cancelled picker gives an empty list, which the model ignores.
        const auto chosen = services_.chooseApplications ? services_.chooseApplications()
                                                         : std::vector<MacApplicationDescriptor>{};
        model_.addMacApplicationTargets(chosen);
    });

    message_ = theme::makeLabel({}, theme::TextStyle::callout, theme::Ink::secondary, pane);
    message_->setObjectName("selectionMessage");
    content->addWidget(message_);

    applications_ = new QVBoxLayout;
    applications_->setSpacing(14);
    content->addLayout(applications_);

    webSection_ = new QWidget(pane);
    auto* web = new QVBoxLayout(webSection_);
    web->setContentsMargins(0, 0, 0, 0);
    web->setSpacing(14);
    web->addWidget(new CardSectionHeading("Webサイト", webSection_));
    auto* webCard = new Card(QString("Webサイトのロック対象はiPhoneのPellorimアプリで管理されていま"
                                     "す。追加・変更はiPhoneから行ってください。"),
                             webSection_);
    webCard->content()->setSpacing(12);
    webRows_ = webCard->content();
    web->addWidget(webCard);
    content->addWidget(webSection_);

    storeError_ = theme::makeLabel({}, theme::TextStyle::body, theme::Ink::red, pane);
    storeError_->setObjectName("storeError");
    syncError_ = theme::makeLabel({}, theme::TextStyle::body, theme::Ink::red, pane);
    syncError_->setObjectName("syncError");
    content->addWidget(storeError_);
    content->addWidget(syncError_);

    connect(&model_, &MacAppModel::targetsChanged, this, [this] {
        // Every change of the list is saved while the pane is shown; the model signals only
        // real changes, so each change saves once.
        if (isVisible()) {
            model_.saveTargets();
        }
        redraw();
    });
    for (auto signal :
         {&MacAppModel::accessibilityPermissionGrantedChanged,
          &MacAppModel::applicationSelectionMessageChanged,
          &MacAppModel::webTargetsManagedByIOSChanged, &MacAppModel::targetStoreErrorChanged,
          &MacAppModel::targetSyncErrorChanged}) {
        connect(&model_, signal, this, [this] { redraw(); });
    }
    redraw();
}

void TargetsPane::redraw() {
    warning_->setVisible(!model_.accessibilityPermissionGranted());
    const auto& message = model_.applicationSelectionMessage();
    message_->setText(qs(message.value_or("")));
    message_->setVisible(message.has_value());
    redrawApplications();
    redrawWeb();
    const auto& storeError = model_.targetStoreError();
    storeError_->setText(qs(storeError.value_or("")));
    storeError_->setVisible(storeError.has_value());
    const auto& syncError = model_.targetSyncError();
    syncError_->setText(syncError ? "iPhoneとの同期エラー: " + qs(*syncError) : QString());
    syncError_->setVisible(syncError.has_value());
}

void TargetsPane::redrawApplications() {
    clearLayout(applications_);
    empty_ = nullptr;
    note_ = nullptr;
    const auto applications = ofKind(model_.targets(), MacLockTarget::Kind::macApp);
    QWidget* parent = add_->parentWidget();
    if (applications.empty()) {
        auto* card = new Card(std::nullopt, parent);
        empty_ = emptyStateView(card);
        card->content()->addWidget(empty_);
        applications_->addWidget(card);
        return;
    }
    for (const MacLockTarget& target : applications) {
        applications_->addWidget(new ApplicationTargetCard(
            model_, controller_, services_, target.id,
            [this](const MacLockTarget& shown) { askRemoval(shown); }, parent));
    }
    note_ = theme::makeLabel(
        "アプリ名とアイコンはこのMacの中だけに保存されます。解除時間とミッションはiPhone側の「Macア"
        "プリ共通設定」を使います。",
        theme::TextStyle::caption, theme::Ink::tertiary, parent);
    note_->setObjectName("note");
    applications_->addWidget(note_);
}

void TargetsPane::redrawWeb() {
    clearLayout(webRows_);
    const auto webTargets = ofKind(model_.targets(), MacLockTarget::Kind::webDomain);
    webSection_->setVisible(model_.webTargetsManagedByIOS() || !webTargets.empty());
    QWidget* card = webRows_->parentWidget();
    if (webTargets.empty()) {
        webRows_->addWidget(theme::makeLabel("同期されたWebサイトはまだありません",
                                             theme::TextStyle::body, theme::Ink::secondary, card));
        return;
    }
    for (const MacLockTarget& target : webTargets) {
        auto* row = new QHBoxLayout;
        row->setSpacing(12);
        row->addWidget(new IconChip("globe", theme::Ink::blue, 28, card), 0, Qt::AlignVCenter);
        auto* texts = new QVBoxLayout;
        texts->setSpacing(2);
        auto* name = theme::makeLabel(qs(target.displayName), theme::TextStyle::body,
                                      theme::Ink::primary, card);
        name->setObjectName("name");
        auto* domain = theme::makeLabel(qs(target.identifier), theme::TextStyle::caption,
                                        theme::Ink::secondary, card);
        domain->setObjectName("domain");
        texts->addWidget(name);
        texts->addWidget(domain);
        row->addLayout(texts, 1);
        row->addWidget(new StatusPill(webTargetPill(target.enabled), card), 0, Qt::AlignVCenter);
        webRows_->addLayout(row);
    }
}

std::vector<ApplicationTargetCard*> TargetsPane::cards() const {
    std::vector<ApplicationTargetCard*> result;
    for (int i = 0; i < applications_->count(); ++i) {
        if (auto* card = qobject_cast<ApplicationTargetCard*>(applications_->itemAt(i)->widget())) {
            result.push_back(card);
        }
    }
    return result;
}

void TargetsPane::askRemoval(const MacLockTarget& target) {
    pendingRemoval_ = target;
    if (dialog_) {
        dialog_->deleteLater();
    }
    dialog_ =
        new QMessageBox(QMessageBox::Warning, "このアプリをロック対象から外しますか？",
                        "このアプリをロック対象から外しますか？", QMessageBox::NoButton, this);
    QPushButton* remove =
        dialog_->addButton(actionText(target.displayName + "を外す"), QMessageBox::DestructiveRole);
    remove->setObjectName("remove");
    QPushButton* cancel = dialog_->addButton("キャンセル", QMessageBox::RejectRole);
    cancel->setObjectName("cancel");
    // The dialog's own handling of the click may end it (and clear the pending target) before
    // this runs, so the button carries the target it asks about.
    connect(remove, &QPushButton::clicked, this, [this, target] { removeGated(target); });
    // Any other way out of the dialog clears the pending target.
    connect(dialog_, &QMessageBox::finished, this, [this] { pendingRemoval_.reset(); });
    dialog_->open();
}

void TargetsPane::confirmRemoval() {
    if (pendingRemoval_) {
        removeGated(*pendingRemoval_);
    }
}

void TargetsPane::removeGated(MacLockTarget target) {
    pendingRemoval_.reset();
    QPointer<MacAppModel> model(&model_);
    const std::string id = target.id;
    applyLoosening(controller_, target.displayName + "を外す", [model, id] {
        if (model) {
            model->removeMacAppTarget(id);
        }
    });
    if (dialog_) {
        dialog_->close();
    }
}

void TargetsPane::cancelRemoval() {
    pendingRemoval_.reset();
    if (dialog_) {
        dialog_->close();
    }
}

}  // namespace quorvel::ui
