// How much the bridge daemon adds to an unlock: from the phone's last approval frame to the
// completed response in the mailbox file, over 200 unlocks, beside the bare WriteValue round
// trip to the same daemon on the same bus (a frame that completes nothing). Everything runs on a
// private system bus with the fake BlueZ; the daemon is the real program.
#include <QCoreApplication>
#include <QProcess>
#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include "QuorvelPlatform/notifications/dbus_notification_poster.hpp"
#include "QuorvelPlatform/notifications/distributed_notification_observer.hpp"
#include "QuorvelShared/bridge/ble_local_bridge_store.hpp"
#include "QuorvelShared/bridge/mac_link_configuration_store.hpp"
#include "QuorvelShared/messages/ble_local_identity.hpp"
#include "QuorvelShared/support/notifications.hpp"
#include "QuorvelShared/support/uuid.hpp"
#include "bluez/daemon_process.hpp"
#include "bluez/fake_bluez.hpp"
#include "bluez/phone_protocol.hpp"
#include "bluez/simulated_phone.hpp"
#include "bus/private_bus.hpp"
#include "support/bench_support.hpp"

namespace {

using namespace quorvel;
using namespace quorvel::bench;
using namespace quorvel::testing;
using Clock = std::chrono::steady_clock;
using Kind = BLELocalPrototypeMessageKind;

// What the bench waits for arrives as D-Bus messages, which wake the loop themselves.
constexpr int pollMs = 20;

bool hasMessage(const SimulatedPhone& phone, Kind kind, const std::string& requestId) {
    for (const auto& message : phone.wireMessages()) {
        if (message.kind == kind && message.requestId == requestId)
            return true;
    }
    return false;
}

int run(int argc, char** argv) {
    PrivateBus bus(PrivateBus::Kind::system);
    TemporaryHome home;
    QCoreApplication app(argc, argv);
    installDBusNotificationPoster();
    FakeBlueZ bluez(QString::fromStdString(bus.address()));

    const PhoneIdentity identity = PhoneIdentity::generate("ios_bench");
    const std::string macDeviceId = "mac_bench";
    MacLinkConfigurationStore::save({"https://api.example.com", "", macDeviceId,
                                     identity.iosDeviceId, identity.signingPublicKeyBase64(),
                                     identity.encryptionPublicKeyBase64(), 600, 120});
    QProcess daemon;
    if (!startBridgeDaemon(daemon, QStringLiteral(QUORVEL_NATIVE_HOST)))
        throw std::runtime_error("the daemon did not start");
    spinUntil("the daemon's GATT application", pollMs,
              [&] { return bluez.application() && bluez.advertisement(); });

    SimulatedPhone phone(bluez, QStringLiteral("/org/bluez/hci0/dev_AA_BB_CC_DD_EE_01"), 185);
    phone.subscribe();
    spinUntil("the phone's subscription", pollMs,
              [&] { return phone.subscribed() && !phone.messages().empty(); });

    // Bare round trips: the first frame of a two-frame message is answered at once.
    std::vector<double> bare;
    for (int i = 0; i < 1000; ++i) {
        const Bytes message(200, 0x41);
        const Bytes first =
            BLELocalPrototypeChunkCodec::frames(message, 182, Uuid::random()).front();
        const std::size_t answered = phone.writeResults().size();
        const auto start = Clock::now();
        phone.writeFrame(first);
        spinUntil("a bare write's answer", pollMs,
                  [&] { return phone.writeResults().size() > answered; });
        bare.push_back(milliseconds(start, Clock::now()));
    }

    std::string awaited;
    std::optional<Clock::time_point> completedAt;
    DistributedNotificationObserver responses(
        std::string(BLELocalBridgeStore::responseNotification), [&] {
            if (completedAt || awaited.empty())
                return;
            const auto response = BLELocalBridgeStore::loadResponse(awaited);
            if (response && response->completed)
                completedAt = Clock::now();
        });

    std::vector<double> unlocks;
    std::vector<double> lastFrameAnswered;
    for (int i = 0; i < 200; ++i) {
        const std::string requestId = "req_" + newUuidText();
        BLELocalBridgeStore::saveRequest({requestId,
                                          BLELocalPrototypeWireMessage::unlockRequest(
                                              requestId, "sealed", wholeSecondsFromNow(3600),
                                              wholeSecondsFromNow(30), macDeviceId),
                                          60});
        postNotification(BLELocalBridgeStore::requestNotification);
        spinUntil("the request at the phone", pollMs,
                  [&] { return hasMessage(phone, Kind::unlockRequest, requestId); });
        phone.sendMessage(phone::unlockReceipt(identity, requestId));
        spinUntil("the phone's receipt written", pollMs, [&] { return !phone.writesPending(); });

        const auto approval =
            phone::unlockApproval(identity, requestId, 600, wholeSecondsFromNow(600));
        auto frames = BLELocalPrototypeChunkCodec::frames(
            bytesOf(encodeBLELocalPrototypeWireMessage(approval)), phone.mtu() - 3, Uuid::random());
        for (std::size_t f = 0; f + 1 < frames.size(); ++f)
            phone.writeFrame(frames[f]);
        spinUntil("the approval's first frames written", pollMs,
                  [&] { return !phone.writesPending(); });
        awaited = requestId;
        completedAt.reset();
        const std::size_t answered = phone.writeResults().size();
        std::optional<double> answeredAfter;
        const auto start = Clock::now();
        phone.writeFrame(frames.back());
        spinUntil("the completed response", pollMs, [&] {
            if (!answeredAfter && phone.writeResults().size() > answered)
                answeredAfter = milliseconds(start, Clock::now());
            return completedAt.has_value() && answeredAfter.has_value();
        });
        unlocks.push_back(milliseconds(start, *completedAt));
        lastFrameAnswered.push_back(*answeredAfter);
    }

    daemon.closeWriteChannel();
    daemon.waitForFinished(30000);

    const double bareP50 = percentile(bare, 0.5);
    const double unlockP50 = percentile(unlocks, 0.5);
    std::printf("BlueZ WriteValue round trip to the daemon, p50 / p95\t%.2f / %.2f ms\t-\n",
                bareP50, percentile(bare, 0.95));
    std::printf(
        "unlock, last approval frame to response on disk, p50 / p95 (200)\t%.2f / %.2f ms\t-\n",
        unlockP50, percentile(unlocks, 0.95));
    std::printf("unlock, last approval frame answered, p50 / p95\t%.2f / %.2f ms\t-\n",
                percentile(lastFrameAnswered, 0.5), percentile(lastFrameAnswered, 0.95));
    std::printf("unlock, added by the daemon beyond the round trip, p50\t%.2f ms\t<= 5 ms\n",
                unlockP50 - bareP50);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bluez_unlock_bench: %s\n", error.what());
        return 1;
    }
}
