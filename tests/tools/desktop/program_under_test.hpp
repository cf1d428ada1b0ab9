#pragma once

// One of our programs started as a process the way a desktop starts it, with the environment a
// test gives it, and what it starts itself: the processes whose parent it is (the application's
// bridge daemon). Ending it ends them in their own order, and the object waits until all are
// gone, so that whatever they write on their way out (a sanitizer's leak report) is written.
#include <sys/types.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <vector>

namespace quorvel::testing {

class ProgramUnderTest {
public:
    // Starts `program`; throws std::runtime_error when it does not start. Its output goes to
    // ours.
    ProgramUnderTest(const QString& program, const QStringList& arguments,
                     const QProcessEnvironment& environment);
    // Ends the program (see terminate) unless it has ended already.
    ~ProgramUnderTest();
    ProgramUnderTest(const ProgramUnderTest&) = delete;
    ProgramUnderTest& operator=(const ProgramUnderTest&) = delete;

    pid_t pid() const { return pid_; }
    // The running processes whose parent it is now.
    std::vector<pid_t> children() const;

    // SIGTERM, as a desktop ends a session; then waits, up to `patienceMs` each, for the program
    // and for every child it had at that moment to be gone. Returns the program's exit status,
    // or -1 when it crashed or did not end in time (it is then killed).
    int terminate(int patienceMs = 60'000);

private:
    QProcess process_;
    pid_t pid_ = -1;
    bool ended_ = false;
    int status_ = -1;
};

// True when the process has ended (gone, or a zombie nobody reaped yet).
bool processEnded(pid_t pid);

}  // namespace quorvel::testing
