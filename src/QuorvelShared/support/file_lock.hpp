#pragma once

// Serialising read-modify-writes of a state file across the threads of one program (a mutex) and
// across programs (an exclusive flock on a lock file beside the data). The mutex is taken first
// and is held while waiting for the file lock, so the threads of one program queue behind it.
#include <filesystem>
#include <mutex>
#include <utility>

#include "QuorvelShared/support/files.hpp"

namespace quorvel::files {

// An exclusive flock on `lockFile`, held for the object's lifetime. The lock file is created
// empty (0600) when missing and never deleted: a waiter would otherwise lock a file that no longer
// exists. It is opened without blocking, and anything other than a regular file in its place is
// an error (see openRegularFile). Throws std::system_error carrying errno (EIO when errno gives
// none); no descriptor stays open after a failure.
class ExclusiveFileLock {
public:
    explicit ExclusiveFileLock(const std::filesystem::path& lockFile);
    ~ExclusiveFileLock();
    ExclusiveFileLock(const ExclusiveFileLock&) = delete;
    ExclusiveFileLock& operator=(const ExclusiveFileLock&) = delete;

private:
    int fd_ = -1;
};

// Runs `body` holding `processLock` and the flock on `lockFile`; the lock file's folder is made
// first. Everything is released before the body's result or error reaches the caller. Not
// re-entrant: a body must not take the same locks again.
template <class Body>
decltype(auto) withLockedFile(std::mutex& processLock, const std::filesystem::path& lockFile,
                              Body&& body) {
    std::lock_guard guard(processLock);
    createDirectories(lockFile.parent_path());
    ExclusiveFileLock lock(lockFile);
    return std::forward<Body>(body)();
}

// The lock file of a coordinated data file: ".<file name>.lock" in the same folder.
std::filesystem::path coordinationLockFile(const std::filesystem::path& dataFile);

// One mutex per lock file, shared by everything in this process that locks that file.
std::mutex& processMutexFor(const std::filesystem::path& lockFile);

// Runs `body` as one read-modify-write of `dataFile`, excluding every other coordinated writer of
// that file in this process and in the user's other processes.
template <class Body>
decltype(auto) withCoordinatedFile(const std::filesystem::path& dataFile, Body&& body) {
    const std::filesystem::path lockFile = coordinationLockFile(dataFile);
    return withLockedFile(processMutexFor(lockFile), lockFile, std::forward<Body>(body));
}

}  // namespace quorvel::files
