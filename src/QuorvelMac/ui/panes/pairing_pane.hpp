#pragma once

// The "ペアリング" pane: the registration and offer state, the Bluetooth status, the buttons to
// start or refresh pairing, the QR panel and the detail rows.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QWidget>

#include "QuorvelMac/model/bluetooth_status.hpp"
#include "QuorvelMac/model/pairing_state.hpp"
#include "QuorvelMac/ui/kit/tone.hpp"

class QLabel;
class QPushButton;
class QVBoxLayout;

class QBoxLayout;

namespace quorvel {
class MacAppModel;
}

namespace quorvel::ui {

class PairingQRPanel;
class StatusPill;

PillContent pairingStatusPill(const PairingState& pairing);

struct PairingInfoRow {
    std::string title;
    std::string value;
    friend bool operator==(const PairingInfoRow&, const PairingInfoRow&) = default;
};

// The rows of the detail card; the expiry is the local time of day in the locale's short form.
std::vector<PairingInfoRow> pairingDetailRows(const PairingState& pairing,
                                              const BluetoothStatus& bluetooth);

class PairingPane : public QWidget {
public:
    PairingPane(MacAppModel& model, QWidget* parent = nullptr);

    void render(const PairingState& pairing, const BluetoothStatus& bluetooth);

    StatusPill* statusPill() const { return statusPill_; }
    StatusPill* bluetoothPill() const { return bluetoothPill_; }
    QPushButton* refreshButton() const { return refresh_; }
    QPushButton* pairingButton() const { return pairingButton_; }
    PairingQRPanel* qrPanel() const { return qrPanel_; }
    QLabel* heading() const { return heading_; }
    QLabel* instructions() const { return instructions_; }
    QLabel* errorLabel() const { return error_; }
    QWidget* errorRow() const { return errorRow_; }
    // The rows as shown: title and value of each.
    std::vector<PairingInfoRow> shownRows() const;

protected:
    // Where the column is too narrow for the QR panel and the card side by side (the window near
    // its minimum size), the card goes below the panel, so its texts keep their room.
    void resizeEvent(QResizeEvent* event) override;

private:
    MacAppModel& model_;
    StatusPill* statusPill_;
    StatusPill* bluetoothPill_;
    QPushButton* refresh_;
    QPushButton* pairingButton_;
    QBoxLayout* lower_;
    PairingQRPanel* qrPanel_;
    QLabel* heading_;
    QLabel* instructions_;
    QVBoxLayout* rows_;
    QWidget* errorRow_;
    QLabel* error_;
};

}  // namespace quorvel::ui
