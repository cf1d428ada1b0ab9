#include "QuorvelMac/ui/panes/pairing_pane.hpp"

#include <QDateTime>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include "QuorvelMac/model/mac_app_model.hpp"
#include "QuorvelMac/ui/format/connection_texts.hpp"
#include "QuorvelMac/ui/kit/card.hpp"
#include "QuorvelMac/ui/kit/pane_layout.hpp"
#include "QuorvelMac/ui/kit/status_pill.hpp"
#include "QuorvelMac/ui/kit/theme.hpp"
#include "QuorvelMac/ui/kit/widgets.hpp"
#include "QuorvelMac/ui/kit/wrap_row.hpp"
#include "QuorvelMac/ui/qr/pairing_qr_panel.hpp"

namespace quorvel::ui {

PillContent pairingStatusPill(const PairingState& pairing) {
    const PairingStatusPresentation presentation(pairing);
    switch (presentation.tone) {
        case PairingStatusPresentation::Tone::connected:
            return {presentation.connectionTitle, Tone::positive, "checkmark.circle.fill"};
        case PairingStatusPresentation::Tone::pending:
            return {presentation.connectionTitle, Tone::warning, "clock.fill"};
        case PairingStatusPresentation::Tone::expired:
            return {presentation.connectionTitle, Tone::critical, "exclamationmark.circle.fill"};
        case PairingStatusPresentation::Tone::idle:
            break;
    }
    return {presentation.connectionTitle, Tone::neutral, "iphone"};
}

std::vector<PairingInfoRow> pairingDetailRows(const PairingState& pairing,
                                              const BluetoothStatus& bluetooth) {
    const PairingStatusPresentation presentation(pairing);
    const bool paired = pairing.pairedIPhoneName.has_value();
    std::vector<PairingInfoRow> rows{
        {"iPhone", pairing.pairedIPhoneName.value_or("未登録")},
        {"登録状態", presentation.connectionTitle},
        {"Bluetooth接続", bluetoothStatusPill(bluetooth).text},
    };
    if (presentation.sessionTitle) {
        rows.push_back({paired ? "再設定" : "コード状態", *presentation.sessionTitle});
        if (pairing.expiresAt) {
            const QDateTime expiry = QDateTime::fromMSecsSinceEpoch(
                static_cast<qint64>(pairing.expiresAt->unixSeconds() * 1000.0));
            rows.push_back(
                {"コード期限", QLocale()
                                   .toString(expiry.toLocalTime().time(), QLocale::ShortFormat)
                                   .toStdString()});
        }
    }
    return rows;
}

PairingPane::PairingPane(MacAppModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    auto* pane = PaneLayout::fill(this, "ペアリング", std::nullopt);

    // The pills lead and the buttons end the row; in a narrow column the buttons go below.
    auto* top = new WrapRow(12);
    statusPill_ = new StatusPill(PillContent{}, pane);
    bluetoothPill_ = new StatusPill(PillContent{}, pane);
    refresh_ = makeButton("更新", "arrow.clockwise", ButtonStyle::bordered, pane);
    pairingButton_ = makeButton("ペアリング開始", "link", ButtonStyle::prominent, pane);
    top->addLeading(statusPill_);
    top->addLeading(bluetoothPill_);
    top->addTrailing(refresh_);
    top->addTrailing(pairingButton_);
    pane->content()->addLayout(top);
    connect(refresh_, &QPushButton::clicked, this, [this] { model_.refreshPairingStatus(); });
    connect(pairingButton_, &QPushButton::clicked, this, [this] { model_.startPairing(); });

    auto* lower = lower_ = new QHBoxLayout;
    lower->setSpacing(20);
    qrPanel_ = new PairingQRPanel([this] { model_.startPairing(); }, pane);
    qrPanel_->setFixedWidth(300);
    lower->addWidget(qrPanel_, 0, Qt::AlignTop);
    auto* card = new Card(std::nullopt, pane);
    card->content()->setSpacing(16);
    heading_ = theme::makeLabel({}, theme::TextStyle::title3, theme::Ink::primary, card);
    heading_->setFont(theme::font(theme::TextStyle::title3, QFont::DemiBold));
    instructions_ = theme::makeLabel({}, theme::TextStyle::callout, theme::Ink::secondary, card);
    auto* divider = new QFrame(card);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Plain);
    theme::setForeground(divider, theme::Ink::separator);
    rows_ = new QVBoxLayout;
    rows_->setSpacing(12);
    errorRow_ = makeSymbolLabel({}, "exclamationmark.triangle", theme::Ink::red, card);
    error_ = errorRow_->findChild<QLabel*>("message");
    error_->setFont(theme::font(theme::TextStyle::callout));
    card->content()->addWidget(heading_);
    card->content()->addWidget(instructions_);
    card->content()->addWidget(divider);
    card->content()->addLayout(rows_);
    card->content()->addWidget(errorRow_);
    lower->addWidget(card, 1, Qt::AlignTop);
    pane->content()->addLayout(lower);

