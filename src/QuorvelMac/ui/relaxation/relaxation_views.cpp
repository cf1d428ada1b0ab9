#include "QuorvelMac/ui/relaxation/relaxation_views.hpp"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "QuorvelMac/model/mac_settings_relaxation_protection_controller.hpp"
#include "QuorvelMac/ui/kit/theme.hpp"
#include "QuorvelMac/ui/kit/widgets.hpp"
#include "QuorvelMac/ui/relaxation/manual_alphanumeric_text_field.hpp"
#include "QuorvelShared/policy/random_alphanumeric_challenge.hpp"

namespace quorvel::ui {

SettingsRelaxationSessionBanner::SettingsRelaxationSessionBanner(
    MacSettingsRelaxationProtectionController& controller, QWidget* parent)
    : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(18, 10, 18, 10);
    row->setSpacing(12);
    auto* symbol = new QLabel(this);
    theme::setSymbol(symbol, "lock.open.fill", 20, theme::Ink::primary);
    row->addWidget(symbol, 0, Qt::AlignVCenter);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    auto* title = theme::makeLabel("ロックをゆるくする変更ができます",
                                   theme::TextStyle::subheadline, theme::Ink::primary, this);
    title->setFont(theme::font(theme::TextStyle::subheadline, QFont::DemiBold));
    texts->addWidget(title);
    texts->addWidget(theme::makeLabel(
        "設定ウィンドウを閉じるか、別のアプリへ移動すると、再び確認コードが必要です。",
        theme::TextStyle::caption, theme::Ink::secondary, this));
    row->addLayout(texts, 1);
    end_ = makeButton("今すぐ終了", ButtonStyle::bordered, this);
    row->addWidget(end_, 0, Qt::AlignVCenter);
    connect(end_, &QPushButton::clicked, this,
            [&controller] { controller.setEditingSessionActive(false); });
}

void SettingsRelaxationSessionBanner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QColor fill = theme::orange();
    fill.setAlphaF(0.12);
    painter.fillRect(rect(), fill);
}

QString SettingsRelaxationChallengeSheet::displayedCode(const std::string& code) {
    QStringList groups;
    for (const std::string& group : RandomAlphanumericChallenge::displayGroups(code)) {
        groups << qs(group);
    }
    return groups.join(' ');
}

SettingsRelaxationChallengeSheet::SettingsRelaxationChallengeSheet(
    MacSettingsRelaxationProtectionController& controller, QWidget* parent)
    : QDialog(parent), controller_(controller) {
    setWindowTitle("確認コード");
    setFixedWidth(480);
    setModal(true);
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(24, 24, 24, 24);
    stack->setSpacing(18);
    stack->setSizeConstraint(QLayout::SetFixedSize);
    const auto& pending = controller_.pendingChallenge();
    if (!pending) {
        stack->addSpacing(0);
        return;
    }
    const std::string expected = pending->code;

    auto* heading = new QLabel("確認コード", this);
    heading->setFont(theme::font(theme::TextStyle::title2, QFont::DemiBold));
    stack->addWidget(heading);

    auto* about = new QVBoxLayout;
    about->setSpacing(4);
    about->addWidget(theme::makeLabel(qs(pending->title), theme::TextStyle::headline,
                                      theme::Ink::primary, this));
    about->addWidget(theme::makeLabel(qs(pending->changeDescription), theme::TextStyle::body,
                                      theme::Ink::secondary, this));
    stack->addLayout(about);

    // Shown to be read and typed: no selection, no copy, no context menu.
    code_ = new QLabel(displayedCode(expected), this);
    code_->setObjectName("challengeCode");
    code_->setTextFormat(Qt::PlainText);
    code_->setTextInteractionFlags(Qt::NoTextInteraction);
    code_->setContextMenuPolicy(Qt::PreventContextMenu);
    code_->setFont(
        theme::monospacedFont(theme::font(theme::TextStyle::title3).pointSizeF(), QFont::DemiBold));
    code_->setAlignment(Qt::AlignCenter);
    code_->setMinimumWidth(480 - 48);
    code_->setAccessibleName(qs(expected));
    stack->addWidget(code_);

    input_ = new ManualAlphanumericTextField("ここに入力", this);
    input_->setFixedHeight(28);
    stack->addWidget(input_);
    stack->addWidget(theme::makeLabel("大文字と小文字を区別します。空白は入力しません。",
                                      theme::TextStyle::caption, theme::Ink::secondary, this));

    auto* buttons = new QHBoxLayout;
    cancel_ = makeButton("キャンセル", ButtonStyle::bordered, this);
    confirm_ = makeButton("設定をゆるめる", ButtonStyle::prominent, this);
    confirm_->setEnabled(false);
    buttons->addWidget(cancel_);
    buttons->addStretch(1);
    buttons->addWidget(confirm_);
    stack->addLayout(buttons);

    connect(input_, &QLineEdit::textChanged, this, [this, expected](const QString& text) {
        confirm_->setEnabled(text.toStdString() == expected);
    });
    connect(cancel_, &QPushButton::clicked, this, [this] {
        closingByButton_ = true;
        controller_.setPendingChallenge(std::nullopt);
        reject();
    });
    connect(confirm_, &QPushButton::clicked, this, [this] {
        if (controller_.confirm(input_->text().toStdString())) {
            closingByButton_ = true;
            accept();
        }
    });
}

void SettingsRelaxationChallengeSheet::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void SettingsRelaxationChallengeSheet::closeEvent(QCloseEvent* event) {
    if (!closingByButton_ && controller_.pendingChallenge()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace quorvel::ui
