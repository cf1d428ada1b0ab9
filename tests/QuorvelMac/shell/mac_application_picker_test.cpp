#include "QuorvelMac/shell/mac_application_picker.hpp"

#include <QImage>
#include <QListWidget>

#include "QuorvelMac/shell/mac_application_descriptor.hpp"
#include "QuorvelMac/shell/mac_application_icon_provider.hpp"
#include "QuorvelMac/ui/kit/theme.hpp"
#include "shell_x11_fixture.hpp"
#include "testkit/capture_error.hpp"

namespace quorvel {
namespace {

using namespace shelltest;
namespace fs = std::filesystem;

class MacApplicationPickerTest : public ShellX11Test {
protected:
    fs::path write(const fs::path& relative, const std::string& text) {
        const auto file = applications / relative;
        fs::create_directories(file.parent_path());
        std::ofstream(file) << text;
        return file;
    }
    std::vector<fs::path> folders() const { return {applications}; }
};

TEST_F(MacApplicationPickerTest, DescriptorsReadFromDesktopEntries) {
    struct Case {
        const char* name;
        fs::path file;
        MacApplicationDescriptor expected;
    };
    const std::vector<Case> cases = {
        {"Japanese name first",
         write("a.desktop", "[Desktop Entry]\nType=Application\nName=Alpha\nName[ja]=アルファ\n"),
         {"a", "アルファ", (applications / "a.desktop").string()}},
        {"an empty name is taken as it is",
         write("b.desktop", "[Desktop Entry]\nType=Application\nName[ja]=\nName=Beta\n"),
         {"b", "", (applications / "b.desktop").string()}},
        {"no name: the file name",
         write("Some Tool.desktop", "[Desktop Entry]\nType=Application\n"),
         {"Some Tool", "Some Tool", (applications / "Some Tool.desktop").string()}},
        {"suffix in capitals",
         write("C.DESKTOP", "[Desktop Entry]\nType=Application\nName=C\n"),
         {"C", "C", (applications / "C.DESKTOP").string()}},
        {"entry in a subfolder",
         write("vendor/tool.desktop", "[Desktop Entry]\nType=Application\nName=Tool\n"),
         {"vendor-tool", "Tool", (applications / "vendor/tool.desktop").string()}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readMacApplicationDescriptor(c.file, folders()), c.expected) << c.name;
}

TEST_F(MacApplicationPickerTest, FilesThatAreNoApplicationsAreRefused) {
    using Code = MacApplicationDescriptorError;
    auto codeOf = [&](const fs::path& file) {
        return testkit::captureErrorCode<Error<Code>>(
            [&] { return readMacApplicationDescriptor(file, folders()); });
    };
    EXPECT_EQ(codeOf(write("x.txt", "[Desktop Entry]\nType=Application\nName=X\n")),
              Code::notAnApplication);
    EXPECT_EQ(codeOf(write("link.desktop", "[Desktop Entry]\nType=Link\nName=L\nURL=x\n")),
              Code::notAnApplication);
    EXPECT_EQ(codeOf(write("nogroup.desktop", "[Other]\nType=Application\n")),
              Code::notAnApplication);
    EXPECT_EQ(codeOf(write(" .desktop", "[Desktop Entry]\nType=Application\nName=Blank\n")),
              Code::missingBundleIdentifier);
    EXPECT_THROW(readMacApplicationDescriptor(applications / "missing.desktop", folders()),
                 std::system_error);
}

TEST_F(MacApplicationPickerTest, UnreadableChoicesAreLeftOutInOrder) {
    const auto first = write("one.desktop", "[Desktop Entry]\nType=Application\nName=One\n");
    const auto second = write("two.desktop", "[Desktop Entry]\nType=Application\nName=Two\n");
    const auto descriptors =
        readableDescriptors({second, applications / "gone.desktop", first}, folders());
    ASSERT_EQ(descriptors.size(), 2u);
    EXPECT_EQ(descriptors[0].bundleIdentifier, "two");
    EXPECT_EQ(descriptors[1].bundleIdentifier, "one");
}

TEST_F(MacApplicationPickerTest, ChosenEntriesBecomeTargetsThatTheObserverRecognises) {
    writeEntry("hidden", "[Desktop Entry]\nType=Application\nName=Hidden\nNoDisplay=true\n");
    MacApplicationPickerDialog dialog(*index);
    QStringList names;
    for (int row = 0; row < dialog.list()->count(); ++row)
        names << dialog.list()->item(row)->text();
    EXPECT_EQ(names, (QStringList{"Editor", "Viewer"})) << "shown entries, by name";
    EXPECT_EQ(dialog.windowTitle(), "ロックするアプリを選択");

    dialog.list()->item(0)->setSelected(true);
    const auto descriptors = dialog.chosenDescriptors();
    ASSERT_EQ(descriptors.size(), 1u);
    const MacLockTarget target = MacLockTarget::macApplication(descriptors[0]);
    EXPECT_EQ(target.id, "mac-app:org.example.Editor");
    EXPECT_EQ(target.identifier, "org.example.Editor");
    EXPECT_EQ(target.displayName, "Editor");
    EXPECT_TRUE(target.enabled);
    EXPECT_TRUE(target.inheritsDefaultPolicy);

    testkit::TestWindow editor("editor", "Editor", PixelRect{10, 10, 200, 100});
    auto observer = makeObserver();
    x11.setActive(editor.id());
    std::optional<RunningApplicationSnapshot> front;
    ASSERT_TRUE(runLoopUntil([&] {
        front = observer->currentSnapshot();
        return front.has_value();
    }));
    EXPECT_EQ(front->bundleIdentifier, target.identifier);
}

TEST_F(MacApplicationPickerTest, IconsComeFromTheEntryAndFollowAMovedEntry) {
    const auto png = xdg.root() / "editor.png";
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(QString::fromStdString(png.string())));
    writeEntry("org.example.Editor",
               "[Desktop Entry]\nType=Application\nName=Editor\nIcon=" + png.string() + "\n");
    MacApplicationIconProvider icons(index);

    MacLockTarget target = editorTarget();
    target.applicationURLPath = (applications / "moved-away.desktop").string();
    EXPECT_EQ(icons.applicationURL(target), applications / "org.example.Editor.desktop")
        << "an entry that is gone is found again by its identifier";
    const QImage drawn = icons.icon(target).pixmap(32, 32).toImage();
    ASSERT_FALSE(drawn.isNull());
    EXPECT_EQ(drawn.pixelColor(16, 16), QColor(Qt::red));

    MacLockTarget unknown = editorTarget();
    unknown.identifier = "org.example.Nowhere";
    unknown.applicationURLPath.reset();
    EXPECT_EQ(icons.applicationURL(unknown), std::nullopt);
    // The "app" symbol, even on a display without an icon theme: never a failure, never blank.
    const QIcon generic = icons.icon(unknown);
    EXPECT_EQ(generic.name(), ui::theme::symbolicIconName("app"));
    const QImage symbol = generic.pixmap(32, 32).toImage();
    int inked = 0;
    for (int y = 0; y < symbol.height(); ++y)
        for (int x = 0; x < symbol.width(); ++x)
            inked += symbol.pixelColor(x, y).alpha() > 0;
    EXPECT_GT(inked, 32);
}

}  // namespace
}  // namespace quorvel
