// A writer killed in the middle of a write leaves its temporary file behind; a later write of the
// same file clears it once it is older than a minute, and touches nothing else.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>

#include "QuorvelShared/support/files.hpp"
#include "testkit/child_process.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel {
namespace {

namespace fs = std::filesystem;

class StaleTemporaries : public ::testing::Test {
protected:
    testkit::TempXdgHome home;
    fs::path folder = home.root() / "state";
    fs::path file = folder / "state.json";

    void SetUp() override { fs::create_directories(folder); }

    std::vector<std::string> hiddenEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) {
            const std::string name = entry.path().filename().string();
            if (name.starts_with(".")) {
                names.push_back(name);
            }
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    // A child process writes the file and is killed part way, as by a full quota's signal: the
    // limit on file size stops its write with SIGXFSZ, whose default action ends the process.
    void interruptedWrite() {
        const pid_t child = testkit::startChild([&] {
            rlimit noCore{0, 0};
            ::setrlimit(RLIMIT_CORE, &noCore);
            std::signal(SIGXFSZ, SIG_DFL);
            rlimit limit{4, 4};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            files::writeAtomically(file, "content longer than the four bytes the limit allows");
            return 0;
        });
        ASSERT_EQ(testkit::waitForChild(child), -1) << "the writer was not killed";
    }
};

TEST_F(StaleTemporaries, AnInterruptedWriteLeavesOneThatALaterWriteRemovesOnceOld) {
    files::writeAtomically(file, "whole");
    interruptedWrite();
    EXPECT_EQ(files::readIfPresent(file), "whole");
    const std::vector<std::string> left = hiddenEntries();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_TRUE(left[0].starts_with(".state.json.")) << left[0];
    EXPECT_EQ(left[0].size(), std::string(".state.json.").size() + 6) << left[0];

    // Younger than a minute, it may still be another process's write in progress.
    files::writeAtomically(file, "second");
    EXPECT_EQ(hiddenEntries(), left);

    testkit::ageFile(folder / left[0]);
    files::writeAtomically(file, "third");
    EXPECT_TRUE(hiddenEntries().empty());
    EXPECT_EQ(files::readIfPresent(file), "third");
}

TEST_F(StaleTemporaries, OnlyTheWrittenFilesOwnPatternIsCleared) {
    const std::vector<std::string> others = {
        ".state.json.lock",     // its lock file
        ".state.json.ABCDEFG",  // seven characters
        ".state.json.ABC-EF",   // not a character mkstemp chooses
        ".other.json.ABCDEF",   // another file's temporary
        "state.json.ABCDEF",    // not hidden
        ".state.jsonXABCDEF",   // no dot before the six characters
    };
    for (const std::string& name : others) {
        testkit::writeFile(folder / name, "keep");
        testkit::ageFile(folder / name);
    }
    testkit::writeFile(folder / ".state.json.Ab3dE9", "stale");
    testkit::ageFile(folder / ".state.json.Ab3dE9");
    files::writeAtomically(file, "new");
    for (const std::string& name : others) {
        EXPECT_TRUE(fs::exists(folder / name)) << name;
    }
    EXPECT_FALSE(fs::exists(folder / ".state.json.Ab3dE9"));
}

}  // namespace
}  // namespace quorvel
