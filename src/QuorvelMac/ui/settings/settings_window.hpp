#pragma once

// The settings window: launching at login (mirroring the real autostart state, with the last
// failure in red) and five links to the product's web pages.
#include <QUrl>
#include <QWidget>

#include "QuorvelMac/ui/view_services.hpp"

class QCheckBox;
class QLabel;
class QPushButton;

namespace quorvel {
class MacAppModel;
}

namespace quorvel::ui {

struct WebLink {
    const char* title;
    const char* systemImage;
    QUrl url;
};

// The five pages, in the order the window lists them.
const std::vector<WebLink>& quorvelWebLinks();

class SettingsWindow : public QWidget {
public:
    SettingsWindow(MacAppModel& model, const ViewServices& services, QWidget* parent = nullptr);

    void render();
    QCheckBox* loginItemSwitch() const { return switch_; }
    QLabel* errorLabel() const { return error_; }
    std::vector<QPushButton*> linkButtons() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    MacAppModel& model_;
    QCheckBox* switch_;
    QLabel* error_;
};

}  // namespace quorvel::ui
