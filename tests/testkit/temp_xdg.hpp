#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace quorvel::testkit {

// Points XDG_DATA_HOME and XDG_CONFIG_HOME at a fresh temporary folder for the object's lifetime,
// so a test never touches the real home; restores the previous values and removes the folder.
class TempXdgHome {
public:
    TempXdgHome();
    ~TempXdgHome();
    TempXdgHome(const TempXdgHome&) = delete;
    TempXdgHome& operator=(const TempXdgHome&) = delete;

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path dataHome() const { return root_ / "data"; }
    std::filesystem::path configHome() const { return root_ / "config"; }
    // Where the shared state folder lies (not created by this object).
    std::filesystem::path stateFolder() const { return dataHome() / "Quorvel"; }

private:
    std::filesystem::path root_;
    std::optional<std::string> previousData_;
    std::optional<std::string> previousConfig_;
};

// Reads a whole file; fails the test when it cannot.
std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& contents);

// What tells a replaced file from one left alone: a replacement is a new file (a new inode, made
// while the old one still existed) with a new modification time.
struct FileIdentity {
    std::uint64_t inode = 0;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;
    bool operator==(const FileIdentity&) const = default;
};
// Fails the test when the file cannot be examined.
FileIdentity fileIdentity(const std::filesystem::path& path);
// The permission bits of the file or folder (0777 at most); fails the test when it cannot be
// examined.
unsigned modeOf(const std::filesystem::path& path);
// Dates the file's modification back a day, so that a rewrite within the same second still shows.
void ageFile(const std::filesystem::path& path);

}  // namespace quorvel::testkit
