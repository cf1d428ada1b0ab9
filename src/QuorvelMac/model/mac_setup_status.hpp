#pragma once
// How far the user has come through the first setup, and the one step remembered across starts.
#include <memory>
#include <string_view>

#include "QuorvelShared/support/preferences.hpp"

namespace quorvel {

struct MacSetupStatus {
    bool accessibilityPermissionGranted = false;
    bool iPhonePaired = false;
    bool appSelectionStepFinished = false;
    // Optional step: never counted.
    bool chromeConnected = false;

    // The false values among the first three fields.
    int remainingRequiredSteps() const {
        return !accessibilityPermissionGranted + !iPhonePaired + !appSelectionStepFinished;
    }

    friend bool operator==(const MacSetupStatus&, const MacSetupStatus&) = default;
};

// Keeps the app-selection flag in the application's user defaults.
struct MacSetupProgressStore {
    static constexpr std::string_view appSelectionStepFinishedKey =
        "mac.setup.app-selection-step-finished";

    std::shared_ptr<Preferences> userDefaults;

    // A missing or unreadable value reads as false.
    bool appSelectionStepFinished() const;
    // Only ever true is written; a write failure throws.
    void markAppSelectionStepFinished();
};

}  // namespace quorvel
