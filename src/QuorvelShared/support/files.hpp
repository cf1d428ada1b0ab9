#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel::files {

// The most a file read by readIfPresent may hold: far above any real state file, so that
// whatever stands in a file's place (a device, a runaway writer) cannot fill the memory.
inline constexpr std::uintmax_t maximumReadSize = 16 * 1024 * 1024;

// Opens `path` as open(2) does with `flags` (and `mode` for a new file), adding O_CLOEXEC,
// O_NOCTTY and O_NONBLOCK so that nothing in a file's place (a FIFO, a device) can block the
// caller. Returns the descriptor of a regular file, or -1 with errno set when the open itself
// failed (ENOENT: no file). Anything other than a regular file throws std::system_error whose text
// begins with `verb` and the path and says what stands there; nothing is read from it.
int openRegularFile(const std::filesystem::path& path, int flags, std::string_view verb,
                    unsigned mode = 0);

// The whole file, or no value when no file exists at `path` (also when a plain file stands where
// one of its folders should be). Every other failure throws std::system_error naming the file:
// permission, I/O, something that is not a regular file (a folder, a FIFO, a socket, a device),
// and a file larger than maximumReadSize (refused before reading, or once it grows past the bound
// while being read). A caller that writes afterwards must never take a failed read for an empty
// file.
std::optional<std::string> readIfPresent(const std::filesystem::path& path);

// Replaces the file in one step: the bytes go to a temporary file in the same folder, which is
// flushed to disk and renamed over the old one. The file gets mode 0600 (state files can hold a
// bearer token). On failure the old file stays as it was, the temporary file is removed, and
// std::system_error is thrown. The folder must exist. After a successful write, the temporaries
// of this file that an interrupted write left behind (a killed process) and that are older than
// a minute are removed; younger ones may belong to a write in progress in another process.
void writeAtomically(const std::filesystem::path& path, std::string_view contents);

// True when something exists at `path`; false also when that cannot be determined.
bool exists(const std::filesystem::path& path);

// Removes the file; no file (as for readIfPresent) is no error. Other failures throw
// std::system_error.
void removeIfPresent(const std::filesystem::path& path);

// Makes the folder and its parents; an existing folder is no error, nor is the empty path (the
// folder of a bare file name, i.e. the working folder). Throws std::filesystem::filesystem_error.
// New folders, the parents made on the way included, get `mode` (as reduced by the umask): 0700
// unless told otherwise, since every folder these programs make holds private state, and the
// shared state folder must stay 0700 whichever path (a lock file's, a store's) makes it again.
void createDirectories(const std::filesystem::path& folder,
                       std::filesystem::perms mode = std::filesystem::perms::owner_all);

// For one of the programs' own folders, which exists: a mode that lets others in is tightened to
// 0700. A folder of another user, something that is not a folder, or a mode that cannot be
// tightened throws std::filesystem::filesystem_error naming the folder: nothing may be written
// there. Never used on folders the programs share with the desktop (the home, the XDG homes, a
// browser's or the autostart folder).
void keepFolderPrivate(const std::filesystem::path& folder);

}  // namespace quorvel::files
