#pragma once

// One of our programs started as a process in a test's temporary home: HOME points there (the XDG
// folders already do, through testkit::TempXdgHome), and its output goes to the test's.
#include <QProcess>
#include <QString>
#include <filesystem>

#include "testkit/qt_wait.hpp"

namespace quorvel::testkit {

// False when the program did not start.
inline bool startInHome(QProcess& process, const QString& program,
                        const std::filesystem::path& home) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", QString::fromStdString(home.string()));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(program, {});
    return process.waitForStarted(qtPatienceMs);
}

}  // namespace quorvel::testkit
