#pragma once

// The one road of a loosening edit (removing a target, switching its lock off): held back as a
// challenge while protection is in force and no editing session is open, else applied at once.
#include <functional>
#include <string>

namespace quorvel {
class MacSettingsRelaxationProtectionController;
}

namespace quorvel::ui {

// Returns true when the edit ran now, false when it waits for its code.
bool applyLoosening(MacSettingsRelaxationProtectionController& controller,
                    const std::string& changeDescription, std::function<void()> apply);

}  // namespace quorvel::ui
