#pragma once

// One running application as it was when the snapshot was made. The bundle identifier is the
// application's desktop-entry id; a window that belongs to no desktop entry gives none.
#include <sys/types.h>

#include <optional>
#include <string>

namespace quorvel {

struct RunningApplicationSnapshot {
    std::optional<std::string> localizedName;
    std::optional<std::string> bundleIdentifier;
    pid_t processIdentifier = 0;

    friend bool operator==(const RunningApplicationSnapshot&,
                           const RunningApplicationSnapshot&) = default;
};

}  // namespace quorvel
