#pragma once

// What the view tests share: the model's test fixture (temporary home, fakes of the shell's
// collaborators), a fixed clock for the views and the model alike, the relaxation controller,
// and the services the shell would pass.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>

#include "QuorvelMac/model/mac_settings_relaxation_protection_controller.hpp"
#include "QuorvelMac/model/model_fixture.hpp"
#include "QuorvelMac/ui/view_services.hpp"
#include "testkit/fakes.hpp"

namespace quorvel::ui::testing {

using modeltest::appTarget;

class UiTest : public modeltest::ModelTest {
protected:
    std::shared_ptr<testkit::FixedClock> clock =
        std::make_shared<testkit::FixedClock>(Date{790'000'000});
    MacSettingsRelaxationProtectionController controller;
    std::vector<std::vector<MacApplicationDescriptor>> pickerAnswers;
    int pickerRuns = 0;
    std::vector<QUrl> openedUrls;
    int quits = 0;
    ViewServices services;

    void SetUp() override {
        services.clock = clock.get();
        services.chooseApplications = [this] {
            ++pickerRuns;
            if (pickerAnswers.empty()) {
                return std::vector<MacApplicationDescriptor>{};
            }
            auto answer = pickerAnswers.front();
            pickerAnswers.erase(pickerAnswers.begin());
            return answer;
        };
        services.openUrl = [this](const QUrl& url) { openedUrls.push_back(url); };
        services.quit = [this] { ++quits; };
    }

    std::unique_ptr<MacAppModel> makeUiModel(bool demonstration = false) {
        MacAppModel::Dependencies deps = dependencies();
        deps.clock = clock;
        return std::make_unique<MacAppModel>(std::move(deps), demonstration);
    }

    void protect(bool on) { controller.updateConfiguration({on, 16}); }

    // A pending pairing offer with its code, QR address and an expiry five minutes ahead, in the
    // given status.
    PairingState pairingOffer(PairingState::Status status) const {
        PairingState pairing;
        pairing.sessionId = "8F0A2C4E-6B1D-4E5F-9A7B-3C2D1E0F4A5B";
        pairing.code = "482913";
        pairing.qrURL = MacAppModel::localPairingQRCodeURL(*pairing.sessionId, *pairing.code);
        pairing.expiresAt = clock->now().addingSeconds(300);
        pairing.status = status;
        return pairing;
    }
};

// Texts of the visible labels named `name` under `root`, in layout order of creation.
inline std::vector<std::string> labelTexts(const QWidget& root, const QString& name) {
    std::vector<std::string> texts;
    for (const QLabel* label : root.findChildren<QLabel*>(name)) {
        if (!label->isHidden()) {
            texts.push_back(label->text().toStdString());
        }
    }
    return texts;
}

// Runs pending deferred deletions and posted events.
inline void settle() {
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
}

}  // namespace quorvel::ui::testing
