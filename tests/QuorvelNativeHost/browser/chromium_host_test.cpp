// A real browser drives the host: Debian's Chromium, headless, with a small test extension of
// our own that connects through a host manifest in the browser profile's NativeMessagingHosts
// folder and reports what the host answered to a server of the test on 127.0.0.1.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "../host/host_fixture.hpp"
#include "QuorvelShared/crypto/sha256.hpp"
#include "QuorvelShared/support/base64.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"
#include "testkit/recording_poster.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel::testkit {
namespace {

namespace fs = std::filesystem;

constexpr const char* chromium = "/usr/lib/chromium/chromium";

// The extension's id: the first 32 hexadecimal digits of SHA-256 over its DER key, 0-f as a-p.
std::string extensionIdOf(const std::string& keyBase64) {
    const auto key = base64Decode(keyBase64);
    EXPECT_TRUE(key);
    const auto digest = sha256(*key);
    std::string id;
    for (std::size_t i = 0; i < 16; ++i) {
        id += static_cast<char>('a' + (digest[i] >> 4));
        id += static_cast<char>('a' + (digest[i] & 0x0f));
    }
    return id;
}

// One HTTP request on 127.0.0.1, answered with an empty 200.
class ResultServer {
public:
    ResultServer() {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(::listen(fd_, 4), 0);
        socklen_t length = sizeof address;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
    }
    ~ResultServer() { ::close(fd_); }
    int port() const { return port_; }

    // The body of the first POST, or nothing within the timeout.
    std::optional<std::string> receive(std::chrono::seconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            const int client = acceptBefore(deadline);
            if (client < 0)
                return std::nullopt;
            std::string request = readRequest(client, deadline);
            const std::string ok =
                "HTTP/1.1 200 OK\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
            (void)!::write(client, ok.data(), ok.size());
            ::close(client);
            if (request.starts_with("POST")) {
                return request.substr(request.find("\r\n\r\n") + 4);
            }
        }
    }

private:
    int acceptBefore(std::chrono::steady_clock::time_point deadline) {
        pollfd entry{fd_, POLLIN, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || ::poll(&entry, 1, static_cast<int>(left.count())) <= 0)
            return -1;
        return ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
    }

    static std::string readRequest(int client, std::chrono::steady_clock::time_point deadline) {
        std::string request;
        char buffer[8192];
        for (;;) {
            const auto headerEnd = request.find("\r\n\r\n");
            if (headerEnd != std::string::npos) {
                const auto at = request.find("Content-Length: ");
                const std::size_t length =
                    at == std::string::npos ? 0 : std::stoul(request.substr(at + 16));
                if (request.size() >= headerEnd + 4 + length)
                    return request;
            }
            pollfd entry{client, POLLIN, 0};
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || ::poll(&entry, 1, static_cast<int>(left.count())) <= 0) {
                return request;
            }
            const ssize_t got = ::read(client, buffer, sizeof buffer);
            if (got <= 0)
                return request;
            request.append(buffer, static_cast<std::size_t>(got));
        }
    }

    int fd_ = -1;
    int port_ = 0;
};

pid_t startChromium(const fs::path& folder, const fs::path& profile, const fs::path& extension) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Its own process group, so that the browser and the host it starts end together.
        ::setpgid(0, 0);
        ::setenv("TMPDIR", folder.c_str(), 1);
        ::setenv("HOME", folder.c_str(), 1);
        const std::string userData = "--user-data-dir=" + profile.string();
        const std::string load = "--load-extension=" + extension.string();
        ::execl(chromium, chromium, "--headless=new", "--no-sandbox", "--disable-gpu",
                "--disable-quic", "--no-first-run", "--disable-background-networking",
                "--disable-component-update", "--disable-sync", "--no-default-browser-check",
                "--password-store=basic", "--disable-dev-shm-usage",
                "--host-resolver-rules=MAP * ~NOTFOUND , EXCLUDE 127.0.0.1",
                "--enable-logging=stderr", userData.c_str(), load.c_str(), "about:blank",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return pid;
}

TEST(HostInChromium, TheExtensionGetsTheTargetListAndThePushedPicture) {
    ASSERT_TRUE(fs::exists(chromium)) << "chromium is missing: run scripts/install-deps.sh";
    TempXdgHome home;
    ScopedRecordingPoster poster;
    storeSyncedList(4, {webTarget("a")});

    const fs::path folder = home.root() / "browser";
    const fs::path extension = folder / "extension";
    const fs::path profile = folder / "profile";
    fs::create_directories(profile / "NativeMessagingHosts");
    fs::copy(QUORVEL_TEST_EXTENSION, extension, fs::copy_options::recursive);

    ResultServer server;
    writeFile(extension / "config.json", "{\"port\":" + std::to_string(server.port()) + "}");

    const Json manifest = json::parse(readFile(extension / "manifest.json"));
    const std::string id = extensionIdOf(manifest.at("key").get<std::string>());
    Json host = Json::object();
    host["name"] = "app.quorvel.native";
    host["description"] = "Pellorim native messaging host";
    host["path"] = QUORVEL_NATIVE_HOST;
    host["type"] = "stdio";
    host["allowed_origins"] = Json::array({"chrome-extension://" + id + "/"});
    writeFile(profile / "NativeMessagingHosts" / "app.quorvel.native.json",
              json::write(host, json::Style::prettySorted));

    const pid_t browser = startChromium(folder, profile, extension);
    const auto body = server.receive(std::chrono::seconds(120));
    ::kill(-browser, SIGKILL);
    ::waitpid(browser, nullptr, 0);
    ASSERT_TRUE(body) << "the extension reported nothing";

    const Json report = json::parse(*body);
    EXPECT_EQ(report.at("outcome"), Json("complete")) << *body;
    const Json& received = report.at("received");
    ASSERT_GE(received.size(), 3u) << *body;
    // The answer to targets.sync comes first, then the stream's first picture.
    EXPECT_EQ(received[0].at("type"), Json("targets.state"));
    EXPECT_EQ(received[0].at("version"), Json(4));
    EXPECT_EQ(received[0].at("managed"), Json(true));
    EXPECT_EQ(received[0].at("targets")[0].at("id"), Json("a"));
    bool allowState = false;
    for (const Json& message : received) {
        allowState = allowState || message.at("type") == Json("allow.state");
    }
    EXPECT_TRUE(allowState) << *body;
}

}  // namespace
}  // namespace quorvel::testkit
