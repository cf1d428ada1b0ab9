#include "QuorvelPlatform/keychain/secret_service_keychain.hpp"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "keyring_fixture.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel {
namespace {

using keyringtest::itemsOfService;
using keyringtest::itemsWith;
using keyringtest::uniqueKeychainService;

constexpr int patienceMs = 30'000;

Bytes allByteValues() {
    Bytes bytes(256);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(i);
    }
    return bytes;
}

TEST(SecretServiceKeychain, AMissingItemIsNotFound) {
    SecretServiceKeychain keychain;
    const KeychainItemRead read =
        keychain.copyGenericPassword(uniqueKeychainService(), "d.signing");
    EXPECT_EQ(read.status.code, keychainstatus::itemNotFound);
    EXPECT_FALSE(read.data.has_value());
}

TEST(SecretServiceKeychain, RawBytesComeBackExactly) {
    const std::vector<Bytes> secrets = {
        Bytes(32, 0x00),                                   // all zero: nothing may stop at a NUL
        Bytes(32, 0xff),                                   // no byte may be taken for text
        allByteValues(),                                   // every value once
        {0x00, 0x80, 0xc3, 0x28, 0xff, 0x0a, 0x0d, 0x00},  // invalid UTF-8, line ends
    };
    SecretServiceKeychain keychain;
    const std::string service = uniqueKeychainService();
    for (std::size_t i = 0; i < secrets.size(); ++i) {
        SCOPED_TRACE(i);
        const std::string account = "device-" + std::to_string(i) + ".signing";
        ASSERT_EQ(keychain.addGenericPassword(service, account, secrets[i]).code,
                  keychainstatus::success);
        const KeychainItemRead read = keychain.copyGenericPassword(service, account);
        EXPECT_EQ(read.status.code, keychainstatus::success);
        EXPECT_EQ(read.data, secrets[i]);
    }
}

TEST(SecretServiceKeychain, ItemsCarryOnlyServiceAndAccount) {
    SecretServiceKeychain keychain;
    const std::string service = uniqueKeychainService();
    ASSERT_EQ(keychain.addGenericPassword(service, " Dev.signing ", Bytes(32, 7)).code,
              keychainstatus::success);

    const auto items = itemsOfService(service);
    ASSERT_EQ(items.size(), 1u);
    const std::map<std::string, std::string> expected = {{"service", service},
                                                         {"account", " Dev.signing "}};
    EXPECT_EQ(items[0].attributes, expected);
}

TEST(SecretServiceKeychain, NamesThatAreNoTextAreRefusedBeforeTheServiceIsAsked) {
    // The Secret Service carries attributes as D-Bus strings: a NUL would cut the name short
    // (so "dev\0x.signing" and "dev\0x.encryption" would both become "dev") and bytes that are
    // not UTF-8 would drop the attribute from the query, so that any item of the service
    // matched.
    SecretServiceKeychain keychain;
    const std::string service = uniqueKeychainService();
    ASSERT_EQ(keychain.addGenericPassword(service, "dev", Bytes(32, 1)).code,
              keychainstatus::success);
    struct Case {
        const char* what;
        std::string service;
        std::string account;
    };
    const std::vector<Case> cases = {
        {"a NUL in the account", service, std::string("dev\0x.signing", 13)},
        {"an account that is not UTF-8", service, "dev\xff.signing"},
        {"a NUL in the service", service + std::string("\0x", 2), "dev"},
        {"a service that is not UTF-8", service + "\xc3", "dev"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const KeychainItemRead read = keychain.copyGenericPassword(c.service, c.account);
        EXPECT_EQ(read.status.code, keychainstatus::invalidParameter);
        EXPECT_FALSE(read.status.message.empty());
        EXPECT_FALSE(read.data.has_value());
        EXPECT_EQ(keychain.addGenericPassword(c.service, c.account, Bytes(32, 2)).code,
                  keychainstatus::invalidParameter);
    }
    const auto items = itemsOfService(service);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].secret, Bytes(32, 1));
}

TEST(SecretServiceKeychain, LookupMatchesServiceAndAccountExactly) {
    SecretServiceKeychain keychain;
    const std::string service = uniqueKeychainService();
    ASSERT_EQ(keychain.addGenericPassword(service, "dev.signing", Bytes(32, 1)).code,
              keychainstatus::success);

    struct Case {
        std::string service;
        std::string account;
    };
    const std::vector<Case> misses = {
        {service, "dev.encryption"},
        {service, "Dev.signing"},
        {service, "dev"},
        {service + ".other", "dev.signing"},
    };
    for (const Case& c : misses) {
        SCOPED_TRACE(c.service + " / " + c.account);
        EXPECT_EQ(keychain.copyGenericPassword(c.service, c.account).status.code,
                  keychainstatus::itemNotFound);
    }
}

TEST(SecretServiceKeychain, AddingAnExistingItemAnswersDuplicateAndKeepsTheFirstBytes) {
    SecretServiceKeychain keychain;
    const std::string service = uniqueKeychainService();
    ASSERT_EQ(keychain.addGenericPassword(service, "dev.signing", Bytes(32, 1)).code,
              keychainstatus::success);

    EXPECT_EQ(keychain.addGenericPassword(service, "dev.signing", Bytes(32, 2)).code,
              keychainstatus::duplicateItem);

    const auto items = itemsWith(service, "dev.signing");
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].secret, Bytes(32, 1));
}