    const auto refresh = [this] { render(model_.pairing(), model_.bluetoothStatus()); };
    connect(&model_, &MacAppModel::pairingChanged, this, refresh);
    connect(&model_, &MacAppModel::bluetoothStatusChanged, this, refresh);
    refresh();
}

void PairingPane::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The column's inside: at most 700 wide less its padding and a scroll bar's width.
    const int inside = std::min(width(), PaneLayout::maximumColumnWidth) - 2 * 28 - 16;
    const int sideBySide = qrPanel_->width() + lower_->spacing() + 320;
    lower_->setDirection(inside < sideBySide ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight);
}

void PairingPane::render(const PairingState& pairing, const BluetoothStatus& bluetooth) {
    const PairingStatusPresentation presentation(pairing);
    const bool paired = pairing.pairedIPhoneName.has_value();
    statusPill_->set(pairingStatusPill(pairing));
    bluetoothPill_->set(bluetoothStatusPill(bluetooth));
    refresh_->setEnabled(presentation.isSessionUsable);
    pairingButton_->setText(qs(pairingButtonTitle(pairing.sessionId.has_value(), paired)));
    qrPanel_->render(pairing);
    heading_->setText(paired ? "iPhoneとのペアリング" : "iPhoneで読み取る");
    instructions_->setText(
        qs(pairingInstructions(presentation.isSessionExpired, paired, pairing.qrURL.has_value())));

    clearLayout(rows_);
    for (const PairingInfoRow& row : pairingDetailRows(pairing, bluetooth)) {
        auto* grid = new QGridLayout;
        grid->setHorizontalSpacing(14);
        grid->setVerticalSpacing(0);
        auto* title =
            theme::makeLabel(qs(row.title), theme::TextStyle::callout, theme::Ink::secondary, this);
        title->setFixedWidth(108);
        title->setObjectName("rowTitle");
        auto* value =
            theme::makeLabel(qs(row.value), theme::TextStyle::callout, theme::Ink::primary, this);
        value->setObjectName("rowValue");
        value->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        value->setMaximumHeight(value->fontMetrics().lineSpacing() * 2 + 8);
        grid->addWidget(title, 0, 0, Qt::AlignLeft | Qt::AlignTop);
        grid->addWidget(value, 0, 1, Qt::AlignTop);
        grid->setColumnStretch(1, 1);
        rows_->addLayout(grid);
    }

    error_->setText(qs(pairing.error.value_or("")));
    errorRow_->setVisible(pairing.error.has_value());
}

std::vector<PairingInfoRow> PairingPane::shownRows() const {
    std::vector<PairingInfoRow> shown;
    for (int i = 0; i < rows_->count(); ++i) {
        auto* grid = qobject_cast<QGridLayout*>(rows_->itemAt(i)->layout());
        if (!grid) {
            continue;
        }
        auto* title = qobject_cast<QLabel*>(grid->itemAtPosition(0, 0)->widget());
        auto* value = qobject_cast<QLabel*>(grid->itemAtPosition(0, 1)->widget());
        shown.push_back({title->text().toStdString(), value->text().toStdString()});
    }
    return shown;
}

}  // namespace quorvel::ui
