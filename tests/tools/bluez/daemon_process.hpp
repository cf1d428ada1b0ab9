#pragma once

// Starts the real bridge daemon as the application does: "--ble-bridge-daemon" with this
// process as its parent, standard input a pipe that this process holds (closing the write
// channel ends the daemon in order), its error output shown.
#include <unistd.h>

#include <QProcess>
#include <QString>

namespace quorvel::testing {

inline bool startBridgeDaemon(QProcess& process, const QString& program) {
    process.setProgram(program);
    process.setArguments({"--ble-bridge-daemon", "--parent-pid", QString::number(::getpid())});
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start();
    // Generous: only a hang on a loaded machine should run out of it.
    return process.waitForStarted(60'000);
}

}  // namespace quorvel::testing
