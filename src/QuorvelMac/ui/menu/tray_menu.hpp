#pragma once

// The tray icon's menu: whether setup is complete and how many applications are locked, the
// unlocked ones with their time left, unlock requests for locked ones, and opening the main
// window, the settings and quitting. No timer: every item is drawn again, for the clock's moment,
// each time the menu opens and whenever the model changes what it shows.
#include <functional>

#include <QMenu>

#include "QuorvelMac/ui/view_services.hpp"

namespace quorvel {
class MacAppModel;
}

namespace quorvel::ui {

class TrayMenu : public QMenu {
public:
    TrayMenu(MacAppModel& model, const ViewServices& services, std::function<void()> openMainWindow,
             std::function<void()> openSettings, QWidget* parent = nullptr);

    // Rebuilds every item for the moment `at`.
    void redraw(Date at);
    QMenu* requestMenu() const { return requests_; }

private:
    void addStatusSection(Date at);
    void addRequestSection(Date at);

    MacAppModel& model_;
    const ViewServices& services_;
    std::function<void()> openMainWindow_;
    std::function<void()> openSettings_;
    QMenu* requests_ = nullptr;
};

}  // namespace quorvel::ui
