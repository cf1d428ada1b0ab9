#include "QuorvelPlatform/desktop/window_application.hpp"

#include <fstream>
#include <sstream>
#include <vector>

#include "QuorvelShared/support/text.hpp"

namespace quorvel::desktop {
namespace fs = std::filesystem;

namespace {

std::optional<fs::path> resolved(const fs::path& path) {
    std::error_code error;
    auto canonical = fs::canonical(path, error);
    if (error)
        return std::nullopt;
    return canonical;
}

// systemd escapes "-" inside a unit-name component as "\x2d" (and other bytes alike).
std::string unescapeUnitName(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
            const std::string hex(text.substr(i + 2, 2));
            char* end = nullptr;
            const long value = std::strtol(hex.c_str(), &end, 16);
            if (end == hex.c_str() + 2) {
                out += static_cast<char>(value);
                i += 3;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// "app-<launcher>-<id>-<random>.scope" or "app-<launcher>-<id>@<random>.service", the launcher
// part optional: the candidates for <id>, longest first.
std::vector<std::string> unitNameCandidates(std::string_view unit) {
    std::string_view body;
    if (unit.starts_with("app-") && unit.ends_with(".scope")) {
        body = unit.substr(4, unit.size() - 4 - 6);
        const auto dash = body.rfind('-');
        if (dash == std::string_view::npos)
            return {};
        body = body.substr(0, dash);
    } else if (unit.starts_with("app-") && unit.ends_with(".service")) {
        body = unit.substr(4, unit.size() - 4 - 8);
        body = body.substr(0, body.find('@'));
    } else {
        return {};
    }
    std::vector<std::string> candidates{unescapeUnitName(body)};
    if (const auto dash = body.find('-'); dash != std::string_view::npos) {
        candidates.push_back(unescapeUnitName(body.substr(dash + 1)));
    }
    return candidates;
}

const DesktopEntry* byNamedEntry(const std::optional<std::string>& name, DesktopEntryIndex& index) {
    if (!name || name->empty())
        return nullptr;
    std::string id = *name;
    if (id.ends_with(".desktop"))
        id.resize(id.size() - 8);
    return index.find(id);
}

const DesktopEntry* byWmClass(const WindowIdentity& window, DesktopEntryIndex& index) {
    for (const auto& [id, entry] : index.entries()) {
        if (entry.startupWMClass && (entry.startupWMClass == window.wmClassClass ||
                                     entry.startupWMClass == window.wmClassInstance)) {
            return &entry;
        }
    }
    for (const auto* name : {&window.wmClassClass, &window.wmClassInstance}) {
        if (!*name || (*name)->empty())
            continue;
        const std::string lowered = asciiLowercased(**name);
        for (const auto& [id, entry] : index.entries()) {
            if (asciiLowercased(id) == lowered)
                return &entry;
        }
    }
    return nullptr;
}

const DesktopEntry* byExecutable(const fs::path& executable, DesktopEntryIndex& index) {
    for (const auto& [id, entry] : index.entries()) {
        for (const auto* command : {&entry.tryExec, &entry.exec}) {
            if (!*command)
                continue;
            const auto program = programOfCommand(**command);
            if (program && resolved(*program) == executable)
                return &entry;
        }
    }
    return nullptr;
}

}  // namespace

ProcessFacts readProcessFacts(pid_t pid) {
    ProcessFacts facts;
    if (pid <= 0)
        return facts;
    const fs::path folder = fs::path("/proc") / std::to_string(pid);
    std::ifstream cgroup(folder / "cgroup");
    if (cgroup) {
        std::ostringstream text;
        text << cgroup.rdbuf();
        facts.cgroup = text.str();
    }
    facts.executable = resolved(folder / "exe");
    return facts;
}

std::optional<std::string> applicationIdFromCgroup(const std::string& cgroup,
                                                   DesktopEntryIndex& index) {
    std::istringstream lines(cgroup);
    std::string line;
    while (std::getline(lines, line)) {
        // "<hierarchy>:<controllers>:<path>"; the innermost app unit decides.
        const auto colon = line.find(':', line.find(':') + 1);
        if (colon == std::string::npos)
            continue;
        const fs::path path(line.substr(colon + 1));
        std::vector<std::string> units;
        for (const auto& component : path)
            units.push_back(component.string());
        for (auto it = units.rbegin(); it != units.rend(); ++it) {
            for (const auto& candidate : unitNameCandidates(*it)) {
                if (index.find(candidate))
                    return candidate;
            }
        }
    }
    return std::nullopt;
}

const DesktopEntry* applicationOfWindow(const WindowIdentity& window, const ProcessFacts& process,
                                        DesktopEntryIndex& index) {
    if (const auto* entry = byNamedEntry(window.gtkApplicationId, index))
        return entry;
    if (const auto* entry = byNamedEntry(window.kdeDesktopFile, index))
        return entry;
    if (process.cgroup) {
        if (const auto id = applicationIdFromCgroup(*process.cgroup, index))
            return index.find(*id);
    }
    if (const auto* entry = byWmClass(window, index))
        return entry;
    if (process.executable)
        return byExecutable(*process.executable, index);
    return nullptr;
}

}  // namespace quorvel::desktop
