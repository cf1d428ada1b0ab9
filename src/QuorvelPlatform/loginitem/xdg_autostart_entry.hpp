#pragma once
// Opening a program at login through the XDG autostart folder: a desktop entry named after the
// program's id in $XDG_CONFIG_HOME/autostart/. The desktop session starts every entry it finds
// there, so the entry's presence is the whole registration.
#include <filesystem>
#include <string>

namespace quorvel::XdgAutostart {

// $XDG_CONFIG_HOME/autostart/<id>.desktop
std::filesystem::path entryFile(const std::string& id);

bool isRegistered(const std::string& id);

// Writes the entry (atomically, creating the folder) that starts `executable` with no arguments.
// Throws std::system_error naming what failed.
void registerEntry(const std::string& id, const std::string& name,
                   const std::filesystem::path& executable);

// Removes the entry; none is no error. Throws std::system_error when it cannot be removed.
void unregisterEntry(const std::string& id);

// The Exec value for a program path: quoted, with the characters the desktop-entry format
// reserves escaped, so a path with blanks or quotes still starts the right program.
std::string execValue(const std::filesystem::path& executable);

}  // namespace quorvel::XdgAutostart
