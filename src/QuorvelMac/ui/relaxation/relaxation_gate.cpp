#include "QuorvelMac/ui/relaxation/relaxation_gate.hpp"

#include "QuorvelMac/model/mac_settings_relaxation_protection_controller.hpp"

namespace quorvel::ui {

bool applyLoosening(MacSettingsRelaxationProtectionController& controller,
                    const std::string& changeDescription, std::function<void()> apply) {
    if (controller.isEffectiveEnabled() && !controller.isEditingSessionActive()) {
        controller.setPendingChallenge(PendingMacSettingsRelaxationChallenge::make(
            "ロック対象", changeDescription, controller.configuration().codeLength,
            std::move(apply)));
        return false;
    }
    apply();
    return true;
}

}  // namespace quorvel::ui
