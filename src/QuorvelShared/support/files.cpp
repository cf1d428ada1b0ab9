#include "QuorvelShared/support/files.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <system_error>

#include "QuorvelShared/support/uri_characters.hpp"

namespace quorvel::files {
namespace {

[[noreturn]] void throwErrno(int error, const std::string& what) {
    throw std::system_error(error != 0 ? error : EIO, std::generic_category(), what);
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    // Closes now and reports the result; close can report a failed delayed write.
    int close() {
        const int result = ::close(fd_);
        fd_ = -1;
        return result;
    }

private:
    int fd_;
};

// What stands at a path, for an error's text.
const char* kindOf(mode_t mode) {
    if (S_ISDIR(mode)) {
        return "a directory";
    }
    if (S_ISFIFO(mode)) {
        return "a FIFO";
    }
    if (S_ISSOCK(mode)) {
        return "a socket";
    }
    if (S_ISCHR(mode)) {
        return "a character device";
    }
    if (S_ISBLK(mode)) {
        return "a block device";
    }
    return "of an unknown kind";
}

[[noreturn]] void throwNotRegular(const std::filesystem::path& path, mode_t mode,
                                  std::string_view verb) {
    throwErrno(S_ISDIR(mode) ? EISDIR : ENOTSUP, std::string(verb) + " " + path.string() +
                                                     ": it is " + kindOf(mode) +
                                                     ", not a regular file");
}

[[noreturn]] void throwTooLarge(const std::filesystem::path& path, const std::string& size) {
    throwErrno(EFBIG, "read " + path.string() + ": " + size + ", more than the " +
                          std::to_string(maximumReadSize) + " bytes a file read whole may hold");
}

std::string readAll(int fd, const std::filesystem::path& path, std::uintmax_t sizeAtOpening) {
    std::string contents;
    contents.reserve(static_cast<std::size_t>(sizeAtOpening));
    char buffer[16384];
    while (true) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throwErrno(errno, "read " + path.string());
        }
        if (n == 0) {
            return contents;
        }
        if (contents.size() + static_cast<std::size_t>(n) > maximumReadSize) {
            throwTooLarge(path, "it grew while being read");
        }
        contents.append(buffer, static_cast<std::size_t>(n));
    }
}

// The six characters mkstemp puts in place of "XXXXXX" are ASCII letters and digits.
bool isTemporaryOf(std::string_view entry, std::string_view prefix) {
    constexpr std::size_t suffixLength = 6;
    if (entry.size() != prefix.size() + suffixLength || !entry.starts_with(prefix)) {
        return false;
    }
    for (const char c : entry.substr(prefix.size())) {
        if (!uri::isAlpha(c) && !uri::isDigit(c)) {
            return false;
        }
    }
    return true;
}

// A write that was interrupted (its process killed) leaves its temporary behind. Only those of
// this file that are older than a minute go: a younger one may be another process's write in
// progress. The write itself has succeeded by now, so a temporary that cannot be removed is left
// for the next write to try again.
void removeStaleTemporaries(const std::filesystem::path& folder, std::string_view prefix) {
    constexpr std::time_t staleAfterSeconds = 60;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return;
    }
    const std::time_t cutoff = std::time(nullptr) - staleAfterSeconds;
    while (const dirent* entry = ::readdir(dir)) {
        if (!isTemporaryOf(entry->d_name, prefix)) {
            continue;
        }
        struct stat info {};
        if (::fstatat(::dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode) && info.st_mtime < cutoff) {
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
        }
    }
    ::closedir(dir);
}

}  // namespace

int openRegularFile(const std::filesystem::path& path, int flags, std::string_view verb,
                    unsigned mode) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, mode);
    struct stat info {};
    if (fd < 0) {
        // Some kinds cannot be opened at all (a socket gives ENXIO): say what stands there.
        const int error = errno;
        if (error != ENOENT && error != ENOTDIR && ::stat(path.c_str(), &info) == 0 &&
            !S_ISREG(info.st_mode)) {
            throwNotRegular(path, info.st_mode, verb);
        }
        errno = error;
        return -1;
    }
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        throwErrno(error, std::string(verb) + " " + path.string());
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        throwNotRegular(path, info.st_mode, verb);
    }
    return fd;
}

