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

}  // namespace quorvel::testkit
