#pragma once

// The banner shown above the panes while an editing session is open, and the sheet that asks
// for the confirmation code of a held-back loosening edit.
#include <QDialog>
#include <QWidget>

class QLabel;
class QPushButton;

namespace quorvel {
class MacSettingsRelaxationProtectionController;
}

namespace quorvel::ui {

class ManualAlphanumericTextField;

class SettingsRelaxationSessionBanner : public QWidget {
public:
    explicit SettingsRelaxationSessionBanner(MacSettingsRelaxationProtectionController& controller,
                                             QWidget* parent = nullptr);
    QPushButton* endButton() const { return end_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPushButton* end_;
};

// Content only while a challenge is pending; otherwise an empty sheet of the same width and
// margin. It cannot be dismissed by Escape or the window's close button: only its two buttons,
// or the challenge being cleared elsewhere, end it.
class SettingsRelaxationChallengeSheet : public QDialog {
public:
    SettingsRelaxationChallengeSheet(MacSettingsRelaxationProtectionController& controller,
                                     QWidget* parent = nullptr);

    QLabel* codeLabel() const { return code_; }
    ManualAlphanumericTextField* input() const { return input_; }
    QPushButton* cancelButton() const { return cancel_; }
    QPushButton* confirmButton() const { return confirm_; }
    // The code as the sheet shows it: groups joined by one space.
    static QString displayedCode(const std::string& code);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    MacSettingsRelaxationProtectionController& controller_;
    QLabel* code_ = nullptr;
    ManualAlphanumericTextField* input_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* confirm_ = nullptr;
    bool closingByButton_ = false;
};

}  // namespace quorvel::ui