std::optional<std::string> readIfPresent(const std::filesystem::path& path) {
    Descriptor fd(openRegularFile(path, O_RDONLY, "read"));
    if (fd.get() < 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return std::nullopt;
        }
        throwErrno(errno, "open " + path.string());
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) {
        throwErrno(errno, "read " + path.string());
    }
    const auto size = static_cast<std::uintmax_t>(info.st_size);
    if (size > maximumReadSize) {
        throwTooLarge(path, std::to_string(size) + " bytes");
    }
    return readAll(fd.get(), path, size);
}

void writeAtomically(const std::filesystem::path& path, std::string_view contents) {
    const std::filesystem::path folder = path.parent_path().empty() ? "." : path.parent_path();
    const std::string prefix = "." + path.filename().string() + ".";
    std::string temporary = (folder / (prefix + "XXXXXX")).string();
    Descriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.get() < 0) {
        throwErrno(errno, "create a temporary file for " + path.string());
    }
    const auto fail = [&](int error, const char* step) {
        ::unlink(temporary.c_str());
        throwErrno(error, std::string(step) + " " + path.string());
    };
    if (::fchmod(fd.get(), S_IRUSR | S_IWUSR) != 0) {
        fail(errno, "chmod");
    }
    std::size_t written = 0;
    while (written < contents.size()) {
        const ssize_t n = ::write(fd.get(), contents.data() + written, contents.size() - written);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            fail(errno, "write");
        }
        written += static_cast<std::size_t>(n);
    }
    if (::fsync(fd.get()) != 0) {
        fail(errno, "fsync");
    }
    if (fd.close() != 0) {
        fail(errno, "close");
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        fail(errno, "rename");
    }
    removeStaleTemporaries(folder, prefix);
}

bool exists(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

void removeIfPresent(const std::filesystem::path& path) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT && errno != ENOTDIR) {
        throwErrno(errno, "remove " + path.string());
    }
}

void createDirectories(const std::filesystem::path& folder, std::filesystem::perms mode) {
    if (folder.empty()) {
        return;  // the folder of a bare file name: the working folder
    }
    std::error_code error;
    if (std::filesystem::is_directory(folder, error)) {
        return;
    }
    if (folder.has_parent_path() && folder.parent_path() != folder) {
        createDirectories(folder.parent_path(), mode);
    }
    if (::mkdir(folder.c_str(), static_cast<mode_t>(mode)) != 0 && errno != EEXIST) {
        throw std::filesystem::filesystem_error("create folder", folder,
                                                std::error_code(errno, std::generic_category()));
    }
    if (!std::filesystem::is_directory(folder, error)) {
        throw std::filesystem::filesystem_error("create folder", folder,
                                                std::make_error_code(std::errc::not_a_directory));
    }
}

void keepFolderPrivate(const std::filesystem::path& folder) {
    const auto fail = [&](const std::string& what, int error) {
        throw std::filesystem::filesystem_error(what, folder,
                                                std::error_code(error, std::generic_category()));
    };
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0) {
        fail("examine folder", errno);
    }
    if (!S_ISDIR(info.st_mode)) {
        fail("examine folder", ENOTDIR);
    }
    if (info.st_uid != ::geteuid()) {
        fail("folder owned by user " + std::to_string(info.st_uid) + ", not by user " +
                 std::to_string(::geteuid()),
             EPERM);
    }
    constexpr mode_t others = S_IRWXG | S_IRWXO;
    if ((info.st_mode & others) != 0 && ::chmod(folder.c_str(), info.st_mode & S_IRWXU) != 0) {
        fail("make folder private", errno);
    }
}

}  // namespace quorvel::files
