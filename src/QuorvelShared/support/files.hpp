#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel::files {

// The whole file, or no value when no file exists at `path` (also when a plain file stands where
// one of its folders should be). Every other failure (permission, I/O, a folder in the file's
// place) throws std::system_error: a caller that writes afterwards must never take a failed read
// for an empty file.
std::optional<std::string> readIfPresent(const std::filesystem::path& path);

// Replaces the file in one step: the bytes go to a temporary file in the same folder, which is
// flushed to disk and renamed over the old one. The file gets mode 0600 (state files can hold a
// bearer token). On failure the old file stays as it was, the temporary file is removed, and
// std::system_error is thrown. The folder must exist.
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

// Lets a test make reads of one file fail with an error code, to show that an operation which
// writes afterwards stops instead of treating the file as empty. Production code never sets it.
class ScopedReadFailureForTesting {
public:
    ScopedReadFailureForTesting(std::filesystem::path path, int error);
    ~ScopedReadFailureForTesting();
    ScopedReadFailureForTesting(const ScopedReadFailureForTesting&) = delete;
    ScopedReadFailureForTesting& operator=(const ScopedReadFailureForTesting&) = delete;

private:
    std::filesystem::path path_;
};

}  // namespace quorvel::files
