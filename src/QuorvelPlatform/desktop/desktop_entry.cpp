#include "QuorvelPlatform/desktop/desktop_entry.hpp"

#include <cstdlib>
#include <sstream>
#include <system_error>
#include <unistd.h>

#include "QuorvelShared/support/files.hpp"

namespace quorvel::desktop {
namespace {

// Values may escape \s \n \t \r and \\; any other backslash stays as written.
std::string unescapeValue(std::string_view raw) {
    std::string out;
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\' || i + 1 == raw.size()) {
            out += raw[i];
            continue;
        }
        switch (raw[i + 1]) {
        case 's': out += ' '; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case '\\': out += '\\'; break;
        default: out += raw[i]; out += raw[i + 1]; break;
        }
        ++i;
    }
    return out;
}

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// The first word of a command line with the quoting rules of the Exec key: a word in double
// quotes may hold spaces and backslash-escaped quote characters.
std::string firstWord(std::string_view command) {
    command = trimmed(command);
    std::string word;
    if (!command.empty() && command.front() == '"') {
        for (std::size_t i = 1; i < command.size(); ++i) {
            if (command[i] == '\\' && i + 1 < command.size()) {
                word += command[++i];
            } else if (command[i] == '"') {
                break;
            } else {
                word += command[i];
            }
        }
        return word;
    }
    const auto end = command.find_first_of(" \t");
    return std::string(command.substr(0, end));
}

}  // namespace

std::optional<std::map<std::string, std::string>> parseMainGroup(std::string_view text) {
    std::map<std::string, std::string> keys;
    bool inMainGroup = false;
    bool sawGroup = false;
    std::istringstream lines{std::string(text)};
    std::string line;
    while (std::getline(lines, line)) {
        const std::string_view view = trimmed(line);
        if (view.empty() || view.front() == '#') continue;
        if (view.front() == '[') {
            // Only the first group can be the main one.
            inMainGroup = !sawGroup && view == "[Desktop Entry]";
            if (!sawGroup && !inMainGroup) return std::nullopt;
            sawGroup = true;
            continue;
        }
        if (!inMainGroup) continue;
        const auto equals = view.find('=');
        if (equals == std::string_view::npos) continue;
        keys.emplace(std::string(trimmed(view.substr(0, equals))), unescapeValue(trimmed(view.substr(equals + 1))));
    }
    if (!sawGroup) return std::nullopt;
    return keys;
}

std::optional<DesktopEntry> parseDesktopEntry(std::string_view text, std::string id,
                                              std::filesystem::path file) {
    const auto keys = parseMainGroup(text);
    if (!keys) return std::nullopt;
    auto value = [&](const char* key) -> std::optional<std::string> {
        const auto found = keys->find(key);
        if (found == keys->end()) return std::nullopt;
        return found->second;
    };
    auto nonEmpty = [&](const char* key) {
        auto v = value(key);
        return v && !v->empty() ? v : std::nullopt;
    };
    if (value("Type") != "Application" || !value("Name") || value("Hidden") == "true") return std::nullopt;
    DesktopEntry entry;
    entry.id = std::move(id);
    entry.file = std::move(file);
    entry.name = *value("Name");
    entry.japaneseName = value("Name[ja]");
    entry.icon = nonEmpty("Icon");
    entry.exec = nonEmpty("Exec");
    entry.tryExec = nonEmpty("TryExec");
    entry.startupWMClass = nonEmpty("StartupWMClass");
    entry.noDisplay = value("NoDisplay") == "true";
    return entry;
}

std::optional<DesktopEntry> readDesktopEntry(const std::filesystem::path& file, std::string id) {
    // Through the one whole-file read: a FIFO or a device named like an entry cannot block.
    std::optional<std::string> text;
    try {
        text = files::readIfPresent(file);
    } catch (const std::system_error&) {
        return std::nullopt;
    }
    if (!text) return std::nullopt;
    return parseDesktopEntry(*text, std::move(id), file);
}

std::optional<std::filesystem::path> programOfCommand(std::string_view command) {
    const std::string word = firstWord(command);
    if (word.empty()) return std::nullopt;
    if (word.find('/') != std::string::npos) return std::filesystem::path(word);
    const char* pathVariable = std::getenv("PATH");
    std::istringstream folders(pathVariable ? pathVariable : "/usr/local/bin:/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (folder.empty()) continue;
        const auto candidate = std::filesystem::path(folder) / word;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return std::nullopt;
}

}  // namespace quorvel::desktop
