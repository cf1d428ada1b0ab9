#pragma once
// The name people know this computer by, which the iPhone shows for it: the "pretty" host name
// the user gave it. systemd-hostnamed tells it over the system bus; without hostnamed (a
// container, a system without systemd) /etc/machine-info holds it; a computer that was never
// given one goes by its host name, and one without even that by "Mac".
#include <QDBusConnection>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel::hostname {

struct ComputerNameSources {
    // hostnamed's PrettyHostname; no value when hostnamed cannot be asked.
    std::function<std::optional<std::string>()> hostnamedPrettyHostname;
    std::filesystem::path machineInfo = "/etc/machine-info";
    // The network host name; empty when there is none.
    std::function<std::string()> hostName;
};

// hostnamed on the system bus, /etc/machine-info, and the kernel's host name.
ComputerNameSources systemComputerNameSources();

// The first of the sources, in the order above, that gives a name that is not blank.
std::string computerDisplayName(const ComputerNameSources& sources);

// PRETTY_HOSTNAME of a machine-info file (shell-style KEY=VALUE lines, values optionally quoted),
// unquoted; no value when it is not there.
std::optional<std::string> prettyHostnameOfMachineInfo(std::string_view text);

// org.freedesktop.hostname1's PrettyHostname on `bus`, waiting at most `timeoutMs` for the
// answer (the bus may have to start hostnamed first); no value when there is no answer.
std::optional<std::string> hostnamedPrettyHostname(const QDBusConnection& bus, int timeoutMs);

}  // namespace quorvel::hostname
