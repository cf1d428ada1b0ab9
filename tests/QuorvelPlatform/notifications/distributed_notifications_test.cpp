#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "QuorvelPlatform/notifications/dbus_notification_poster.hpp"
#include "QuorvelPlatform/notifications/distributed_notification_bus.hpp"
#include "QuorvelPlatform/notifications/distributed_notification_observer.hpp"
#include "QuorvelShared/support/uuid.hpp"
#include "testkit/capture_error.hpp"

namespace quorvel {
namespace {

// Only guards against a hang; nothing here measures speed.
constexpr int patienceMs = 30'000;

// Tests run in parallel on one session bus: every test posts names of its own.
std::string uniqueName(const std::string& stem) {
    return "test." + newUuidText() + ".bleBridge-" + stem;
}

class Peer {
public:
    explicit Peer(const QStringList& arguments, const QProcessEnvironment& environment =
                                                    QProcessEnvironment::systemEnvironment()) {
        process_.setProcessEnvironment(environment);
        process_.start(QStringLiteral(QUORVEL_NOTIFICATION_PEER), arguments);
        EXPECT_TRUE(process_.waitForStarted(patienceMs));
    }
    ~Peer() {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(patienceMs)) {
            process_.kill();
            process_.waitForFinished(patienceMs);
        }
    }

    std::string readLine() {
        while (!process_.canReadLine()) {
            if (!process_.waitForReadyRead(patienceMs)) {
                ADD_FAILURE() << "the peer wrote no line; its errors: "
                              << process_.readAllStandardError().toStdString();
                return {};
            }
        }
        return process_.readLine().trimmed().toStdString();
    }

    // Closes the peer's input and returns its exit status, or -1 when it crashed or hung.
    int finish() {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(patienceMs) ||
            process_.exitStatus() != QProcess::NormalExit) {
            return -1;
        }
        return process_.exitCode();
    }
    std::string errors() { return process_.readAllStandardError().toStdString(); }

private:
    QProcess process_;
};

// Runs this thread's event loop until `done` holds (or patience runs out).
bool runLoopUntil(const std::function<bool()>& done) {
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) {
            loop.quit();
        }
    });
    poll.start(5);
    QTimer::singleShot(patienceMs, &loop, &QEventLoop::quit);
    if (!done()) {
        loop.exec();
    }
    return done();
}

struct Counter {
    std::shared_ptr<std::atomic<int>> count = std::make_shared<std::atomic<int>>(0);
    std::function<void()> handler() {
        return [count = count] { ++*count; };
    }
    int value() const { return count->load(); }
};

TEST(DistributedNotifications, PostReachesAnObserverInAnotherProcessOnlyForItsName) {
    const std::string wanted = uniqueName("request");
    const std::string other = uniqueName("response");
    const std::string never = uniqueName("connectionChanged");
    const std::string last = uniqueName("configurationChanged");
    Peer observer({"observe", QString::fromStdString(wanted), QString::fromStdString(never),
                   QString::fromStdString(last)});
    ASSERT_EQ(observer.readLine(), "ready");

    const auto poster = DBusNotificationPoster::connect();
    poster->post(other);
    poster->post(wanted);
    poster->post(other);
    // Signals of one sender arrive in order: when `last` is seen, nothing earlier is pending.
    poster->post(last);

    EXPECT_EQ(observer.readLine(), wanted);
    EXPECT_EQ(observer.readLine(), last);
    EXPECT_EQ(observer.finish(), 0);
}

TEST(DistributedNotifications, PostFromAnotherProcessReachesThisProcessOnItsEventLoop) {
    const std::string wanted = uniqueName("request");
    const std::string other = uniqueName("response");
    const std::string unrelated = uniqueName("target-sync-changed");
    const std::string fence = uniqueName("fence");
    Counter wantedSeen, unrelatedSeen, fenceSeen;
    DistributedNotificationObserver wantedObserver(wanted, wantedSeen.handler());
    DistributedNotificationObserver unrelatedObserver(unrelated, unrelatedSeen.handler());
    DistributedNotificationObserver fenceObserver(fence, fenceSeen.handler());

    Peer poster({"post", QString::fromStdString(other), QString::fromStdString(wanted)});
    EXPECT_EQ(poster.finish(), 0) << poster.errors();
    ASSERT_TRUE(runLoopUntil([&] { return wantedSeen.value() == 1; }));

    // Our own post goes through the bus after everything the peer sent.
    DBusNotificationPoster::connect()->post(fence);
    ASSERT_TRUE(runLoopUntil([&] { return fenceSeen.value() == 1; }));
    EXPECT_EQ(wantedSeen.value(), 1);
    EXPECT_EQ(unrelatedSeen.value(), 0);
}

