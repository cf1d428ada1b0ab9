#include "bus/private_keyring.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <system_error>

namespace quorvel::testing {

PrivateKeyring::PrivateKeyring(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder / "data");
    int input[2];
    int output[2];
    if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0)
        throw std::system_error(errno, std::generic_category(), "pipe");
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent)
            ::_exit(1);
        ::dup2(input[0], STDIN_FILENO);
        ::dup2(output[1], STDOUT_FILENO);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDERR_FILENO);
        ::setenv("HOME", folder.c_str(), 1);
        ::setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
        // Naming another session's keyring would make it hand over to that one.
        ::unsetenv("GNOME_KEYRING_CONTROL");
        ::execlp("gnome-keyring-daemon", "gnome-keyring-daemon", "--daemonize", "--unlock",
                 "--components=secrets", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(input[0]);
    ::close(output[1]);
    if (pid < 0) {
        ::close(input[1]);
        ::close(output[0]);
        throw std::system_error(errno, std::generic_category(), "fork");
    }
    // The password of the login keyring it makes, then the end of its input.
    const std::string password = "quorvel-test";
    const bool written = ::write(input[1], password.data(), password.size()) ==
                         static_cast<ssize_t>(password.size());
    ::close(input[1]);
    // The daemon forks; the process we started ends once the daemon runs with the password
    // taken. It prints GNOME_KEYRING_CONTROL only when its control folder is not the usual one
    // in XDG_RUNTIME_DIR.
    std::string printed;
    pollfd wait{output[0], POLLIN, 0};
    while (written && ::poll(&wait, 1, 60'000) > 0) {
        char buffer[256];
        const ssize_t got = ::read(output[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        printed.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(output[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!written || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("gnome-keyring-daemon did not start");
    const std::string key = "GNOME_KEYRING_CONTROL=";
    if (const auto at = printed.find(key); at != std::string::npos) {
        const auto end = printed.find('\n', at);
        ::setenv("GNOME_KEYRING_CONTROL",
                 printed.substr(at + key.size(), end - at - key.size()).c_str(), 1);
    } else {
        ::unsetenv("GNOME_KEYRING_CONTROL");
    }
}

PrivateKeyring::~PrivateKeyring() {
    // The daemon ends by itself when its session bus goes.
}

}  // namespace quorvel::testing
