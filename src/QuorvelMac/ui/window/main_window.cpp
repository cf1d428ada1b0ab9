#include "QuorvelMac/ui/window/main_window.hpp"

#include <QFrame>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QSplitter>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <utility>

#include "QuorvelMac/model/mac_app_model.hpp"
#include "QuorvelMac/model/mac_settings_relaxation_protection_controller.hpp"
#include "QuorvelMac/ui/format/attention.hpp"
#include "QuorvelMac/ui/kit/menu_button.hpp"
#include "QuorvelMac/ui/kit/theme.hpp"
#include "QuorvelMac/ui/kit/widgets.hpp"
#include "QuorvelMac/ui/navigation/sidebar_selection.hpp"
#include "QuorvelMac/ui/overview/overview_dashboard.hpp"
#include "QuorvelMac/ui/overview/overview_pane.hpp"
#include "QuorvelMac/ui/panes/chrome_pane.hpp"
#include "QuorvelMac/ui/panes/pairing_pane.hpp"
#include "QuorvelMac/ui/relaxation/relaxation_views.hpp"
#include "QuorvelMac/ui/targets/targets_pane.hpp"

namespace quorvel::ui {

namespace {

constexpr int paneIndex(SidebarItem item) {
    return static_cast<int>(item);
}

// One sidebar row: symbol and title (in the highlighted text colour on the selected row), and
// the orange mark when the area needs the user.
QWidget* sidebarLabel(const SidebarRow& row, bool showsWarning, bool selected, QWidget* parent) {
    const theme::Ink ink = selected ? theme::Ink::onAccent : theme::Ink::primary;
    auto* label = new QWidget(parent);
    auto* layout = new QHBoxLayout(label);
    layout->setContentsMargins(8, 4, 8, 4);
    auto* symbol = new QLabel(label);
    theme::setSymbol(symbol, qs(row.systemImage), 16, ink);
    layout->addWidget(symbol);
    auto* title = new QLabel(qs(row.title), label);
    title->setObjectName("title");
    theme::setForeground(title, ink);
    layout->addWidget(title, 1);
    if (showsWarning) {
        auto* mark = new QLabel(label);
        mark->setObjectName("warning");
        mark->setAccessibleName("要対応");
        mark->setToolTip("要対応");
        theme::setSymbol(mark, "exclamationmark.circle.fill", 14, theme::Ink::orange);
        layout->addWidget(mark);
    }
    return label;
}

}  // namespace

MainWindow::MainWindow(MacAppModel& model, MacSettingsRelaxationProtectionController& controller,
                       const ViewServices& services, QWidget* parent)
    : QWidget(parent),
      model_(model),
      controller_(controller),
      selection_(new SidebarSelection(this)) {
    resize(980, 700);
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* split = new QSplitter(Qt::Horizontal, this);
    // The sidebar keeps its 180 when dragged narrow: never collapsed, gear button included.
    split->setChildrenCollapsible(false);
    outer->addWidget(split);

    auto* side = new QWidget(split);
    side->setMinimumWidth(180);
    auto* sideColumn = new QVBoxLayout(side);
    sideColumn->setContentsMargins(0, 0, 0, 6);
    sidebar_ = new QListWidget(side);
    sidebar_->setFrameShape(QFrame::NoFrame);
    // The selected row: the accent under the palette's highlighted text, readable at 4.5:1.
    theme::setInks(sidebar_, {{QPalette::All, QPalette::Highlight, theme::Ink::accent},
                              {QPalette::All, QPalette::HighlightedText, theme::Ink::onAccent}});
    for (const SidebarRow& row : sidebarRows()) {
        // The row's text is drawn by its item widget; assistive technology reads it here.
        auto* item = new QListWidgetItem;
        item->setData(Qt::AccessibleTextRole, qs(row.title));
        sidebar_->addItem(item);
    }
    sideColumn->addWidget(sidebar_, 1);
    actions_ = new MenuButton(theme::symbol("gearshape"), side);
    actions_->setToolTip("Pellorim");
    actions_->setAccessibleName("Pellorim");
    actions_->hide();
    sideColumn->addWidget(actions_, 0, Qt::AlignLeft);
    split->addWidget(side);

    auto* detail = new QWidget(split);
    auto* column = new QVBoxLayout(detail);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    banner_ = new SettingsRelaxationSessionBanner(controller_, detail);
    bannerDivider_ = new QFrame(detail);
    bannerDivider_->setFrameShape(QFrame::HLine);
    bannerDivider_->setFrameShadow(QFrame::Plain);
    theme::setForeground(bannerDivider_, theme::Ink::separator);
    column->addWidget(banner_);
    column->addWidget(bannerDivider_);
    panes_ = new QStackedWidget(detail);
    panes_->addWidget(new OverviewPane(model_, *selection_, services, panes_));
    panes_->addWidget(new TargetsPane(model_, controller_, services, panes_));
    panes_->addWidget(new ChromePane(model_, panes_));
    panes_->addWidget(new PairingPane(model_, panes_));
    column->addWidget(panes_, 1);
    split->addWidget(detail);
    split->setStretchFactor(1, 1);
    split->setSizes({210, 770});

    connect(sidebar_, &QListWidget::currentRowChanged, this, [this](int row) {
        selection_->set(row < 0 ? std::nullopt
                                : std::optional<SidebarItem>(sidebarRows()[row].item));
    });
    // Ctrl+click on the selected row deselects it and leaves it current: no selection.
    connect(sidebar_, &QListWidget::itemSelectionChanged, this, [this] {
        if (sidebar_->selectedItems().isEmpty()) {
            selection_->set(std::nullopt);
        }
        redrawSidebar();
    });
    connect(selection_, &SidebarSelection::changed, this, [this] { followSelection(); });
    for (auto signal : {&MacAppModel::accessibilityPermissionGrantedChanged,
                        &MacAppModel::nativeHostInstallErrorChanged, &MacAppModel::pairingChanged,
                        &MacAppModel::bluetoothStatusChanged}) {
        connect(&model_, signal, this, [this] { redrawSidebar(); });
    }
    connect(&controller_, &MacSettingsRelaxationProtectionController::isEditingSessionActiveChanged,
            this, [this] { followSession(); });
    connect(&controller_, &MacSettingsRelaxationProtectionController::pendingChallengeChanged, this,
            [this] { followChallenge(); });
    redrawSidebar();
    followSelection();
    followSession();
}

void MainWindow::setActionsMenu(QMenu* menu) {
    actions_->setMenu(menu);
    actions_->setVisible(menu != nullptr);
}

QWidget* MainWindow::pane(SidebarItem item) const {
    return panes_->widget(paneIndex(item));
}
QWidget* MainWindow::shownPane() const {
    return panes_->currentWidget();
}

bool MainWindow::sidebarShowsWarning(SidebarItem item) const {
    QWidget* label = sidebar_->itemWidget(sidebar_->item(paneIndex(item)));
    return label && label->findChild<QLabel*>("warning") != nullptr;
}

void MainWindow::redrawSidebar() {
    const AttentionFacts facts = attentionFacts(model_);
    for (const SidebarRow& row : sidebarRows()) {
        QListWidgetItem* item = sidebar_->item(paneIndex(row.item));
        const bool warning = ui::sidebarShowsWarning(row.item, facts);
        QWidget* label = sidebarLabel(row, warning, item->isSelected(), sidebar_);
        item->setSizeHint(label->sizeHint());
        sidebar_->setItemWidget(item, label);
        // Screen readers see the row, not the widget that draws it: the row says the same.
        item->setData(Qt::AccessibleTextRole,
                      qs(row.title) + (warning ? QStringLiteral("（要対応）") : QString()));
    }
}

void MainWindow::followSelection() {
    const std::optional<SidebarItem> value = selection_->value();
    const int row = value ? paneIndex(*value) : -1;
    if (sidebar_->currentRow() != row) {
        sidebar_->setCurrentRow(row);
    }
    // No selection shows the overview; there is no empty state.
    panes_->setCurrentIndex(paneIndex(selection_->shownPane()));
    const SidebarItem shown = selection_->shownPane();
    setWindowTitle(qs(sidebarRows()[paneIndex(shown)].title));
}

void MainWindow::followSession() {
    const bool open = controller_.isEditingSessionActive();
    banner_->setVisible(open);
    bannerDivider_->setVisible(open);
}

void MainWindow::followChallenge() {
    // The sheet in front is let go before it is ended, so its own end handler finds nothing.
    const auto dismiss = [this] {
        if (SettingsRelaxationChallengeSheet* sheet = std::exchange(sheet_, nullptr)) {
            sheet->done(QDialog::Rejected);
            sheet->deleteLater();
        }
    };
    if (!controller_.pendingChallenge()) {
        // Cleared from anywhere: the sheet goes, and nothing is applied.
        dismiss();
        return;
    }
    // A new challenge replaces the old one: a new sheet with empty input.
    dismiss();
    sheet_ = new SettingsRelaxationChallengeSheet(controller_, this);
    QPointer<SettingsRelaxationChallengeSheet> opened(sheet_);
    connect(sheet_, &QDialog::finished, this, [this, opened] {
        if (opened && opened == sheet_) {
            std::exchange(sheet_, nullptr)->deleteLater();
        }
    });
    sheet_->open();
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    QPointer<MainWindow> self(this);
    QTimer::singleShot(0, this, [self] {
        if (self) {
            self->model_.refreshNativeHostStatus();
        }
    });
}

void MainWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // Closing the window ends an open editing session, and the window comes back as a new one
    // would, at the overview. (Minimising hides it spontaneously and changes nothing.)
    if (!event->spontaneous()) {
        controller_.setEditingSessionActive(false);
        selection_->set(SidebarItem::overview);
    }
}

}  // namespace quorvel::ui
