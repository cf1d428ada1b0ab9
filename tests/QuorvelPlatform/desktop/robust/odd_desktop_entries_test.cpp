// Something odd named like a desktop entry in an applications folder (a FIFO there once blocked the
// application's reading of the folder for good): it is no entry, the folder's other entries are
// found, and the thing is left as it was.
#include <gtest/gtest.h>

#include <fstream>

#include "QuorvelPlatform/desktop/desktop_entry.hpp"
#include "QuorvelPlatform/desktop/desktop_entry_index.hpp"
#include "testkit/odd_files.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel::desktop {
namespace {

namespace fs = std::filesystem;

TEST(OddDesktopEntries, AreNoEntriesAndTheOthersAreFound) {
    for (const testkit::OddFile& odd : testkit::oddFiles()) {
        SCOPED_TRACE(odd.name);
        testkit::TempXdgHome home;
        const fs::path folder = home.root() / "applications";
        fs::create_directories(folder);
        std::ofstream(folder / "editor.desktop")
            << "[Desktop Entry]\nType=Application\nName=Editor\n";
        const fs::path oddEntry = folder / "odd.desktop";
        odd.make(oddEntry);
        const testkit::PathState before = testkit::pathState(oddEntry);

        EXPECT_EQ(readDesktopEntry(oddEntry, "odd"), std::nullopt);
        DesktopEntryIndex index({folder});
        EXPECT_EQ(index.find("odd"), nullptr);
        ASSERT_NE(index.find("editor"), nullptr);
        EXPECT_EQ(index.find("editor")->name, "Editor");
        EXPECT_EQ(testkit::pathState(oddEntry), before);
    }
}

}  // namespace
}  // namespace quorvel::desktop
