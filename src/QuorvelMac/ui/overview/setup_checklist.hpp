#pragma once

// The overview while a required setup step is open: a welcome header with the number of steps
// left, the three numbered steps with their buttons, and the optional browser step.
#include <optional>
#include <vector>

#include <QScrollArea>

#include "QuorvelMac/ui/view_services.hpp"

class QLabel;
class QPushButton;
class QVBoxLayout;

namespace quorvel {
class MacAppModel;
}

namespace quorvel::ui {

class SidebarSelection;

// One step: badge (check when done, else its number or a dashed circle), title, detail and,
// while open, its buttons.
class SetupStepRow : public QWidget {
    Q_OBJECT

public:
    SetupStepRow(std::optional<int> number, const QString& title, const QString& detail,
                 bool isDone, const std::vector<QPushButton*>& actions, QWidget* parent = nullptr);

    bool isDone() const { return isDone_; }
    QLabel* titleLabel() const { return title_; }
    QLabel* badge() const { return badge_; }
    std::vector<QPushButton*> actions() const;

private:
    bool isDone_;
    QLabel* badge_;
    QLabel* title_;
};

class SetupChecklistView : public QScrollArea {
public:
    SetupChecklistView(MacAppModel& model, SidebarSelection& selection,
                       const ViewServices& services, QWidget* parent = nullptr);

    void redraw();

    QLabel* headline() const { return headline_; }
    // The three required rows, then the optional one.
    std::vector<SetupStepRow*> rows() const { return rows_; }
    QLabel* selectionMessage() const { return message_; }

private:
    SetupStepRow* makeRow(int index);

    MacAppModel& model_;
    SidebarSelection& selection_;
    const ViewServices& services_;
    QLabel* headline_;
    QVBoxLayout* steps_;
    QVBoxLayout* optional_;
    QLabel* message_ = nullptr;
    std::vector<SetupStepRow*> rows_;
};

}  // namespace quorvel::ui
