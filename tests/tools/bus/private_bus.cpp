#include "bus/private_bus.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <system_error>

namespace quorvel::testing {
namespace {

// A session bus says so in its type: the services it starts then find it as their session bus
// (DBUS_SESSION_BUS_ADDRESS), not the bus of whoever started the test.
constexpr const char* configurationTemplate =
    R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>@TYPE@</type>
  <listen>unix:path=@SOCKET@</listen>
  <auth>EXTERNAL</auth>
@SERVICEDIRS@  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow receive_sender="*"/>
    <allow eavesdrop="true"/>
  </policy>
</busconfig>
)";

std::filesystem::path makeFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quorvel-bus.XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        throw std::system_error(errno, std::generic_category(), "mkdtemp");
    }
    return pattern;
}

void replace(std::string& text, const std::string& token, const std::string& value) {
    text.replace(text.find(token), token.size(), value);
}

std::string configuration(PrivateBus::Kind kind, const std::filesystem::path& socket,
                          const PrivateBus::Options& options) {
    std::string folders;
    for (const auto& folder : options.serviceFolders)
        folders += "  <servicedir>" + folder.string() + "</servicedir>\n";
    std::string text = configurationTemplate;
    replace(text, "@TYPE@", kind == PrivateBus::Kind::session ? "session" : "system");
    replace(text, "@SOCKET@", socket.string());
    replace(text, "@SERVICEDIRS@", folders);
    return text;
}

}  // namespace

PrivateBus::PrivateBus(Kind kind, Options options)
    : folder_(makeFolder()), endsWithProcess_(options.endsWithProcess) {
    const std::string configPath = (folder_ / "bus.conf").string();
    std::ofstream(configPath) << configuration(kind, folder_ / "bus", options);

    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) {
        throw std::system_error(errno, std::generic_category(), "pipe");
    }
    const pid_t parent = ::getpid();
    pid_ = ::fork();
    if (pid_ == 0) {
        // A test that crashes never reaches the destructor: the bus must not outlive it, nor hold
        // the test runner's output pipe open (ctest waits for every holder before it goes on).
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent)
            ::_exit(1);
        const int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0)
            ::dup2(null, 1);
        if (out[1] == 3) {
            ::fcntl(3, F_SETFD, 0);
        } else {
            ::dup2(out[1], 3);
        }
        // Its complaints (it cannot raise the fd limit as a user) go to a log beside the socket.
        const int log = ::open((folder_ / "bus.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (log >= 0)
            ::dup2(log, 2);
        const std::string configArgument = "--config-file=" + configPath;
        ::execlp("dbus-daemon", "dbus-daemon", configArgument.c_str(), "--nofork",
                 "--print-address=3", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    std::string line;
    char c = 0;
    while (::read(out[0], &c, 1) == 1 && c != '\n') {
        line += c;
    }
    ::close(out[0]);
    if (pid_ < 0 || line.empty()) {
        throw std::runtime_error("dbus-daemon did not start (is the dbus package installed?)");
    }
    address_ = line;
    ::setenv(kind == Kind::session ? "DBUS_SESSION_BUS_ADDRESS" : "DBUS_SYSTEM_BUS_ADDRESS",
             address_.c_str(), 1);
}

PrivateBus::~PrivateBus() {
    // The socket's file goes with the folder either way; connections made already stay.
    if (pid_ > 0 && !endsWithProcess_) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

}  // namespace quorvel::testing