TEST(SecretServiceKeychain, AnItemInALockedKeyringIsReportedAsLockedNeverAsMissing) {
    const std::string service = uniqueKeychainService();
    keyringtest::LockedKeyring locked(service, "dev.signing", Bytes(32, 9));
    SecretServiceKeychain keychain;

    const KeychainItemRead read = keychain.copyGenericPassword(service, "dev.signing");
    EXPECT_EQ(read.status.code, keychainstatus::interactionNotAllowed);
    EXPECT_NE(read.status.message.find("locked"), std::string::npos) << read.status.message;
    EXPECT_FALSE(read.data.has_value());

    // Nor may an add put a second item beside the one it cannot read.
    EXPECT_EQ(keychain.addGenericPassword(service, "dev.signing", Bytes(32, 3)).code,
              keychainstatus::duplicateItem);
    EXPECT_EQ(itemsWith(service, "dev.signing").size(), 1u);
}

// Runs the peer tool on the given bus; returns its status and what it wrote on both channels.
struct PeerRun {
    int status = -1;
    std::string output;
};
PeerRun runPeer(const QStringList& arguments, const QString& busAddress,
                const QString& program = QStringLiteral(QUORVEL_KEYCHAIN_PEER)) {
    QProcess peer;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
    environment.remove(QStringLiteral("DISPLAY"));
    peer.setProcessEnvironment(environment);
    peer.setProcessChannelMode(QProcess::MergedChannels);
    peer.start(program, arguments);
    peer.write("go\n");
    peer.closeWriteChannel();
    EXPECT_TRUE(peer.waitForFinished(patienceMs));
    return PeerRun{peer.exitCode(), peer.readAllStandardOutput().toStdString()};
}

TEST(SecretServiceKeychain, WithNoSecretServiceTheStatusSaysSo) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());

    // A bus without any service that could be started on demand: the keyring daemon is not
    // there and cannot come.
    QFile config(folder.filePath(QStringLiteral("bus.conf")));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write(("<busconfig><type>session</type><listen>unix:dir=" + folder.path().toStdString() +
                  "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                  "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                  "<allow own=\"*\"/></policy></busconfig>")
                     .c_str());
    config.close();
    QProcess bus;
    bus.start(QStringLiteral("dbus-daemon"),
              {"--config-file=" + config.fileName(), "--print-address=1", "--nofork"});
    ASSERT_TRUE(bus.waitForReadyRead(patienceMs));
    const QString emptyBus = QString::fromUtf8(bus.readLine().trimmed());

    struct Case {
        const char* what;
        QString address;
    };
    const std::vector<Case> cases = {
        {"a bus without the daemon", emptyBus},
        {"no bus at all", "unix:path=" + folder.filePath(QStringLiteral("no-bus-here"))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const PeerRun copied =
            runPeer({"copy", "app.quorvel.device-keys", "mac.signing"}, c.address);
        EXPECT_EQ(copied.status, 0);
        EXPECT_EQ(copied.output.rfind("status -25291\n", 0), 0u) << copied.output;
        EXPECT_NE(copied.output.find("no Secret Service answers"), std::string::npos);

        // The key store passes the cause on and writes nothing anywhere else.
        testkit::TempXdgHome home;
        const PeerRun loaded = runPeer({"load", "app.quorvel.device-keys", "mac"}, c.address);
        EXPECT_EQ(loaded.status, 1);
        EXPECT_NE(loaded.output.find("keychain status -25291: no Secret Service answers"),
                  std::string::npos)
            << loaded.output;
    }
    bus.terminate();
    bus.waitForFinished(patienceMs);
}

// The keychain loads libsecret at its first call. Here the peer runs in a mount namespace of its
// own where libsecret's file is the empty /dev/null: the name is found, the library cannot load.
TEST(SecretServiceKeychain, WhenLibsecretCannotBeLoadedTheStatusSaysSo) {
    if (QProcess::execute(QStringLiteral("unshare"), {"-rm", "true"}) != 0) {
        GTEST_SKIP() << "this system lets no unprivileged process make a user and mount "
                        "namespace (unshare -rm), so libsecret cannot be hidden from the peer";
    }
    Dl_info loaded{};
    ASSERT_NE(::dladdr(reinterpret_cast<void*>(&secret_service_get_sync), &loaded), 0);
    const QString library = QFileInfo(QString::fromUtf8(loaded.dli_fname)).canonicalFilePath();
    ASSERT_TRUE(library.contains(QStringLiteral("libsecret-1"))) << library.toStdString();
    const QString busAddress = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    const auto runHidden = [&](const QStringList& arguments) {
        return runPeer(QStringList{"-rm", "sh", "-c", R"(mount --bind /dev/null "$0" && exec "$@")",
                                   library, QStringLiteral(QUORVEL_KEYCHAIN_PEER)} +
                           arguments,
                       busAddress, QStringLiteral("unshare"));
    };

    const PeerRun copied = runHidden({"copy", "app.quorvel.device-keys", "mac.signing"});
    EXPECT_EQ(copied.status, 0) << copied.output;
    EXPECT_EQ(copied.output.rfind("status -25291\n", 0), 0u) << copied.output;
    EXPECT_NE(copied.output.find("libsecret-1.so.0 cannot be loaded"), std::string::npos)
        << copied.output;

    // The key store passes the cause on and creates nothing.
    testkit::TempXdgHome home;
    const PeerRun loadedKeys = runHidden({"load", "app.quorvel.device-keys", "mac"});
    EXPECT_EQ(loadedKeys.status, 1) << loadedKeys.output;
    EXPECT_NE(loadedKeys.output.find("keychain status -25291: the Secret Service library"),
              std::string::npos)
        << loadedKeys.output;
}

}  // namespace
}  // namespace quorvel
