#include "QuorvelMac/model/mac_setup_status.hpp"

#include "QuorvelPlatform/logging/failure_report.hpp"
#include "QuorvelPlatform/logging/log_categories.hpp"

namespace quorvel {

bool MacSetupProgressStore::appSelectionStepFinished() const {
    try {
        return userDefaults->boolean(appSelectionStepFinishedKey).value_or(false);
    } catch (const std::exception& error) {
        // Not finished: the model derives it again from the targets.
        reportFailure(lcModel, {"reading whether the application step is finished", {}},
                      error.what());
        return false;
    }
}

void MacSetupProgressStore::markAppSelectionStepFinished() {
    userDefaults->setBoolean(appSelectionStepFinishedKey, true);
}

}  // namespace quorvel