TEST(DistributedNotifications, ThePostersOwnObserverSeesThePostOnALaterTurnOfTheLoop) {
    const std::string name = uniqueName("connectionChanged");
    Counter seen;
    DistributedNotificationObserver observer(name, seen.handler());
    installDBusNotificationPoster();

    postNotification(name);
    EXPECT_EQ(seen.value(), 0) << "the handler must not run inside post()";
    ASSERT_TRUE(runLoopUntil([&] { return seen.value() == 1; }));

    postNotification(name);
    ASSERT_TRUE(runLoopUntil([&] { return seen.value() == 2; }));
    installNotificationPoster(nullptr);
}

TEST(DistributedNotifications, HandlersRunOnTheThreadThatObserves) {
    const std::string name = uniqueName("target-sync-changed");
    QThread worker;
    QObject onWorker;
    onWorker.moveToThread(&worker);
    worker.start();
    std::promise<std::thread::id> handledOn;
    std::promise<std::thread::id> observingThread;
    DistributedNotificationObserver* observer = nullptr;
    QMetaObject::invokeMethod(
        &onWorker,
        [&] {
            observer = new DistributedNotificationObserver(
                name, [&handledOn] { handledOn.set_value(std::this_thread::get_id()); });
            observingThread.set_value(std::this_thread::get_id());
        },
        Qt::BlockingQueuedConnection);
    ASSERT_NE(observer, nullptr);
    const std::thread::id expected = observingThread.get_future().get();
    ASSERT_NE(expected, std::this_thread::get_id());

    DBusNotificationPoster::connect()->post(name);
    auto handled = handledOn.get_future();
    ASSERT_EQ(handled.wait_for(std::chrono::milliseconds(patienceMs)), std::future_status::ready);
    EXPECT_EQ(handled.get(), expected);

    QMetaObject::invokeMethod(
        observer, [observer] { delete observer; }, Qt::BlockingQueuedConnection);
    worker.quit();
    worker.wait();
}

TEST(DistributedNotifications, ADestroyedObserverIsNoLongerCalled) {
    const std::string name = uniqueName("response");
    const std::string fence = uniqueName("fence");
    Counter seen, fenceSeen;
    DistributedNotificationObserver fenceObserver(fence, fenceSeen.handler());
    { DistributedNotificationObserver observer(name, seen.handler()); }
    const auto poster = DBusNotificationPoster::connect();
    poster->post(name);
    poster->post(fence);
    ASSERT_TRUE(runLoopUntil([&] { return fenceSeen.value() == 1; }));
    EXPECT_EQ(seen.value(), 0);
}

TEST(DistributedNotifications, NamesThatCannotTravelAreRefused) {
    const auto poster = DBusNotificationPoster::connect();
    for (const std::string& name : {std::string(), std::string("it's"), std::string("a\\b"),
                                    std::string("bad\xff-utf8"), std::string("cut\0short", 9)}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(testkit::captureErrorCode<Error<DistributedNotificationError>>(
                      [&] { poster->post(name); }),
                  DistributedNotificationError::invalidName)
            << "posted";
        if (name.find('\xff') == std::string::npos) {
            EXPECT_EQ(testkit::captureErrorCode<Error<DistributedNotificationError>>(
                          [&] { DistributedNotificationObserver observer(name, [] {}); }),
                      DistributedNotificationError::invalidName)
                << "observed";
        }
    }
}

TEST(DistributedNotifications, WithoutASessionBusEveryStartFailsAndSaysWhy) {
    const QString emptyRuntime = QString::fromStdString(
        (std::filesystem::temp_directory_path() / ("quorvel-nobus-" + newUuidText())).string());
    std::filesystem::create_directories(emptyRuntime.toStdString());

    struct Case {
        const char* what;
        QStringList arguments;
        bool addressPointsNowhere;
    };
    const std::vector<Case> cases = {
        {"install, address of no daemon", {"install"}, true},
        {"post, address of no daemon", {"post", "app.quorvel.bleBridge.request"}, true},
        {"observe, address of no daemon", {"observe", "app.quorvel.bleBridge.response"}, true},
        {"install, no address at all", {"install"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), emptyRuntime);
        if (c.addressPointsNowhere) {
            environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                               "unix:path=" + emptyRuntime + "/no-bus-here");
        } else {
            environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        }
        Peer peer(c.arguments, environment);
        EXPECT_EQ(peer.finish(), 2);
        EXPECT_NE(peer.errors().find("session bus"), std::string::npos);
    }
    std::filesystem::remove_all(emptyRuntime.toStdString());
}

}  // namespace
}  // namespace quorvel
