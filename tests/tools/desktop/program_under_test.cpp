#include "desktop/program_under_test.hpp"

#include <signal.h>

#include <QDir>
#include <QFile>
#include <optional>
#include <stdexcept>

#include "testkit/poll.hpp"

namespace quorvel::testing {
namespace {

// The state letter and the parent of /proc/<pid>/stat; no value when the process is gone.
std::optional<std::pair<char, pid_t>> stateOf(pid_t pid) {
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray text = file.readAll();
    // "pid (comm) S ppid ...": the command may hold spaces and parentheses; the last ")" ends it.
    const qsizetype close = text.lastIndexOf(')');
    if (close < 0)
        return std::nullopt;
    const QList<QByteArray> fields = text.mid(close + 2).split(' ');
    if (fields.size() < 2 || fields[0].isEmpty())
        return std::nullopt;
    return std::pair(fields[0].at(0), static_cast<pid_t>(fields[1].toInt()));
}

}  // namespace

bool processEnded(pid_t pid) {
    const auto state = stateOf(pid);
    return !state || state->first == 'Z' || state->first == 'X';
}

ProgramUnderTest::ProgramUnderTest(const QString& program, const QStringList& arguments,
                                   const QProcessEnvironment& environment) {
    process_.setProcessEnvironment(environment);
    process_.setProcessChannelMode(QProcess::ForwardedChannels);
    process_.start(program, arguments);
    if (!process_.waitForStarted(60'000))
        throw std::runtime_error("the program did not start: " + program.toStdString());
    pid_ = static_cast<pid_t>(process_.processId());
}

ProgramUnderTest::~ProgramUnderTest() {
    if (!ended_)
        terminate();
}

std::vector<pid_t> ProgramUnderTest::children() const {
    std::vector<pid_t> found;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        bool number = false;
        const pid_t pid = static_cast<pid_t>(entry.toInt(&number));
        if (!number)
            continue;
        const auto state = stateOf(pid);
        if (state && state->second == pid_ && state->first != 'Z')
            found.push_back(pid);
    }
    return found;
}

int ProgramUnderTest::terminate(int patienceMs) {
    if (ended_)
        return status_;
    ended_ = true;
    const std::vector<pid_t> started = children();
    if (process_.state() != QProcess::NotRunning) {
        ::kill(pid_, SIGTERM);
        if (!process_.waitForFinished(patienceMs)) {
            process_.kill();
            process_.waitForFinished(patienceMs);
            status_ = -1;
        } else {
            status_ = process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
        }
    } else {
        status_ = process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    }
    for (const pid_t child : started) {
        if (!testkit::pollUntil([child] { return processEnded(child); },
                                std::chrono::milliseconds(patienceMs))) {
            ::kill(child, SIGKILL);
            status_ = -1;
        }
    }
    return status_;
}

}  // namespace quorvel::testing
