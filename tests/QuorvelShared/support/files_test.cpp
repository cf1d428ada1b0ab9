#include "QuorvelShared/support/files.hpp"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include "testkit/capture_error.hpp"
#include "testkit/child_process.hpp"
#include "testkit/odd_files.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel {
namespace {

namespace fs = std::filesystem;

class FilesTest : public ::testing::Test {
protected:
    testkit::TempXdgHome home;
    fs::path file = home.root() / "state.json";

    std::vector<std::string> folderEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(home.root())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(FilesTest, MissingFileReadsAsNoValue) {
    EXPECT_EQ(files::readIfPresent(file), std::nullopt);
}

TEST_F(FilesTest, AFileWhereAFolderShouldBeMeansNoFileBelowIt) {
    files::writeAtomically(file, "x");
    EXPECT_EQ(files::readIfPresent(file / "inner.json"), std::nullopt);
    files::removeIfPresent(file / "inner.json");
    EXPECT_EQ(files::readIfPresent(file), "x");
}

TEST_F(FilesTest, AtomicWriteReplacesContentWithOwnerOnlyMode) {
    files::writeAtomically(file, "first");
    files::writeAtomically(file, "second");
    EXPECT_EQ(files::readIfPresent(file), "second");
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(folderEntries(), (std::vector<std::string>{"config", "data", "state.json"}));
}

TEST_F(FilesTest, FailedWriteLeavesTheOldFileAndNoTemporary) {
    files::writeAtomically(file, "old content");
    // A file-size limit makes the write itself fail part way, as a full disk would.
    const pid_t child = testkit::startChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4, 4};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const auto error = testkit::captureError<std::system_error>(
            [&] { files::writeAtomically(file, "new content that is longer than four bytes"); });
        if (!error)
            return 1;
        return error->code().value() == EFBIG ? 0 : 2;
    });
    EXPECT_EQ(testkit::waitForChild(child), 0);
    EXPECT_EQ(files::readIfPresent(file), "old content");
    EXPECT_EQ(folderEntries(), (std::vector<std::string>{"config", "data", "state.json"}));
}

TEST_F(FilesTest, WriteIntoMissingFolderFails) {
    EXPECT_THROW(files::writeAtomically(home.root() / "absent" / "f.json", "x"), std::system_error);
}

TEST_F(FilesTest, ReadOfSomethingThatIsNotAFileThrows) {
    fs::create_directories(file);
    EXPECT_THROW(files::readIfPresent(file), std::system_error);
}

// The seam the stores' tests fail their reads through: while a FIFO stands in the file's place,
// a read fails naming the file, a write still goes through and stays, and the file comes back
// when nothing was written.
TEST_F(FilesTest, AFifoInTheFilesPlaceFailsReadsUntilLiftedAndLetsWritesThrough) {
    files::writeAtomically(file, "intact");
    {
        const testkit::FifoInPlace failure(file);
        const auto error =
            testkit::captureError<std::system_error>([&] { return files::readIfPresent(file); });
        ASSERT_TRUE(error) << "expected a read error";
        EXPECT_EQ(error->code().value(), ENOTSUP);
        EXPECT_NE(std::string(error->what()).find(file.string()), std::string::npos);
    }
    EXPECT_EQ(files::readIfPresent(file), "intact");
    {
        const testkit::FifoInPlace failure(file);
        files::writeAtomically(file, "written meanwhile");
    }
    EXPECT_EQ(files::readIfPresent(file), "written meanwhile");
    files::removeIfPresent(file);
    {
        const testkit::FifoInPlace failure(file);
        EXPECT_THROW(files::readIfPresent(file), std::system_error);
    }
    EXPECT_EQ(files::readIfPresent(file), std::nullopt);
    EXPECT_EQ(folderEntries(), (std::vector<std::string>{"config", "data"}));
}

TEST_F(FilesTest, RemoveIfPresentIgnoresMissingFiles) {
    files::removeIfPresent(file);
    files::writeAtomically(file, "x");
    files::removeIfPresent(file);
    EXPECT_FALSE(files::exists(file));
}

TEST_F(FilesTest, CreateDirectoriesRefusesAFileInTheWay) {
    files::writeAtomically(file, "x");
    EXPECT_THROW(files::createDirectories(file / "sub"), fs::filesystem_error);
    EXPECT_THROW(files::createDirectories(file), fs::filesystem_error);
}

// The folder of a bare relative file name is the empty path: the current folder, which exists.
TEST_F(FilesTest, CreateDirectoriesTakesTheEmptyPathForTheCurrentFolder) {
    const fs::path bare = "state.json";
    ASSERT_EQ(bare.parent_path(), fs::path());
    EXPECT_NO_THROW(files::createDirectories(bare.parent_path()));
}

}  // namespace
}  // namespace quorvel
