#include "QuorvelShared/support/file_lock.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <memory>
#include <system_error>

namespace quorvel::files {
namespace {

[[noreturn]] void throwErrno(int error, const std::string& what) {
    throw std::system_error(error != 0 ? error : EIO, std::generic_category(), what);
}

}  // namespace

ExclusiveFileLock::ExclusiveFileLock(const std::filesystem::path& lockFile) {
    fd_ = openRegularFile(lockFile, O_RDWR | O_CREAT, "open lock file", S_IRUSR | S_IWUSR);
    if (fd_ < 0) {
        throwErrno(errno, "open lock file " + lockFile.string());
    }
    while (::flock(fd_, LOCK_EX) != 0) {
        if (errno == EINTR) {
            continue;
        }
        const int error = errno;
        ::close(fd_);
        throwErrno(error, "lock " + lockFile.string());
    }
}

ExclusiveFileLock::~ExclusiveFileLock() {
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
}

std::filesystem::path coordinationLockFile(const std::filesystem::path& dataFile) {
    return dataFile.parent_path() / ("." + dataFile.filename().string() + ".lock");
}

std::mutex& processMutexFor(const std::filesystem::path& lockFile) {
    static std::mutex registryMutex;
    static std::map<std::filesystem::path, std::unique_ptr<std::mutex>> mutexes;
    std::error_code error;
    std::filesystem::path key = std::filesystem::absolute(lockFile, error).lexically_normal();
    if (error) {
        key = lockFile.lexically_normal();
    }
    std::lock_guard guard(registryMutex);
    auto& slot = mutexes[key];
    if (!slot) {
        slot = std::make_unique<std::mutex>();
    }
    return *slot;
}

}  // namespace quorvel::files
