#pragma once

// Which application a window belongs to. The foreground observer and the application picker use
// this one mapping, so that a target chosen in the picker is recognised in front. In order:
//   1. the entry that _GTK_APPLICATION_ID or _KDE_NET_WM_DESKTOP_FILE names;
//   2. the entry that a systemd scope or service "app-[<launcher>-]<id>-….scope" of the
//      process names in /proc/<pid>/cgroup;
//   3. the entry whose StartupWMClass equals the WM_CLASS class or instance;
//   4. the entry whose id equals one of them, ignoring case;
//   5. the entry whose TryExec or Exec program is the process's executable.
// No match: the window's application has no identifier.
#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>

#include "QuorvelPlatform/desktop/desktop_entry_index.hpp"

namespace quorvel::desktop {

// What the window system tells of a window.
struct WindowIdentity {
    std::optional<std::string> gtkApplicationId;
    std::optional<std::string> kdeDesktopFile;
    std::optional<std::string> wmClassInstance;
    std::optional<std::string> wmClassClass;
    std::optional<pid_t> pid;

    friend bool operator==(const WindowIdentity&, const WindowIdentity&) = default;
};

// What /proc tells of the window's process; read by readProcessFacts, given by tests.
struct ProcessFacts {
    std::optional<std::string> cgroup;                // the text of /proc/<pid>/cgroup
    std::optional<std::filesystem::path> executable;  // /proc/<pid>/exe, resolved

    friend bool operator==(const ProcessFacts&, const ProcessFacts&) = default;
};

ProcessFacts readProcessFacts(pid_t pid);

// The desktop-entry id that a systemd unit name of the cgroup text names, when the index has it.
std::optional<std::string> applicationIdFromCgroup(const std::string& cgroup,
                                                   DesktopEntryIndex& index);

const DesktopEntry* applicationOfWindow(const WindowIdentity& window, const ProcessFacts& process,
                                        DesktopEntryIndex& index);

}  // namespace quorvel::desktop
