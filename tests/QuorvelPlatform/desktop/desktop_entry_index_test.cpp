#include "QuorvelPlatform/desktop/desktop_entry_index.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "testkit/temp_xdg.hpp"

namespace quorvel::desktop {
namespace {

namespace fs = std::filesystem;

class DesktopEntryIndexTest : public ::testing::Test {
protected:
    void write(const fs::path& folder, const std::string& relative, const std::string& name,
               const std::string& extra = "") {
        const auto file = folder / relative;
        fs::create_directories(file.parent_path());
        std::ofstream(file) << "[Desktop Entry]\nType=Application\nName=" << name << "\n" << extra;
    }
    testkit::TempXdgHome xdg;
    fs::path user = xdg.root() / "user/applications";
    fs::path system = xdg.root() / "system/applications";
};

TEST_F(DesktopEntryIndexTest, EarlierFoldersWinAndHiddenEntriesDelete) {
    write(user, "editor.desktop", "Mine");
    write(system, "editor.desktop", "System's");
    write(user, "removed.desktop", "Removed", "Hidden=true\n");
    write(system, "removed.desktop", "Removed");
    write(system, "kde/konsole.desktop", "Konsole");
    write(system, "notes.txt", "Not an entry");
    DesktopEntryIndex index({user, system});
    ASSERT_TRUE(index.find("editor"));
    EXPECT_EQ(index.find("editor")->name, "Mine");
    EXPECT_EQ(index.find("removed"), nullptr);
    ASSERT_TRUE(index.find("kde-konsole")) << "sub-folders become part of the id";
    EXPECT_EQ(index.find("kde-konsole")->file, system / "kde/konsole.desktop");
    EXPECT_EQ(index.entries().size(), 2u);
}

TEST_F(DesktopEntryIndexTest, NewEntriesAreFoundWithoutRestarting) {
    DesktopEntryIndex index({user, system});
    EXPECT_EQ(index.find("late"), nullptr) << "neither folder exists yet";
    write(system, "late.desktop", "Late");
    EXPECT_TRUE(index.find("late"));
    write(system, "deep/later.desktop", "Later");
    EXPECT_TRUE(index.find("deep-later"));
}

TEST_F(DesktopEntryIndexTest, IdsOfFilesUnderTheFolders) {
    EXPECT_EQ(desktopEntryId(system / "a/b.desktop", {user, system}), "a-b");
    EXPECT_EQ(desktopEntryId(user / "c.desktop", {user, system}), "c");
    EXPECT_EQ(desktopEntryId(xdg.root() / "elsewhere/d.desktop", {user, system}), std::nullopt);
    EXPECT_EQ(desktopEntryId(user / "e.txt", {user, system}), std::nullopt);
}

TEST_F(DesktopEntryIndexTest, DefaultFoldersFollowTheXdgVariables) {
    const auto folders = applicationFolders();
    ASSERT_FALSE(folders.empty());
    EXPECT_EQ(folders.front(), xdg.dataHome() / "applications");
}

TEST_F(DesktopEntryIndexTest, DataFoldersInTheOrderOfTheVariable) {
    const char* before = std::getenv("XDG_DATA_DIRS");
    const std::optional<std::string> previous =
        before ? std::optional<std::string>(before) : std::nullopt;
    const fs::path home = xdg.dataHome() / "applications";
    const std::vector<std::pair<const char*, std::vector<fs::path>>> cases = {
        {"/b:relative/c::/a", {home, "/b/applications", "/a/applications"}},
        {"", {home, "/usr/local/share/applications", "/usr/share/applications"}},
        {nullptr, {home, "/usr/local/share/applications", "/usr/share/applications"}},
    };
    for (const auto& [variable, expected] : cases) {
        if (variable) {
            ::setenv("XDG_DATA_DIRS", variable, 1);
        } else {
            ::unsetenv("XDG_DATA_DIRS");
        }
        EXPECT_EQ(applicationFolders(), expected) << (variable ? variable : "unset");
    }
    if (previous) {
        ::setenv("XDG_DATA_DIRS", previous->c_str(), 1);
    } else {
        ::unsetenv("XDG_DATA_DIRS");
    }
}

}  // namespace
}  // namespace quorvel::desktop
