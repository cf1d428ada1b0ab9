// The tray icon's pixels read on light and dark trays alike: whether the tray names its colours
// or not (trayer, tinted dark, names none), in the light and the dark scheme, and after the
// desktop switches its scheme while the program runs; and on the screen, in a real trayer.
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "QuorvelMac/model/model_fixture.hpp"
#include "QuorvelMac/shell/quorvel_mac_app.hpp"
#include "QuorvelMac/shell/shell_x11_fixture.hpp"
#include "QuorvelMac/ui/kit/palette_colours.hpp"
#include "schemes.hpp"
#include "testkit/x11/tray_manager.hpp"

namespace quorvel {
namespace {

using namespace shelltest;
using testkit::TrayManagerStandIn;

// The grounds of trays as they come: a light panel, and a dark one such as trayer's tint.
const std::vector<QColor> grounds = {QColor("#f6f5f4"), QColor("#1f1f1f")};

// Of the icon's opaque pixels, the share that stands out from the tray's ground by 3:1 or more,
// what the accessibility rules ask of a graphic. The glyph alone in the ground's own shade has
// none; a glyph in a contrasting shade, or lined by one, has a good part.
double shareStandingOut(const QImage& icon, const QColor& ground) {
    int opaque = 0, standing = 0;
    for (int y = 0; y < icon.height(); ++y) {
        for (int x = 0; x < icon.width(); ++x) {
            const QColor pixel = icon.pixelColor(x, y);
            if (pixel.alpha() < 128)
                continue;
            ++opaque;
            standing += ui::theme::contrast(ui::theme::over(pixel, ground), ground) >= 3.0;
        }
    }
    return opaque == 0 ? 0.0 : static_cast<double>(standing) / opaque;
}

constexpr double legibleShare = 0.3;

class TrayIconLookTest : public modeltest::ModelTest, protected X11Scene {
protected:
    TrayIconLookTest() : X11Scene(home.dataHome()) {}

    // With its tray icon (and no windows).
    void startApp() {
        QuorvelMacApp::Parts parts;
        parts.observer = makeObserver();
        parts.makeModel = [this] { return makeModel(); };
        app = std::make_unique<QuorvelMacApp>(std::move(parts));
        ASSERT_NE(app->trayIcon(), nullptr);
    }

    // The tray's pixels at the size of an XEmbed tray.
    QImage trayPixels() const { return app->trayIcon()->icon().pixmap(QSize(22, 22)).toImage(); }
    // The glyph's colour: the top of its ring (the halo only lines its edges).
    QColor ink() const { return trayPixels().pixelColor(11, 3); }

    void expectLegible(const std::string& what) {
        const QImage pixels = trayPixels();
        for (const QColor& ground : grounds) {
            EXPECT_GE(shareStandingOut(pixels, ground), legibleShare)
                << what << " on " << ground.name().toStdString();
        }
    }

