#include "QuorvelMac/ui/settings/settings_window.hpp"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "QuorvelMac/model/mac_app_model.hpp"
#include "QuorvelMac/ui/kit/switch.hpp"
#include "QuorvelMac/ui/kit/theme.hpp"
#include "QuorvelMac/ui/kit/widgets.hpp"

namespace quorvel::ui {

namespace {
// The product's web site; the pages are paths on it.
constexpr const char* webSite = "https://pellorim.app";
}  // namespace

const std::vector<WebLink>& quorvelWebLinks() {
    static const std::vector<WebLink> links{
        {"プロダクト詳細", "app.badge", QUrl(QString(webSite) + "/products/quorvel/")},
        {"使い方", "book", QUrl(QString(webSite) + "/products/quorvel/guide/")},
        {"サポート", "questionmark.circle", QUrl(QString(webSite) + "/products/quorvel/support/")},
        {"プライバシーポリシー", "hand.raised",
         QUrl(QString(webSite) + "/products/quorvel/privacy/")},
        {"利用規約", "doc.text", QUrl(QString(webSite) + "/products/quorvel/terms/")},
    };
    return links;
}

SettingsWindow::SettingsWindow(MacAppModel& model, const ViewServices& services, QWidget* parent)
    : QWidget(parent), model_(model) {
    setWindowTitle("設定");
    auto* form = new QVBoxLayout(this);
    form->setContentsMargins(20, 20, 20, 20);
    form->setSpacing(16);

    auto* general = new QGroupBox("一般", this);
    auto* generalRows = new QVBoxLayout(general);
    switch_ = new Switch("ログイン時に起動", general);
    error_ = theme::makeLabel({}, theme::TextStyle::body, theme::Ink::red, general);
    error_->setObjectName("loginItemError");
    generalRows->addWidget(switch_);
    generalRows->addWidget(error_);
    form->addWidget(general);

    auto* information = new QGroupBox("情報", this);
    auto* links = new QVBoxLayout(information);
    for (const WebLink& link : quorvelWebLinks()) {
        QPushButton* button =
            makeButton(link.title, link.systemImage, ButtonStyle::plain, information);
        button->setProperty("url", link.url);
        const QUrl url = link.url;
        connect(button, &QPushButton::clicked, this, [&services, url] {
            if (services.openUrl) {
                services.openUrl(url);
            }
        });
        links->addWidget(button);
    }
    form->addWidget(information);
    form->addStretch(1);

    // The switch keeps no value of its own: after a write it shows what the model read back.
    connect(switch_, &QCheckBox::clicked, this, [this](bool on) {
        model_.setLoginItemEnabled(on);
        render();
    });
    connect(&model_, &MacAppModel::loginItemEnabledChanged, this, [this] { render(); });
    connect(&model_, &MacAppModel::loginItemErrorChanged, this, [this] { render(); });
    render();
}

void SettingsWindow::render() {
    switch_->setChecked(model_.loginItemEnabled());
    const auto& error = model_.loginItemError();
    error_->setText(qs(error.value_or("")));
    error_->setVisible(error.has_value());
}

std::vector<QPushButton*> SettingsWindow::linkButtons() const {
    std::vector<QPushButton*> result;
    for (QPushButton* button : findChildren<QPushButton*>()) {
        if (button->property("url").isValid()) {
            result.push_back(button);
        }
    }
    return result;
}

void SettingsWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    model_.refreshLoginItemStatus();
    render();
}

}  // namespace quorvel::ui
