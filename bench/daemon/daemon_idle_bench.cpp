// The bridge daemon at rest: started as the application starts it, on a private system bus with
// the fake bluetoothd, with a simulated phone subscribed; then 60 s with nothing to do. Prints
// its resident memory and the share of one core it used, as "measure<TAB>figure<TAB>goal" rows.
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "bluez/fake_bluez.hpp"
#include "bluez/simulated_phone.hpp"
#include "bus/private_bus.hpp"
#include "support/bench_support.hpp"
#include "testkit/qt_wait.hpp"

namespace {

constexpr int idleSeconds = 60;

// User plus system CPU seconds of a process.
double cpuSeconds(qint64 pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    unsigned long long user = 0, system = 0;
    for (int index = 3; fields >> field; ++index) {
        if (index == 14)
            user = std::stoull(field);
        if (index == 15) {
            system = std::stoull(field);
            break;
        }
    }
    return static_cast<double>(user + system) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

void runFor(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    quorvel::testkit::runLoopUntil([&] { return timer.elapsed() >= milliseconds; },
                                   milliseconds + 1000);
}

}  // namespace

int main(int argc, char** argv) {
    const quorvel::bench::TemporaryHome home;
    quorvel::testing::PrivateBus systemBus(quorvel::testing::PrivateBus::Kind::system);
    QCoreApplication application(argc, argv);
    quorvel::testing::FakeBlueZ bluez(QString::fromStdString(systemBus.address()));

    QProcess daemon;
    daemon.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    daemon.start(QStringLiteral(QUORVEL_NATIVE_HOST), {QStringLiteral("--ble-bridge-daemon")});
    if (!daemon.waitForStarted() ||
        !quorvel::testkit::runLoopUntil([&] { return bluez.advertisement().has_value(); })) {
        std::fprintf(stderr, "bench-daemon-idle: the daemon did not start advertising\n");
        return 1;
    }
    quorvel::testing::SimulatedPhone phone(bluez, "/org/bluez/hci0/dev_AA_BB_CC_DD_EE_FF", 185);
    phone.subscribe();
    if (!quorvel::testkit::runLoopUntil([&] { return !phone.wireMessages().empty(); })) {
        std::fprintf(stderr, "bench-daemon-idle: the phone got nothing\n");
        return 1;
    }
    runFor(2000);  // let the start-up work settle

    const qint64 pid = daemon.processId();
    const double cpuBefore = cpuSeconds(pid);
    QElapsedTimer wall;
    wall.start();
    runFor(idleSeconds * 1000);
    const double share = 100.0 * (cpuSeconds(pid) - cpuBefore) / (wall.elapsed() / 1000.0);
    const double resident = quorvel::bench::residentMegabytes(pid);

    std::printf("daemon idle resident memory (subscribed phone)\t%.1f MB\tunder 15 MB\n", resident);
    std::printf("daemon idle CPU over %d s (subscribed phone)\t%.3f %% of a core\tunder 0.1 %%\n",
                idleSeconds, share);
    daemon.closeWriteChannel();
    daemon.waitForFinished();
    return 0;
}
