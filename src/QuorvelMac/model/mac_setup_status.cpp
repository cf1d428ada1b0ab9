#include "QuorvelMac/model/mac_setup_status.hpp"

namespace quorvel {

bool MacSetupProgressStore::appSelectionStepFinished() const {
    try {
        return userDefaults->boolean(appSelectionStepFinishedKey).value_or(false);
    } catch (const std::exception&) {
        return false;
    }
}

void MacSetupProgressStore::markAppSelectionStepFinished() {
    userDefaults->setBoolean(appSelectionStepFinishedKey, true);
}

}  // namespace quorvel
