#pragma once

// The dialog in which the user chooses applications to lock: every application of the desktop
// (its entries that are meant to be shown), with icon and name, several at a time.
#include <QDialog>
#include <memory>
#include <vector>

#include "QuorvelMac/model/mac_lock_target.hpp"
#include "QuorvelPlatform/desktop/desktop_entry_index.hpp"

class QListWidget;

namespace quorvel {

class MacApplicationPickerDialog final : public QDialog {
    Q_OBJECT
public:
    MacApplicationPickerDialog(desktop::DesktopEntryIndex& index, QWidget* parent = nullptr);

    QListWidget* list() const { return list_; }
    // The descriptors of the chosen entries that could be read, in list order.
    std::vector<MacApplicationDescriptor> chosenDescriptors() const;

private:
    QListWidget* list_;
    std::vector<std::filesystem::path> folders_;
};

class MacApplicationPicker {
public:
    explicit MacApplicationPicker(std::shared_ptr<desktop::DesktopEntryIndex> index);
    // Runs the dialog modally; an empty list when it is cancelled or nothing could be read.
    std::vector<MacApplicationDescriptor> chooseApplications(QWidget* parent = nullptr);

private:
    std::shared_ptr<desktop::DesktopEntryIndex> index_;
};

}  // namespace quorvel
