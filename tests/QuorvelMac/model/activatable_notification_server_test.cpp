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

TEST_F(ModelTest, WarningStartsANotificationServerThatOnlyTheBusKnows) {
    // dunst known to this test's bus only as an activatable service: Debian's package puts its
    // own activation file into the standard folders, which this bus does not read.
    const QString dunstProgram = QStandardPaths::findExecutable("dunst");
    ASSERT_FALSE(dunstProgram.isEmpty()) << "dunst is not installed";
    DunstRecorder dunst(home.root() / "dunst");
    const auto services = home.root() / "services";
    testkit::writeFile(
        services / "org.freedesktop.Notifications.service",
        "[D-BUS Service]\nName=org.freedesktop.Notifications\nExec=" + dunstProgram.toStdString() +
            " -config " + dunst.config().string() + "\n");
    testing::PrivateBus bus(testing::PrivateBus::Kind::session, {{services}});
    NotifyCallMonitor monitor(bus.address());
    ASSERT_TRUE(monitor.waitUntilWatching());

    ASSERT_FALSE(hasOwner()) << "nothing has started a server yet";
    auto center = std::make_shared<DesktopUserNotificationCenter>();
    EXPECT_TRUE(center->requestAuthorization());
    EXPECT_FALSE(hasOwner()) << "asking does not start the server";

    auto deps = dependencies();
    deps.userNotifications = center;
    MacAppModel model(deps);
    auto targets = model.targets();
    targets[0].inheritsDefaultPolicy = false;
    targets[0].policyOverride = DefaultLockPolicy::defaultFree();
    targets[0].policyOverride->warningBeforeEndSeconds = 2;
    model.setTargets(targets);
    model.applyApproval(targets[0].id, systemClock().now().addingSeconds(4), std::nullopt);

    ASSERT_TRUE(runLoopUntil([&] { return !dunst.shown().empty(); }));
    const auto shown = dunst.shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown.begin()->second,
              "まもなく再ロック\n" + targets[0].displayName + " は 2秒後に再ロックされます。");

    // The call asked for the freedesktop sound of a new message.
    ASSERT_TRUE(runLoopUntil([&] { return monitor.output().contains("message-new-instant"); }));
    const QString call = monitor.output();
    const auto hint = call.indexOf(QStringLiteral("string \"sound-name\""));
    ASSERT_GE(hint, 0) << call.toStdString();
    const QString value = call.mid(hint).section(QLatin1Char('\n'), 1, 1).simplified();
    EXPECT_EQ(value, QStringLiteral("variant string \"message-new-instant\""))
        << call.toStdString();

    // The bus started dunst for this test; it ends with the test.
    const uint pid = QDBusConnection::sessionBus().interface()->servicePid(notifications).value();
    ASSERT_GT(pid, 0u);
    ::kill(static_cast<pid_t>(pid), SIGTERM);
    EXPECT_TRUE(runLoopUntil([] { return !hasOwner(); }));
}

}  // namespace
}  // namespace quorvel::modeltest
