// The re-lock warning on a desktop whose notification server is started by the session bus on
// first use, as Debian's dunst, xfce4-notifyd and mate-notification-daemon are: until something
// shows a notification the name has no owner, and the warning must still be shown.
#include <signal.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QStandardPaths>

#include "QuorvelPlatform/usernotifications/freedesktop_notification_center.hpp"
#include "bus/private_bus.hpp"
#include "dunst_recorder.hpp"
#include "model_fixture.hpp"
#include "testkit/qt_wait.hpp"

namespace quorvel::modeltest {
namespace {

using testkit::runLoopUntil;

const QString notifications = QStringLiteral("org.freedesktop.Notifications");

// dbus-monitor on the bus, watching the Notify calls; it says it is ready by printing the
// NameLost that ends its life as an ordinary connection.
class NotifyCallMonitor {
public:
    explicit NotifyCallMonitor(const std::string& address) {
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start("dbus-monitor",
                       {"--address", QString::fromStdString(address),
                        "type='method_call',interface='org.freedesktop.Notifications',"
                        "member='Notify'"});
    }
    ~NotifyCallMonitor() {
        process_.terminate();
        if (!process_.waitForFinished(10000))
            process_.kill();
    }
    bool waitUntilWatching() {
        return runLoopUntil([this] { return output().contains("member=NameLost"); });
    }
    QString output() {
        text_ += QString::fromUtf8(process_.readAll());
        return text_;
    }

private:
    QProcess process_;
    QString text_;
};

bool hasOwner() {
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(notifications).value();
}

// A private session bus that knows dunst only as an activatable service: Debian's package puts
// its own activation file into the standard folders, which this bus does not read. Nothing
// starts dunst but the first Notify call.
class ActivatableServerTest : public ModelTest {
protected:
    void SetUp() override {
        const QString dunstProgram = QStandardPaths::findExecutable("dunst");
        ASSERT_FALSE(dunstProgram.isEmpty()) << "dunst is not installed";
        const auto services = home.root() / "services";
        testkit::writeFile(services / "org.freedesktop.Notifications.service",
                           "[D-BUS Service]\nName=org.freedesktop.Notifications\nExec=" +
                               dunstProgram.toStdString() + " -config " + dunst.config().string() +
                               "\n");
        bus = std::make_unique<testing::PrivateBus>(testing::PrivateBus::Kind::session,
                                                    testing::PrivateBus::Options{{services}});
        monitor = std::make_unique<NotifyCallMonitor>(bus->address());
        ASSERT_TRUE(monitor->waitUntilWatching());
        ASSERT_FALSE(hasOwner()) << "nothing has started a server yet";
    }

    void TearDown() override {
        // The bus started dunst for this test; it ends with the test.
        if (bus && hasOwner()) {
            const uint pid =
                QDBusConnection::sessionBus().interface()->servicePid(notifications).value();
            if (pid > 0)
                ::kill(static_cast<pid_t>(pid), SIGTERM);
            EXPECT_TRUE(runLoopUntil([] { return !hasOwner(); }));
        }
        monitor.reset();
        bus.reset();
    }

    // The line after "sound-name" in the hints of the first Notify call, once the call is seen.
    QString soundHint() {
        const auto call = [this] {
            const QString text = monitor->output();
            const auto start = text.indexOf(QStringLiteral("member=Notify"));
            const auto end = start < 0 ? -1 : text.indexOf(QStringLiteral("int32 -1"), start);
            return end < 0 ? QString() : text.mid(start, end - start);
        };
        if (!runLoopUntil([&] { return !call().isEmpty(); }))
            return QStringLiteral("(no Notify call seen)");
        const QString text = call();
        const auto hint = text.indexOf(QStringLiteral("string \"sound-name\""));
        if (hint < 0)
            return QStringLiteral("(no sound-name hint in: %1)").arg(text);
        return text.mid(hint).section(QLatin1Char('\n'), 1, 1).simplified();
    }

    DunstRecorder dunst{home.root() / "dunst"};
    std::unique_ptr<testing::PrivateBus> bus;
    std::unique_ptr<NotifyCallMonitor> monitor;
};

TEST_F(ActivatableServerTest, WarningStartsANotificationServerThatOnlyTheBusKnows) {
    auto center = std::make_shared<DesktopUserNotificationCenter>();
    EXPECT_TRUE(center->requestAuthorization());
    EXPECT_FALSE(hasOwner()) << "asking does not start the server";

    auto clock = std::make_shared<testkit::FixedClock>(systemClock().now());
    auto deps = dependencies();
    deps.clock = clock;
    deps.userNotifications = center;
    MacAppModel model(deps);
    const MacLockTarget target = approveWithWarningDueSoon(model, clock->now());

    ASSERT_TRUE(runLoopUntil([&] { return !dunst.shown().empty(); }));
    const auto shown = dunst.shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown.begin()->second,
              "まもなく再ロック\n" + target.displayName + " は 2秒後に再ロックされます。");
}

TEST_F(ActivatableServerTest, WarningAsksForTheSoundOfANewMessage) {
    FreedesktopNotificationCenter center(QStringLiteral("Pellorim"));
    center.schedule("quorvel.mac.unlock-warning.x", "まもなく再ロック",
                    "x は 60秒後に再ロックされます。", 0);
    ASSERT_TRUE(runLoopUntil([&] { return !dunst.shown().empty(); }));
    EXPECT_EQ(soundHint().toStdString(), "variant string \"message-new-instant\"");
}

}  // namespace
}  // namespace quorvel::modeltest
