#pragma once

// The application's main window: the sidebar of the four panes with their warning marks, the
// session banner above the selected pane while an editing session is open, and the challenge
// sheet while a challenge is pending. Its only state is the selected pane.
#include <QWidget>

#include "QuorvelMac/ui/navigation/sidebar_item.hpp"
#include "QuorvelMac/ui/view_services.hpp"

class QFrame;
class QListWidget;
class QMenu;
class QToolButton;
class QStackedWidget;

namespace quorvel {
class MacAppModel;
class MacSettingsRelaxationProtectionController;
}  // namespace quorvel

namespace quorvel::ui {

class SettingsRelaxationChallengeSheet;
class SettingsRelaxationSessionBanner;
class SidebarSelection;

class MainWindow : public QWidget {
public:
    MainWindow(MacAppModel& model, MacSettingsRelaxationProtectionController& controller,
               const ViewServices& services, QWidget* parent = nullptr);

    SidebarSelection& selection() const { return *selection_; }
    QWidget* shownPane() const;
    QWidget* pane(SidebarItem item) const;
    QListWidget* sidebar() const { return sidebar_; }
    bool sidebarShowsWarning(SidebarItem item) const;
    SettingsRelaxationSessionBanner* banner() const { return banner_; }
    SettingsRelaxationChallengeSheet* sheet() const { return sheet_; }
    // Puts the tray menu under the sidebar too, for desktops that show no tray.
    void setActionsMenu(QMenu* menu);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void redrawSidebar();
    void followSelection();
    void followSession();
    void followChallenge();

    MacAppModel& model_;
    MacSettingsRelaxationProtectionController& controller_;
    SidebarSelection* selection_;
    QListWidget* sidebar_;
    QToolButton* actions_;
    SettingsRelaxationSessionBanner* banner_;
    QFrame* bannerDivider_;
    QStackedWidget* panes_;
    SettingsRelaxationChallengeSheet* sheet_ = nullptr;
};

}  // namespace quorvel::ui
