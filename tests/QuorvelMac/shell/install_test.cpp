// `cmake --install` into a temporary prefix: both programs in one bin/, the desktop entry that
// desktop-file-validate accepts and that starts the installed program, and the icons in hicolor.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

namespace quorvel {
namespace {

TEST(InstallTest, InstallsBothProgramsTheDesktopEntryAndTheIcons) {
    QTemporaryDir root;
    // A prefix with a blank, so the entry's quoting is exercised.
    const QString prefix = root.filePath("Pellorim prefix");
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(QUORVEL_CMAKE, {"--install", QUORVEL_BUILD_DIR, "--prefix", prefix});
    ASSERT_TRUE(install.waitForFinished(240000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAll().toStdString();

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

}  // namespace
}  // namespace quorvel
