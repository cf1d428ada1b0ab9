#include "QuorvelShared/support/file_lock.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "QuorvelShared/support/arithmetic.hpp"
#include "testkit/child_process.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel {
namespace {

namespace fs = std::filesystem;

int incrementCounter(const fs::path& counter) {
    return files::withCoordinatedFile(counter, [&] {
        const auto text = files::readIfPresent(counter);
        const std::int64_t value = text ? parseInt64(*text).value() : 0;
        files::writeAtomically(counter, std::to_string(value + 1));
        return 0;
    });
}

TEST(FileLock, ProcessesIncrementingUnderTheLockLoseNothing) {
    testkit::TempXdgHome home;
    const fs::path counter = home.root() / "counter";
    const auto statuses = testkit::runChildren(2, [&](int) {
        for (int i = 0; i < 200; ++i) {
            incrementCounter(counter);
        }
        return 0;
    });
    EXPECT_EQ(statuses, (std::vector<int>{0, 0}));
    EXPECT_EQ(files::readIfPresent(counter), "400");
}

TEST(FileLock, LockFileIsHiddenBesideTheDataAndKept) {
    testkit::TempXdgHome home;
    const fs::path data = home.root() / "sub" / "allow-windows.json";
    EXPECT_EQ(files::coordinationLockFile(data), home.root() / "sub" / ".allow-windows.json.lock");
    files::withCoordinatedFile(data, [] {});
    struct stat info {};
    ASSERT_EQ(::stat(files::coordinationLockFile(data).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(info.st_size, 0);
}

TEST(FileLock, ErrorsOfTheBodyReachTheCallerAndReleaseTheLock) {
    testkit::TempXdgHome home;
    const fs::path data = home.root() / "data.json";
    EXPECT_THROW(files::withCoordinatedFile(data, []() -> int { throw std::runtime_error("x"); }),
                 std::runtime_error);
    EXPECT_EQ(files::withCoordinatedFile(data, [] { return 7; }), 7);
}

TEST(FileLock, UnusableLockFolderFailsBeforeTheBody) {
    testkit::TempXdgHome home;
    const fs::path blocker = home.root() / "blocker";
    files::writeAtomically(blocker, "a file where a folder should be");
    bool ran = false;
    std::mutex mutex;
    EXPECT_ANY_THROW(files::withLockedFile(mutex, blocker / ".lock", [&] { ran = true; }));
    EXPECT_FALSE(ran);
    EXPECT_TRUE(mutex.try_lock());
    mutex.unlock();
}

}  // namespace
}  // namespace quorvel
