// The icons of applications found as the desktop finds them, with real icon files in temporary
// XDG data folders (the system's own last, for hicolor's description and the packaged symbols):
// an absolute path, the user's theme and hicolor at their largest size or their scalable drawing,
// the data folders' "pixmaps", and the generic symbol where nothing is found. Every icon fills
// the frame it is drawn in.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QListWidget>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "QuorvelMac/shell/mac_application_icon_provider.hpp"
#include "QuorvelMac/shell/mac_application_picker.hpp"
#include "QuorvelMac/ui/kit/theme.hpp"
#include "QuorvelPlatform/desktop/desktop_entry.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel {
namespace {

namespace fs = std::filesystem;

constexpr int frame = 84;  // the lock panel's icon, the largest an application icon is drawn

class ApplicationIconTest : public ::testing::Test {
protected:
    ApplicationIconTest() {
        if (const char* dirs = std::getenv("XDG_DATA_DIRS"))
            previousDirs_ = dirs;
        ::setenv("XDG_DATA_DIRS", (share.string() + ":/usr/share").c_str(), 1);
    }
    ~ApplicationIconTest() override {
        if (previousDirs_) {
            ::setenv("XDG_DATA_DIRS", previousDirs_->c_str(), 1);
        } else {
            ::unsetenv("XDG_DATA_DIRS");
        }
    }

    static void writeSquare(const fs::path& file, int side, const QColor& colour) {
        fs::create_directories(file.parent_path());
        QImage image(side, side, QImage::Format_ARGB32);
        image.fill(colour);
        ASSERT_TRUE(image.save(QString::fromStdString(file.string())));
    }
    static void writeSvg(const fs::path& file, const char* colour) {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << "<svg xmlns='http://www.w3.org/2000/svg' width='16' height='16'>"
                               "<rect width='16' height='16' fill='"
                            << colour << "'/></svg>";
    }
    static desktop::DesktopEntry entryWithIcon(const std::optional<std::string>& icon) {
        std::string text = "[Desktop Entry]\nType=Application\nName=Tool\n";
        if (icon)
            text += "Icon=" + *icon + "\n";
        return *desktop::parseDesktopEntry(text, "tool", "/tool.desktop");
    }

    testkit::TempXdgHome home;
    fs::path share = home.root() / "share";

private:
    std::optional<std::string> previousDirs_;
};

TEST_F(ApplicationIconTest, TheEntrysIconIsFoundAsTheDesktopFindsItAndFillsTheFrame) {
    writeSquare(home.root() / "own/tool.png", 32, Qt::red);
    writeSquare(share / "icons/hicolor/48x48/apps/only-in-hicolor.png", 48, Qt::blue);
    writeSquare(share / "icons/hicolor/256x256/apps/only-in-hicolor.png", 256, Qt::green);
    writeSvg(share / "icons/hicolor/scalable/apps/drawn-in-hicolor.svg", "#ff00ff");
    writeSquare(share / "pixmaps/only-in-pixmaps.png", 48, Qt::yellow);
    writeSquare(home.dataHome() / "pixmaps/only-in-the-data-home.png", 32, Qt::cyan);

    struct Case {
        const char* why;
        std::string icon;
        QColor drawn;
    };
    const std::vector<Case> cases = {
        {"an absolute path", (home.root() / "own/tool.png").string(), Qt::red},
        {"hicolor, its largest size", "only-in-hicolor", Qt::green},
        {"hicolor, its scalable drawing", "drawn-in-hicolor", QColor(0xff, 0x00, 0xff)},
        {"a data folder's pixmaps", "only-in-pixmaps", Qt::yellow},
        {"the data home's pixmaps", "only-in-the-data-home", Qt::cyan},
    };
    for (const auto& c : cases) {
        const QIcon icon = MacApplicationIconProvider::iconOfEntry(entryWithIcon(c.icon));
        ASSERT_FALSE(icon.isNull()) << c.why;
        const QImage image = icon.pixmap(QSize(frame, frame), 1.0).toImage();
        ASSERT_EQ(image.size(), QSize(frame, frame)) << c.why;
        for (const QPoint& point :
             {QPoint(1, 1), QPoint(frame / 2, frame / 2), QPoint(frame - 2, frame - 2)}) {
            EXPECT_EQ(image.pixelColor(point), c.drawn)
                << c.why << " at " << point.x() << "," << point.y();
        }
    }
}

TEST_F(ApplicationIconTest, WithoutAnIconOfItsOwnAnApplicationShowsTheGenericSymbol) {
    const std::vector<std::pair<const char*, std::optional<std::string>>> cases = {
        {"a name nowhere", "no-such-icon-anywhere"},
        {"a path to nothing", (home.root() / "gone.png").string()},
        {"no Icon key", std::nullopt},
    };
    for (const auto& [why, icon] : cases) {
        const desktop::DesktopEntry entry = entryWithIcon(icon);
        EXPECT_TRUE(MacApplicationIconProvider::iconOfEntry(entry).isNull()) << why;
        const QIcon shown = MacApplicationIconProvider::shownIconOfEntry(entry);
        EXPECT_EQ(shown.name(), ui::theme::symbolicIconName("app")) << why;
        EXPECT_FALSE(shown.pixmap(32, 32).isNull()) << why;
    }
}

TEST_F(ApplicationIconTest, EveryRowOfThePickerHasAnIconSoTheNamesStandInLine) {
    writeSquare(share / "pixmaps/with-icon.png", 48, Qt::yellow);
    const fs::path applications = share / "applications";
    fs::create_directories(applications);
    std::ofstream(applications / "a.desktop")
        << "[Desktop Entry]\nType=Application\nName=A\nIcon=with-icon\n";
    std::ofstream(applications / "b.desktop") << "[Desktop Entry]\nType=Application\nName=B\n";
    std::ofstream(applications / "c.desktop")
        << "[Desktop Entry]\nType=Application\nName=C\nIcon=missing\n";
    desktop::DesktopEntryIndex index({applications});
    MacApplicationPickerDialog dialog(index);
    ASSERT_EQ(dialog.list()->count(), 3);
    const QSize side = dialog.list()->iconSize();
    for (int row = 0; row < dialog.list()->count(); ++row) {
        const QListWidgetItem* item = dialog.list()->item(row);
        const QImage drawn = item->icon().pixmap(side, 1.0).toImage();
        ASSERT_EQ(drawn.size(), side) << item->text().toStdString();
        int inked = 0;
        for (int y = 0; y < drawn.height(); ++y) {
            for (int x = 0; x < drawn.width(); ++x)
                inked += drawn.pixelColor(x, y).alpha() > 0;
        }
        EXPECT_GT(inked, side.width()) << item->text().toStdString();
    }
}

}  // namespace
}  // namespace quorvel
