// The login item is the XDG autostart entry: written as the desktop-entry format asks, so that
// an install folder with awkward characters still starts this program, and read as the desktop
// session reads it.
#include <sys/stat.h>

#include <QProcess>

#include "QuorvelPlatform/loginitem/xdg_autostart_entry.hpp"
#include "model_fixture.hpp"
#include "testkit/qt_wait.hpp"

namespace quorvel::modeltest {
namespace {

struct Finished {
    int exitCode = -1;
    std::string output;
};

Finished run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), process.readAll().toStdString()};
}

class LoginItemTest : public ModelTest {
protected:
    std::filesystem::path entry() const {
        return home.configHome() / "autostart/app.quorvel.mac.desktop";
    }
    LoginItem::Status statusWith(const std::string& text) {
        testkit::writeFile(entry(), text);
        return XdgAutostartLoginItem("/opt/pellorim/bin/QuorvelMac").status();
    }
};

TEST_F(LoginItemTest, AwkwardInstallPathIsQuotedSoTheEntryStartsThisProgram) {
    // Install folders with a blank, a "$", quotes, a backquote and a backslash, the first also
    // with a "%" that is no field code.
    const std::string awkward = "$HOME \"Pel'lorim\" `x` a\\b";
    for (const auto& folder :
         {home.root() / "Apps 100%" / awkward, home.root() / "Apps" / awkward}) {
        std::filesystem::create_directories(folder);
        const auto program = folder / "QuorvelMac";
        const auto started = home.root() / "started";
        std::filesystem::remove(started);
        testkit::writeFile(program, "#!/bin/sh\nprintf '%s' \"$0\" > '" + started.string() + "'\n");
        ::chmod(program.c_str(), 0700);

        auto deps = dependencies();
        deps.loginItem = std::make_shared<XdgAutostartLoginItem>(program);
        MacAppModel model(deps);
        model.setLoginItemEnabled(true);
        ASSERT_FALSE(model.loginItemError()) << *model.loginItemError();
        EXPECT_TRUE(model.loginItemEnabled());

        const std::string text = testkit::readFile(entry());
        const Finished validation =
            run("desktop-file-validate", {QString::fromStdString(entry().string())});
        EXPECT_EQ(validation.exitCode, 0) << validation.output;
        EXPECT_EQ(validation.output, "") << text;
        if (program.string().find('%') != std::string::npos) {
            // GLib looks for the program before it undoes "%%", so it cannot start this one.
            EXPECT_NE(text.find("Apps 100%%/"), std::string::npos) << text;
            continue;
        }
        // GLib's launcher undoes the quoting and the escapes as the desktop session does.
        const Finished launch = run("gio", {"launch", QString::fromStdString(entry().string())});
        EXPECT_EQ(launch.exitCode, 0) << launch.output << text;
        ASSERT_TRUE(testkit::runLoopUntil([&] {
            return std::filesystem::exists(started) && testkit::readFile(started) != "";
        })) << text;
        EXPECT_EQ(testkit::readFile(started), program.string()) << text;
    }
}

TEST_F(LoginItemTest, HiddenEntryIsNotRegistered) {
    using Status = LoginItem::Status;
    const std::string head = "[Desktop Entry]\nType=Application\nName=Pellorim\nExec=QuorvelMac\n";
    EXPECT_EQ(statusWith(head), Status::enabled);
    EXPECT_EQ(statusWith(head + "Hidden=true\n"), Status::notRegistered);
    EXPECT_EQ(statusWith(head + "Hidden=false\n"), Status::enabled);
    EXPECT_EQ(statusWith(head + "[Desktop Action x]\nHidden=true\n"), Status::enabled);

    // Turning it on again writes an entry the session starts.
    testkit::writeFile(entry(), head + "Hidden=true\n");
    auto model = makeModel();
    EXPECT_FALSE(model->loginItemEnabled());
    model->setLoginItemEnabled(true);
    EXPECT_TRUE(model->loginItemEnabled());
    EXPECT_EQ(testkit::readFile(entry()).find("Hidden"), std::string::npos);
}

TEST_F(LoginItemTest, PathADesktopEntryCannotHoldIsRefused) {
    for (const std::string& bad :
         {std::string("/opt/bad\xff/QuorvelMac"), std::string("/opt/a\x01/b")}) {
        EXPECT_THROW(XdgAutostart::registerEntry("app.quorvel.mac", "Pellorim", bad),
                     std::invalid_argument);
        EXPECT_FALSE(std::filesystem::exists(entry()));
    }
    EXPECT_EQ(XdgAutostart::execValue("/opt/tab\there/new\nline"),
              "\"/opt/tab\\there/new\\nline\"");
}

}  // namespace
}  // namespace quorvel::modeltest
