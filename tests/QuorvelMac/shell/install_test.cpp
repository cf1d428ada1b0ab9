// `cmake --install` into a temporary prefix: both programs in one bin/, the desktop entry that
// desktop-file-validate accepts and that starts the installed program, and the icons in hicolor;
// on a machine without a Japanese font, the name of the package that brings one.
// Run from there, the program names the installed programs in what it writes for others.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include "QuorvelMac/shell/program_start.hpp"
#include "QuorvelPlatform/loginitem/xdg_autostart_entry.hpp"
#include "QuorvelShared/support/json.hpp"
#include "desktop/xtest_input.hpp"
#include "testkit/qt_wait.hpp"
#include "testkit/temp_xdg.hpp"
#include "testkit/x11/x11_harness.hpp"

namespace quorvel {
namespace {

struct InstallRun {
    int exitCode = -1;
    std::string output;
};

// `cmake --install` of this build into `prefix`, in `environment`.
InstallRun runInstall(const QString& prefix, const QProcessEnvironment& environment =
                                                 QProcessEnvironment::systemEnvironment()) {
    QProcess install;
    install.setProcessEnvironment(environment);
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(QUORVEL_CMAKE, {"--install", QUORVEL_BUILD_DIR, "--prefix", prefix});
    if (!install.waitForFinished(240000))
        return {-1, "cmake --install did not finish"};
    return {install.exitStatus() == QProcess::NormalExit ? install.exitCode() : -1,
            install.readAll().toStdString()};
}

// Installs this build into `prefix`; fails the test when cmake does, or when it warns of the
// Japanese font on this machine, which has one.
void install(const QString& prefix) {
    const InstallRun run = runInstall(prefix);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    ASSERT_EQ(run.output.find("fonts-noto-cjk"), std::string::npos) << run.output;
}

TEST(InstallTest, InstallsBothProgramsTheDesktopEntryAndTheIcons) {
    QTemporaryDir root;
    // A prefix with a blank, so the entry's quoting is exercised.
    const QString prefix = root.filePath("Pellorim prefix");
    ASSERT_NO_FATAL_FAILURE(install(prefix));

    for (const char* program : {"bin/QuorvelMac", "bin/QuorvelNativeHost"}) {
        const QFileInfo file(QDir(prefix).filePath(program));
        EXPECT_TRUE(file.isFile() && file.isExecutable()) << program;
    }
    for (const char* file :
         {"share/icons/hicolor/scalable/apps/app.quorvel.mac.svg",
          "share/icons/hicolor/symbolic/apps/app.quorvel.mac-symbolic.svg",
          "share/icons/hicolor/symbolic/apps/app.quorvel.mac-attention-symbolic.svg",
          "share/icons/hicolor/symbolic/apps/app.quorvel.mac-allowing-symbolic.svg",
          "share/quorvel/localizations/ja.lproj/Localizable.json"}) {
        EXPECT_TRUE(QFileInfo(QDir(prefix).filePath(file)).isFile()) << file;
    }

    const QString entry = QDir(prefix).filePath("share/applications/app.quorvel.mac.desktop");
    ASSERT_TRUE(QFileInfo(entry).isFile());
    QProcess validate;
    validate.setProcessChannelMode(QProcess::MergedChannels);
    validate.start("desktop-file-validate", {entry});
    ASSERT_TRUE(validate.waitForFinished(60000));
    const QByteArray complaints = validate.readAll();
    EXPECT_EQ(validate.exitCode(), 0) << complaints.toStdString();
    EXPECT_TRUE(complaints.trimmed().isEmpty()) << complaints.toStdString();

    QFile file(entry);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    const QString program = QDir(prefix).filePath("bin/QuorvelMac");
    EXPECT_TRUE(text.contains("\nName=Pellorim\n"));
    EXPECT_TRUE(text.contains("\nIcon=app.quorvel.mac\n"));
    EXPECT_TRUE(text.contains("\nStartupWMClass=Pellorim\n"));
    EXPECT_TRUE(text.contains("\nExec=\"" + program + "\"\n")) << text.toStdString();
}

// Where fontconfig finds no Japanese font, the install names the font's package: it stops before
// it has installed anything, while a staged install (DESTDIR), meant for another machine, only
// warns.
TEST(InstallTest, WithoutAJapaneseFontTheInstallNamesItsPackage) {
    QTemporaryDir root;
    // fontconfig reading a configuration of one empty font folder: fc-list finds no font at all.
    ASSERT_TRUE(QDir(root.path()).mkpath("fonts"));
    QFile configuration(root.filePath("fonts.conf"));
    ASSERT_TRUE(configuration.open(QIODevice::WriteOnly));
    configuration.write(("<?xml version=\"1.0\"?>\n<fontconfig><dir>" + root.filePath("fonts") +
                         "</dir><cachedir>" + root.filePath("cache") + "</cachedir></fontconfig>\n")
                            .toUtf8());
    configuration.close();

    struct Case {
        const char* name;
        QString destdir;
        bool installs;
    };
    const Case cases[] = {
        {"on this machine", QString(), false},
        {"staged", root.filePath("stage"), true},
    };
    for (const Case& c : cases) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("FONTCONFIG_FILE", configuration.fileName());
        if (c.destdir.isEmpty())
            environment.remove("DESTDIR");
        else
            environment.insert("DESTDIR", c.destdir);
        const QString prefix = root.filePath(QString("prefix ") + c.name);
        const InstallRun run = runInstall(prefix, environment);
        EXPECT_EQ(run.exitCode == 0, c.installs) << c.name << ": " << run.output;
        EXPECT_NE(run.output.find("Japanese font"), std::string::npos)
            << c.name << ": " << run.output;
        EXPECT_NE(run.output.find("fonts-noto-cjk"), std::string::npos)
            << c.name << ": " << run.output;
        const QString program = c.destdir + prefix + "/bin/QuorvelMac";
        EXPECT_EQ(QFileInfo(program).isFile(), c.installs) << c.name;
        EXPECT_FALSE(QFileInfo::exists(prefix)) << c.name << ": installed outside the stage";
    }
}

// The installed program, started on a session bus and in XDG folders of the test's own, writes
// the browsers' host manifests at start, and the autostart entry when the user turns launching
// at login on in its settings window, reached from the main window's menu.
TEST(InstallTest, TheInstalledProgramNamesTheInstalledProgramsInTheManifestsAndTheAutostartEntry) {
    QTemporaryDir root;
    const QString prefix = root.filePath("Pellorim prefix");
    ASSERT_NO_FATAL_FAILURE(install(prefix));
    const std::filesystem::path bin = std::filesystem::path(prefix.toStdString()) / "bin";

    // The test program runs on a session bus of its own (see its main): the single-instance
    // name is free whatever other tests run.
    testkit::TempXdgHome home;
    QProcess application;
    ASSERT_TRUE(testkit::startInHome(
        application, QString::fromStdString((bin / "QuorvelMac").string()), home.root()));

    const std::filesystem::path manifests[] = {
        home.configHome() / "google-chrome/NativeMessagingHosts/app.quorvel.native.json",
        home.configHome() / "chromium/NativeMessagingHosts/app.quorvel.native.json"};
    for (const auto& manifest : manifests) {
        ASSERT_TRUE(testkit::runLoopUntil([&] { return std::filesystem::exists(manifest); }))
            << manifest;
        const Json value = Json::parse(testkit::readFile(manifest));
        EXPECT_EQ(value.at("path").get<std::string>(), (bin / "QuorvelNativeHost").string())
            << manifest;
    }

    // The main window shows the overview and has the focus (no window manager: the program
    // gives it itself), so the keys below reach the program whether or not its menu grabs the
    // keyboard. Its menu button sits at the foot of the sidebar. The keyboard grab is never
    // probed while the menu opens: a probe could take the grab from under the menu.
    testkit::X11Harness x11;
    quorvel::testing::XTestInput input;
    std::optional<testkit::X11Harness::TopLevel> main;
    ASSERT_TRUE(testkit::runLoopUntil([&] {
        main = x11.windowTitled("概要");
        return main && x11.focus() == main->window;
    }));
    const auto menuShown = [&] {
        for (const auto& top : x11.mappedTopLevels()) {
            if (top.overrideRedirect && top.rect.x >= 0 && top.rect.y >= 0)
                return true;
        }
        return false;
    };
    ASSERT_FALSE(menuShown());
    input.click(main->rect.x + 14, main->rect.y + main->rect.height - 6 - 12);
    ASSERT_TRUE(testkit::runLoopUntil(menuShown));
    // From the foot of the menu: "終了", then "設定…".
    input.key(0xff52);
    input.key(0xff52);
    input.key(0xff0d);

    // The settings window takes the focus, on its first control: the login switch.
    std::optional<testkit::X11Harness::TopLevel> settings;
    ASSERT_TRUE(testkit::runLoopUntil([&] {
        settings = x11.windowTitled("設定");
        return settings && x11.focus() == settings->window;
    }));
    const std::filesystem::path entry = home.configHome() / "autostart/app.quorvel.mac.desktop";
    ASSERT_FALSE(std::filesystem::exists(entry));
    input.key(0x20);
    ASSERT_TRUE(testkit::runLoopUntil([&] { return std::filesystem::exists(entry); }));
    const std::string text = testkit::readFile(entry);
    EXPECT_NE(text.find("\nExec=" + XdgAutostart::execValue(bin / "QuorvelMac") + "\n"),
              std::string::npos)
        << text;

    application.terminate();
    EXPECT_TRUE(testkit::runLoopUntil([&] { return application.state() == QProcess::NotRunning; }));
}

}  // namespace
}  // namespace quorvel
