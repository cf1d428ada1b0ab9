#include "testkit/x11/private_display.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace quorvel::testkit {

PrivateDisplay::PrivateDisplay(const std::string& screenSize) {
    const std::string screen = screenSize + "x24";
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    pid_ = ::fork();
    if (pid_ < 0)
        throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        // The server must not outlive a test that crashed, nor hold any of its pipes open.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        ::dup2(fds[1], 3);
        ::close_range(4, ~0U, 0);  // -displayfd writes the display number once it accepts clients
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", screen.c_str(), "-nolisten",
                 "tcp", "-noreset", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    std::string number;
    pollfd wait{fds[0], POLLIN, 0};
    // Generous: a loaded machine may be slow to start it.
    while (::poll(&wait, 1, 60000) > 0) {
        char c;
        if (::read(fds[0], &c, 1) != 1 || c == '\n')
            break;
        number += c;
    }
    ::close(fds[0]);
    if (number.empty()) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        throw std::runtime_error("Xvfb did not start");
    }
    name_ = ":" + number;
    ::setenv("DISPLAY", name_.c_str(), 1);
}

PrivateDisplay::~PrivateDisplay() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
}

bool isListingTests(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--gtest_list_tests") == 0)
            return true;
    }
    return false;
}

}  // namespace quorvel::testkit
