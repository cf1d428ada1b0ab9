#pragma once

// What can stand where a state file should be, made at a path by a test: the kinds a user or
// another program on the machine can leave in the programs' folders. Each must end in an error
// that names the file, with the thing left as it was.
#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace quorvel::testkit {

struct OddFile {
    const char* name;
    void (*make)(const std::filesystem::path& at);
    // What the error's text says besides the path.
    std::string inError;
    // False for the regular files (too large, unreadable, endless).
    bool notRegular;
};

// A FIFO, a symbolic link to /dev/zero, a directory, a socket, a file one byte over the read
// bound, a file that cannot be opened for reading, and one whose size says 0 but whose reading
// runs past the bound. The last two are symbolic links into /proc: a kernel setting that is
// write-only even for root (the tests run as root, for whom a mode of 000 still reads), and the
// reader's own page map.
const std::vector<OddFile>& oddFiles();

// What tells a thing at a path left alone: its kind, inode, size and modification time, taken
// without following a symbolic link.
struct PathState {
    mode_t kind = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;
    bool operator==(const PathState&) const = default;
};
// Fails the test when nothing is at the path.
PathState pathState(const std::filesystem::path& path);

// Puts a FIFO in the place of the file at `path` for the object's life: every read of the path
// fails with an error naming the file, while a write, which renames its new file over the FIFO,
// still succeeds. So a test shows that an operation which writes after a read stops instead of
// taking the failed read for an empty file. At the end the file comes back (or nothing, when
// there was none), unless something was written or removed in the FIFO's place meanwhile: that
// stays for the test to see. A test's own read of the path would block while the FIFO stands.
class FifoInPlace {
public:
    explicit FifoInPlace(std::filesystem::path path);
    ~FifoInPlace();
    FifoInPlace(const FifoInPlace&) = delete;
    FifoInPlace& operator=(const FifoInPlace&) = delete;

private:
    std::filesystem::path path_;
    // Where the file waits meanwhile: beside it, so that it moves back in one rename.
    std::filesystem::path setAside_;
    bool hadFile_ = false;
    PathState fifo_;
};

}  // namespace quorvel::testkit
