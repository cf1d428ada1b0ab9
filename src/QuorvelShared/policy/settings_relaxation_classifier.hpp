#pragma once

// Decides whether an edit loosens the lock settings, so that relaxation protection can ask for
// the typed code before the edit takes effect. Tightening edits pass without a code.
#include <algorithm>

#include "QuorvelShared/policy/default_lock_policy.hpp"

namespace quorvel {

struct SettingsRelaxationClassifier {
    // True when changing the policy from `from` to `to` loosens it in any term. The warning lead
    // time never counts, and neither does the order of the missions.
    static bool requiresConfirmation(const DefaultLockPolicy& from, const DefaultLockPolicy& to);

    // True when some element of `from` is missing from `to` (a selection shrinks).
    template <class Set>
    static bool removesAnySelection(const Set& from, const Set& to) {
        return std::any_of(from.begin(), from.end(),
                           [&](const auto& element) { return !to.contains(element); });
    }
};

}  // namespace quorvel
