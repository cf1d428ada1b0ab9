#include "testkit/odd_files.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <system_error>
#include <utility>

#include "QuorvelShared/support/files.hpp"

namespace quorvel::testkit {
namespace {

namespace fs = std::filesystem;

void makeFifo(const fs::path& at) {
    ASSERT_EQ(::mkfifo(at.c_str(), 0600), 0) << at;
}

void makeZeroLink(const fs::path& at) {
    fs::create_symlink("/dev/zero", at);
}

void makeDirectory(const fs::path& at) {
    fs::create_directory(at);
}

void makeSocket(const fs::path& at) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(at.string().size(), sizeof address.sun_path) << at;
    std::strcpy(address.sun_path, at.c_str());
    EXPECT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0) << at;
    ::close(fd);
}

// Sparse: the bound is never written to disk.
void makeOversize(const fs::path& at) {
    const int fd = ::open(at.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0) << at;
    EXPECT_EQ(::write(fd, "{}", 2), 2);
    EXPECT_EQ(::ftruncate(fd, static_cast<off_t>(files::maximumReadSize + 1)), 0);
    ::close(fd);
}

void makeUnreadable(const fs::path& at) {
    fs::create_symlink("/proc/sys/vm/drop_caches", at);
}

// A regular file of size 0 whose reading goes on far past the bound: the reader's own page map.
void makeEndless(const fs::path& at) {
    fs::create_symlink("/proc/self/pagemap", at);
}

}  // namespace

const std::vector<OddFile>& oddFiles() {
    static const std::vector<OddFile> kinds = {
        {"FIFO", makeFifo, "a FIFO", true},
        {"link to /dev/zero", makeZeroLink, "a character device", true},
        {"directory", makeDirectory, "a directory", true},
        {"socket", makeSocket, "a socket", true},
        {"one byte over the bound", makeOversize,
         std::to_string(files::maximumReadSize + 1) + " bytes", false},
        {"unreadable", makeUnreadable, "Permission denied", false},
        {"empty by its size, endless by its content", makeEndless, "grew while being read", false},
    };
    return kinds;
}

PathState pathState(const fs::path& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << "nothing at " << path;
    return {info.st_mode & S_IFMT, info.st_ino, info.st_size, info.st_mtim.tv_sec,
            info.st_mtim.tv_nsec};
}

FifoInPlace::FifoInPlace(fs::path path)
    : path_(std::move(path)),
      setAside_(path_.parent_path() / ("." + path_.filename().string() + ".set-aside-by-test")) {
    std::error_code error;
    hadFile_ = fs::exists(fs::symlink_status(path_, error));
    if (hadFile_)
        fs::rename(path_, setAside_);
    makeFifo(path_);
    fifo_ = pathState(path_);
}

FifoInPlace::~FifoInPlace() {
    struct stat info {};
    const bool fifoStands = ::lstat(path_.c_str(), &info) == 0 &&
                            (info.st_mode & S_IFMT) == fifo_.kind && info.st_ino == fifo_.inode;
    std::error_code error;
    if (!fifoStands) {
        fs::remove(setAside_, error);
        return;
    }
    EXPECT_EQ(::unlink(path_.c_str()), 0) << path_;
    if (hadFile_) {
        fs::rename(setAside_, path_, error);
        EXPECT_FALSE(error) << setAside_ << ": " << error.message();
    }
}

}  // namespace quorvel::testkit