    std::unique_ptr<QuorvelMacApp> app;
};

TEST_F(TrayIconLookTest, ReadsOnLightAndDarkTraysWhetherOrNotTheyNameTheirColours) {
    TrayManagerStandIn tray;
    startApp();
    struct Naming {
        std::string name;
        std::vector<std::uint32_t> colours;  // none: the tray names no colour
        QColor ink;                          // invalid: the palette's text colour
    };
    const std::vector<Naming> namings = {
        {"a tray that names a light ink", TrayManagerStandIn::colours(0xf6, 0xf5, 0xf4),
         QColor(0xf6, 0xf5, 0xf4)},
        {"a tray that names a dark ink", TrayManagerStandIn::colours(0x2e, 0x34, 0x36),
         QColor(0x2e, 0x34, 0x36)},
        {"a tray that names none", {}, QColor()},
    };
    for (const auto& scheme : ui::testing::schemes()) {
        const ui::testing::SchemeScope scope(scheme.palette);
        for (const Naming& naming : namings) {
            if (naming.colours.empty())
                tray.removeColours();
            else
                tray.setColours(naming.colours);
            const QColor expected =
                naming.ink.isValid() ? naming.ink : qGuiApp->palette().color(QPalette::WindowText);
            ASSERT_TRUE(runLoopUntil([&] { return ink() == expected; }))
                << scheme.name << ", " << naming.name;
            expectLegible(scheme.name + ", " + naming.name);
        }
    }
}

// The desktop switching its scheme changes the application's palette: the icon is drawn again
// in the new colours at once, with no other change to bring it about.
TEST_F(TrayIconLookTest, ASchemeChangeRedrawsTheIcon) {
    startApp();
    const QColor lightInk = qGuiApp->palette().color(QPalette::WindowText);
    ASSERT_EQ(ink(), lightInk);
    {
        const ui::testing::SchemeScope dark(ui::testing::darkPalette());
        EXPECT_EQ(ink(), QColor("#ffffff"));
        expectLegible("dark scheme");
    }
    EXPECT_EQ(ink(), lightInk);
    expectLegible("light scheme");
}

// trayer, an XEmbed tray, tinted dark: it names no colour for its icons, so the glyph is drawn in
// the light scheme's text colour, black, which the halo must lift off the tint on the screen.
TEST_F(TrayIconLookTest, StandsOutOnTheScreenInADarkTrayerThatNamesNoColour) {
    if (QStandardPaths::findExecutable("trayer").isEmpty())
        GTEST_SKIP() << "trayer is not installed";
    QProcess trayer;
    trayer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    trayer.start("trayer", {"--tint", "0x202020", "--transparent", "true", "--alpha", "0", "--edge",
                            "top", "--align", "left", "--widthtype", "pixel", "--width", "200",
                            "--heighttype", "pixel", "--height", "32"});
    ASSERT_TRUE(trayer.waitForStarted(60000));
    const struct EndTrayer {
        QProcess& process;
        ~EndTrayer() {
            process.terminate();
            process.waitForFinished(5000);
        }
    } end{trayer};
    ASSERT_TRUE(
        runLoopUntil([&] { return x11.selectionOwner("_NET_SYSTEM_TRAY_S0") != XCB_WINDOW_NONE; }));
    startApp();
    ASSERT_TRUE(runLoopUntil([&] { return !app->trayIcon()->geometry().isEmpty(); }))
        << "the tray never took the icon in";
    const QRect where = app->trayIcon()->geometry();
    const PixelRect rect{where.x(), where.y(), where.width(), where.height()};
    // The tray's ground is what its corner shows; the icon is on the screen once the glyph's
    // ink, the palette's text colour, is there too.
    const QColor glyph = qGuiApp->palette().color(QPalette::WindowText);
    QImage shown;
    ASSERT_TRUE(runLoopUntil([&] {
        const auto pixels = x11.pixels(x11.root(), rect);
        if (pixels.empty())
            return false;
        shown = QImage(reinterpret_cast<const uchar*>(pixels.data()), rect.width, rect.height,
                       QImage::Format_RGB32)
                    .copy();
        return std::find(pixels.begin(), pixels.end(), glyph.rgb() & 0xffffffU) != pixels.end();
    })) << "the glyph never came on the screen";
    const QColor ground = shown.pixelColor(0, 0);
    ASSERT_LT(ui::theme::contrast(ground, QColor("#000000")), 1.5) << "the tray is not dark";
    // The screen's pixels against the icon's own, drawn at the size the tray gave it.
    const QImage icon = app->trayIcon()->icon().pixmap(where.size()).toImage();
    int opaque = 0, standing = 0;
    for (int y = 0; y < icon.height(); ++y) {
        for (int x = 0; x < icon.width(); ++x) {
            opaque += icon.pixelColor(x, y).alpha() >= 128;
            standing += ui::theme::contrast(shown.pixelColor(x, y), ground) >= 3.0;
        }
    }
    EXPECT_GE(standing, legibleShare * opaque);
}

}  // namespace
}  // namespace quorvel
