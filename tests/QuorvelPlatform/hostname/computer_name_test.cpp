// The name the pairing offer gives this computer: hostnamed's pretty host name, then
// /etc/machine-info's, then the host name, then "Mac".
#include "QuorvelPlatform/hostname/computer_name.hpp"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QThread>

#include "bus/private_bus.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel::hostname {
namespace {

TEST(ComputerName, MachineInfoIsReadAsTheShellReadsIt) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases{
        {"PRETTY_HOSTNAME=Desk\n", "Desk"},
        {"PRETTY_HOSTNAME=\"Kazuki's \\\"Desk\\\" \\$5\"\n", "Kazuki's \"Desk\" $5"},
        {"PRETTY_HOSTNAME='a \"b\" \\c'\n", "a \"b\" \\c"},
        {"PRETTY_HOSTNAME=Kazuki\\'s\\ Mac  \n", "Kazuki's Mac"},
        {"ICON_NAME=computer-laptop\n  PRETTY_HOSTNAME=\"机のパソコン\"\nCHASSIS=laptop\n",
         "机のパソコン"},
        {"PRETTY_HOSTNAME=old\nPRETTY_HOSTNAME=new", "new"},
        {"PRETTY_HOSTNAME=\n", ""},
        {"#PRETTY_HOSTNAME=commented\nCHASSIS=desktop\n", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(prettyHostnameOfMachineInfo(text), expected) << text;
}

class ComputerNameFallbacks : public ::testing::Test {
protected:
    testkit::TempXdgHome home;
    ComputerNameSources sources;
    std::optional<std::string> hostnamed;
    std::string hostName = "desk-01";

    void SetUp() override {
        sources.hostnamedPrettyHostname = [this] { return hostnamed; };
        sources.machineInfo = home.root() / "machine-info";
        sources.hostName = [this] { return hostName; };
    }
};

TEST_F(ComputerNameFallbacks, EachSourceAnswersWhenThoseBeforeItGiveNoName) {
    testkit::writeFile(sources.machineInfo, "PRETTY_HOSTNAME=\"From the file\"\n");
    hostnamed = "From hostnamed";
    EXPECT_EQ(computerDisplayName(sources), "From hostnamed");
    hostnamed = " \t";  // hostnamed answers blank when the user gave no name
    EXPECT_EQ(computerDisplayName(sources), "From the file");
    hostnamed.reset();
    EXPECT_EQ(computerDisplayName(sources), "From the file");

    testkit::writeFile(sources.machineInfo, "CHASSIS=laptop\n");
    EXPECT_EQ(computerDisplayName(sources), "desk-01");
    std::filesystem::remove(sources.machineInfo);
    EXPECT_EQ(computerDisplayName(sources), "desk-01");
    std::filesystem::create_directories(sources.machineInfo);  // unreadable: no name from it
    EXPECT_EQ(computerDisplayName(sources), "desk-01");

    hostName.clear();
    EXPECT_EQ(computerDisplayName(sources), "Mac");
    EXPECT_EQ(computerDisplayName(ComputerNameSources{{}, home.root() / "none", {}}), "Mac");
}

// systemd-hostnamed's PrettyHostname property, served from a thread of its own so that the
// blocking question of the code under test can be answered.
class FakeHostnamed final : public QDBusVirtualObject {
public:
    explicit FakeHostnamed(QString prettyHostname) : prettyHostname_(std::move(prettyHostname)) {}
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.interface() != QLatin1String("org.freedesktop.DBus.Properties") ||
            message.member() != QLatin1String("Get") ||
            message.arguments().value(0).toString() != QLatin1String("org.freedesktop.hostname1") ||
            message.arguments().value(1).toString() != QLatin1String("PrettyHostname")) {
            return false;
        }
        connection.send(message.createReply(QVariant::fromValue(QDBusVariant(prettyHostname_))));
        return true;
    }

private:
    QString prettyHostname_;
};

class HostnamedService {
public:
    HostnamedService(const std::string& address, const QString& prettyHostname)
        : connection_(QDBusConnection::connectToBus(QString::fromStdString(address),
                                                    QStringLiteral("fake-hostnamed"))),
          object_(prettyHostname) {
        object_.moveToThread(&thread_);
        thread_.start();
        connection_.registerVirtualObject(QStringLiteral("/org/freedesktop/hostname1"), &object_);
        serving_ = connection_.registerService(QStringLiteral("org.freedesktop.hostname1"));
    }
    ~HostnamedService() {
        connection_.unregisterObject(QStringLiteral("/org/freedesktop/hostname1"));
        QDBusConnection::disconnectFromBus(QStringLiteral("fake-hostnamed"));
        thread_.quit();
        thread_.wait();
    }
    bool serving() const { return serving_; }

private:
    QDBusConnection connection_;
    QThread thread_;
    FakeHostnamed object_;
    bool serving_ = false;
};

TEST(ComputerNameOverTheSystemBus, HostnamedsPrettyHostnameComesFirst) {
    testing::PrivateBus bus(testing::PrivateBus::Kind::system);
    testkit::TempXdgHome home;
    testkit::writeFile(home.root() / "machine-info", "PRETTY_HOSTNAME=\"From the file\"\n");
    ComputerNameSources sources = systemComputerNameSources();
    sources.machineInfo = home.root() / "machine-info";
    // The program waits 5 s for hostnamed; a loaded test machine gets the tests' patience.
    sources.hostnamedPrettyHostname = [] {
        return hostnamedPrettyHostname(QDBusConnection::systemBus(), 60000);
    };

    // No hostnamed on the bus: the file answers.
    EXPECT_EQ(hostnamedPrettyHostname(QDBusConnection::systemBus(), 60000), std::nullopt);
    EXPECT_EQ(computerDisplayName(sources), "From the file");

    HostnamedService hostnamed(bus.address(), QStringLiteral("Kazuki's デスク"));
    ASSERT_TRUE(hostnamed.serving());
    EXPECT_EQ(hostnamedPrettyHostname(QDBusConnection::systemBus(), 60000), "Kazuki's デスク");
    EXPECT_EQ(computerDisplayName(sources), "Kazuki's デスク");
}

TEST(ComputerNameOverTheSystemBus, NoBusIsNoName) {
    EXPECT_EQ(hostnamedPrettyHostname(QDBusConnection(QStringLiteral("never connected")), 1000),
              std::nullopt);
}

}  // namespace
}  // namespace quorvel::hostname
