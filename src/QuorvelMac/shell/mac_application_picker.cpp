#include "QuorvelMac/shell/mac_application_picker.hpp"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QTextDocument>
#include <QVBoxLayout>
#include <algorithm>

#include "QuorvelMac/shell/mac_application_descriptor.hpp"
#include "QuorvelMac/shell/mac_application_icon_provider.hpp"

namespace quorvel {

namespace {
constexpr int fileRole = Qt::UserRole + 1;
}

MacApplicationPickerDialog::MacApplicationPickerDialog(desktop::DesktopEntryIndex& index,
                                                       QWidget* parent)
    : QDialog(parent), list_(new QListWidget(this)), folders_(index.folders()) {
    setWindowTitle(QStringLiteral("ロックするアプリを選択"));
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setIconSize(QSize(32, 32));

    std::vector<const desktop::DesktopEntry*> shown;
    for (const auto& [id, entry] : index.entries()) {
        if (!entry.noDisplay)
            shown.push_back(&entry);
    }
    std::stable_sort(shown.begin(), shown.end(), [](const auto* a, const auto* b) {
        return QString::fromStdString(a->displayName())
                   .localeAwareCompare(QString::fromStdString(b->displayName())) < 0;
    });
    for (const auto* entry : shown) {
        // Every row has an icon, the generic one where the entry has none of its own: a row
        // without one would start its name where the others have their icons.
        auto* item = new QListWidgetItem(MacApplicationIconProvider::shownIconOfEntry(*entry),
                                         QString::fromStdString(entry->displayName()), list_);
        item->setData(fileRole, QString::fromStdString(entry->file.string()));
        // A tool tip is read as rich text when it looks like markup: the id is shown verbatim.
        item->setToolTip(Qt::convertFromPlainText(QString::fromStdString(entry->id)));
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("追加"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(buttons);
    resize(480, 560);
}

std::vector<MacApplicationDescriptor> MacApplicationPickerDialog::chosenDescriptors() const {
    std::vector<std::filesystem::path> files;
    for (int row = 0; row < list_->count(); ++row) {
        const auto* item = list_->item(row);
        if (item->isSelected())
            files.emplace_back(item->data(fileRole).toString().toStdString());
    }
    return readableDescriptors(files, folders_);
}

MacApplicationPicker::MacApplicationPicker(std::shared_ptr<desktop::DesktopEntryIndex> index)
    : index_(std::move(index)) {}

std::vector<MacApplicationDescriptor> MacApplicationPicker::chooseApplications(QWidget* parent) {
    MacApplicationPickerDialog dialog(*index_, parent);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.chosenDescriptors();
}

}  // namespace quorvel
