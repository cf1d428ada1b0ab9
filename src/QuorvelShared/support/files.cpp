#include "QuorvelShared/support/files.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>
#include <system_error>

namespace quorvel::files {
namespace {

std::mutex faultsMutex;
std::map<std::filesystem::path, int>& readFaults() {
    static std::map<std::filesystem::path, int> faults;
    return faults;
}

std::optional<int> readFaultFor(const std::filesystem::path& path) {
    std::lock_guard lock(faultsMutex);
    const auto& faults = readFaults();
    if (faults.empty()) {
        return std::nullopt;
    }
    const auto it = faults.find(path.lexically_normal());
    if (it == faults.end()) {
        return std::nullopt;
    }
    return it->second;
}

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

}  // namespace

std::optional<std::string> readIfPresent(const std::filesystem::path& path) {
    if (const auto fault = readFaultFor(path)) {
        throwErrno(*fault, "read " + path.string());
    }
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return std::nullopt;
        }
        throwErrno(errno, "open " + path.string());
    }
    std::string contents;
    char buffer[16384];
    while (true) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throwErrno(errno, "read " + path.string());
        }
        if (n == 0) {
            break;
        }
        contents.append(buffer, static_cast<std::size_t>(n));
    }
    return contents;
}

void writeAtomically(const std::filesystem::path& path, std::string_view contents) {
    const std::filesystem::path folder = path.parent_path().empty() ? "." : path.parent_path();
    std::string temporary = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
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
        throw std::filesystem::filesystem_error(
            "create folder", folder, std::make_error_code(std::errc::not_a_directory));
    }
}

ScopedReadFailureForTesting::ScopedReadFailureForTesting(std::filesystem::path path, int error)
    : path_(path.lexically_normal()) {
    std::lock_guard lock(faultsMutex);
    readFaults()[path_] = error;
}

ScopedReadFailureForTesting::~ScopedReadFailureForTesting() {
    std::lock_guard lock(faultsMutex);
    readFaults().erase(path_);
}

}  // namespace quorvel::files
