#pragma once

// One application as the desktop describes it: a ".desktop" file of type Application. Only the
// keys of the [Desktop Entry] group that naming, icons and window matching use are kept.
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel::desktop {

struct DesktopEntry {
    // The desktop-entry id: the file's path under an "applications" folder with "/" turned into
    // "-", without ".desktop". It is the application's identifier everywhere in the system.
    std::string id;
    std::filesystem::path file;
    std::string name;                         // Name
    std::optional<std::string> japaneseName;  // Name[ja]
    std::optional<std::string> icon;          // Icon: a theme name or an absolute path
    std::optional<std::string> exec;          // Exec, as written (field codes kept)
    std::optional<std::string> tryExec;       // TryExec
    std::optional<std::string> startupWMClass;
    bool noDisplay = false;

    // Name[ja] when the entry has one, else Name.
    const std::string& displayName() const { return japaneseName ? *japaneseName : name; }

    friend bool operator==(const DesktopEntry&, const DesktopEntry&) = default;
};

// Desktop files are read as GLib reads them (GKeyFile): escapes, localised keys and booleans
// follow its rules, and a file it refuses is no entry.

// The keys of the [Desktop Entry] group (localised ones such as "Name[ja]" among them) with their
// unescaped values; no value when the file has no such group first or GLib refuses it.
std::optional<std::map<std::string, std::string>> parseMainGroup(std::string_view text);

// Parses the text of a desktop file. No value when it has no [Desktop Entry] group, is not of
// type Application, has no Name, or is Hidden (a hidden entry deletes the application).
std::optional<DesktopEntry> parseDesktopEntry(std::string_view text, std::string id,
                                              std::filesystem::path file);

// Reads and parses one file; no value when it cannot be read or is no application entry. The
// bytes come through the project's own whole-file read, which refuses what is no regular file
// or is oversized, so a FIFO named like an entry cannot block the reading.
std::optional<DesktopEntry> readDesktopEntry(const std::filesystem::path& file, std::string id);

// The program that a command line of Exec or TryExec starts: its first word, unquoted as GLib
// takes an Exec value apart; a bare name is looked up in PATH. No value for an empty or
// ill-quoted command or a name not found in PATH.
std::optional<std::filesystem::path> programOfCommand(std::string_view command);

}  // namespace quorvel::desktop
