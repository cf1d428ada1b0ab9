#pragma once
// Opening a program at login through the XDG autostart folder: a desktop entry named after the
// program's id in $XDG_CONFIG_HOME/autostart/. The desktop session starts every entry it finds
// there, so the entry's presence is the whole registration.
#include <filesystem>
#include <string>

namespace quorvel::XdgAutostart {

// $XDG_CONFIG_HOME/autostart/<id>.desktop
std::filesystem::path entryFile(const std::string& id);

// Whether the entry is there and not hidden (Hidden=true: the session does not start it).
bool isRegistered(const std::string& id);

// Writes the entry (atomically, creating the folder) that starts `executable` with no arguments.
// Throws std::system_error naming what failed, std::invalid_argument for a path that a desktop
// entry cannot hold (not UTF-8, control characters).
void registerEntry(const std::string& id, const std::string& name,
                   const std::filesystem::path& executable);

// Removes the entry; none is no error. Throws std::system_error when it cannot be removed.
void unregisterEntry(const std::string& id);

// The Exec value for a program path, as the desktop-entry format asks: quoted, with the
// characters it reserves escaped and "%" doubled, so that a path with blanks, quotes, "$" or "%"
// still starts the right program. Throws std::invalid_argument as registerEntry does.
std::string execValue(const std::filesystem::path& executable);

}  // namespace quorvel::XdgAutostart
