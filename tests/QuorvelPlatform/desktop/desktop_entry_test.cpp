#include "QuorvelPlatform/desktop/desktop_entry.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace quorvel::desktop {
namespace {

TEST(DesktopEntryTest, ParsesTheMainGroup) {
    const auto entry = parseDesktopEntry(
        "# comment\n[Desktop Entry]\nType=Application\nName=Text "
        "Editor\nName[ja]=テキストエディタ\n"
        "Icon=accessories-text-editor\nExec=gedit %U\nTryExec=gedit\nStartupWMClass=Gedit\n"
        "Comment=Line one\\nline two\n[Desktop Action new]\nName=New window\nExec=gedit --new\n",
        "org.gnome.gedit", "/x/org.gnome.gedit.desktop");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->id, "org.gnome.gedit");
    EXPECT_EQ(entry->name, "Text Editor") << "a later group's Name does not count";
    EXPECT_EQ(entry->displayName(), "テキストエディタ");
    EXPECT_EQ(entry->icon, "accessories-text-editor");
    EXPECT_EQ(entry->exec, "gedit %U");
    EXPECT_EQ(entry->tryExec, "gedit");
    EXPECT_EQ(entry->startupWMClass, "Gedit");
    EXPECT_FALSE(entry->noDisplay);
}

TEST(DesktopEntryTest, RefusedEntries) {
    const std::vector<std::pair<const char*, const char*>> refused = {
        {"no main group", "Type=Application\nName=X\n"},
        {"another group first", "[Other]\nName=Y\n[Desktop Entry]\nType=Application\nName=X\n"},
        {"a link", "[Desktop Entry]\nType=Link\nName=X\nURL=https://example.org\n"},
        {"no name", "[Desktop Entry]\nType=Application\nExec=x\n"},
        {"hidden: deleted", "[Desktop Entry]\nType=Application\nName=X\nHidden=true\n"},
    };
    for (const auto& [why, text] : refused)
        EXPECT_FALSE(parseDesktopEntry(text, "x", "/x.desktop")) << why;
}

TEST(DesktopEntryTest, EscapesAndNoDisplay) {
    const auto entry = parseDesktopEntry(
        "[Desktop Entry]\nType=Application\nName=A\\sB\\\\C\nNoDisplay=true\n", "x", "/x");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->name, "A B\\C");
    EXPECT_TRUE(entry->noDisplay);
}

// Read as the desktop's own library reads them: spaces around "=", the booleans' spellings, the
// Japanese name only under its own key.
TEST(DesktopEntryTest, KeysAsTheDesktopReadsThem) {
    struct Case {
        const char* why;
        const char* keys;
        std::optional<std::string> japaneseName;
        bool noDisplay;
    };
    const std::vector<Case> cases = {
        {"spaced keys", "Name = N\nName[ja] = 名前\nNoDisplay = true\n", "名前", true},
        {"a regional Japanese name is no Name[ja]", "Name=N\nName[ja_JP]=名前\n", std::nullopt,
         false},
        {"an empty Japanese name is one", "Name=N\nName[ja]=\n", "", false},
        {"NoDisplay=false", "Name=N\nNoDisplay=false\n", std::nullopt, false},
    };
    for (const auto& c : cases) {
        const auto entry = parseDesktopEntry(
            std::string("[Desktop Entry]\nType=Application\n") + c.keys, "x", "/x");
        ASSERT_TRUE(entry) << c.why;
        EXPECT_EQ(entry->name, "N") << c.why;
        EXPECT_EQ(entry->japaneseName, c.japaneseName) << c.why;
        EXPECT_EQ(entry->noDisplay, c.noDisplay) << c.why;
    }
    EXPECT_FALSE(
        parseDesktopEntry("[Desktop Entry]\nType=Application\nName=N\nHidden = true\n", "x", "/x"));
}

TEST(DesktopEntryTest, ProgramOfACommandLine) {
    EXPECT_EQ(programOfCommand("/opt/tool/bin/tool --flag %f"),
              std::filesystem::path("/opt/tool/bin/tool"));
    EXPECT_EQ(programOfCommand("\"/opt/my tool/run\" %U"),
              std::filesystem::path("/opt/my tool/run"));
    EXPECT_EQ(programOfCommand("   "), std::nullopt);
    const auto sh = programOfCommand("sh -c true");
    ASSERT_TRUE(sh);
    EXPECT_EQ(sh->filename(), "sh");
    EXPECT_TRUE(sh->is_absolute());
    EXPECT_EQ(programOfCommand("no-such-program-anywhere-4711"), std::nullopt);
}

}  // namespace
}  // namespace quorvel::desktop
