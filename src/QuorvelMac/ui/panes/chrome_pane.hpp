#pragma once

// The "Chrome" pane: whether the browser extension talked to the host lately and whether the
// host's manifest is installed, with a button to check again.
#include <optional>
#include <string>

#include <QWidget>

class QLabel;
class QVBoxLayout;

namespace quorvel {
class MacAppModel;
}

namespace quorvel::ui {

class IconChip;
class StatusPill;

// What the pane shows, read afresh from the model on every change.
struct ChromePaneState {
    bool connected = false;
    std::string summary;
    std::string detail;
    bool nativeHostInstalled = false;
    std::optional<std::string> nativeHostInstallError;
};

ChromePaneState chromePaneState(const MacAppModel& model);

class ChromePane : public QWidget {
public:
    ChromePane(MacAppModel& model, QWidget* parent = nullptr);

    void render(const ChromePaneState& state);

    IconChip* globe() const { return globe_; }
    StatusPill* connectionPill() const { return connectionPill_; }
    StatusPill* nativeHostPill() const { return nativeHostPill_; }
    QLabel* summaryLabel() const { return summary_; }
    QLabel* detailLabel() const { return detail_; }
    QLabel* errorLabel() const { return error_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    MacAppModel& model_;
    IconChip* globe_;
    QLabel* summary_;
    QLabel* detail_;
    StatusPill* connectionPill_;
    StatusPill* nativeHostPill_;
    QLabel* error_;
};

}  // namespace quorvel::ui
