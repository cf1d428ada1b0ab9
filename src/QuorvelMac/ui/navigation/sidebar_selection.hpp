#pragma once

// The main window's selected pane, the one piece of state a view keeps. The sidebar writes it;
// the overview's buttons write it to navigate.
#include <optional>

#include <QObject>

#include "QuorvelMac/ui/navigation/sidebar_item.hpp"

namespace quorvel::ui {

class SidebarSelection : public QObject {
    Q_OBJECT

public:
    explicit SidebarSelection(QObject* parent = nullptr) : QObject(parent) {}

    std::optional<SidebarItem> value() const { return value_; }
    // No selection shows the overview.
    SidebarItem shownPane() const { return value_.value_or(SidebarItem::overview); }
    void set(std::optional<SidebarItem> value) {
        if (value != value_) {
            value_ = value;
            Q_EMIT changed();
        }
    }

Q_SIGNALS:
    void changed();

private:
    std::optional<SidebarItem> value_ = SidebarItem::overview;
};

}  // namespace quorvel::ui
