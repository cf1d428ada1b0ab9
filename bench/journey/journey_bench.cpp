// bench-journey: the unlock journey as the user lives it, from the click on the lock panel's
// button to the panel gone from the window, through both real programs (QuorvelMac and the
// bridge daemon it starts) under openbox on the journeys' own desktop (display, session bus with
// the accessibility bus), with the fake bluetoothd and a phone that answers at once: the receipt,
// then the approval. Beside it the bare WriteValue round trip to the same daemon on the same bus,
// and where the rest of the journey goes: the moments the request reaches the phone, the phone's
// last write is answered, the daemon's response is on disk (its notification), the panel starts to
// fade and is gone.
//
// Each journey's approval is short, so the panel comes back over the window still in front and
// the next journey starts from the lock again.
#include <stdlib.h>

#include <QCoreApplication>
#include <QProcessEnvironment>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "QuorvelMac/model/mac_lock_target.hpp"
#include "QuorvelPlatform/notifications/dbus_notification_poster.hpp"
#include "QuorvelPlatform/notifications/distributed_notification_observer.hpp"
#include "QuorvelShared/bridge/ble_local_bridge_store.hpp"
#include "QuorvelShared/bridge/mac_link_configuration_store.hpp"
#include "QuorvelShared/messages/ble_local_prototype_chunk.hpp"
#include "QuorvelShared/support/uuid.hpp"
#include "bluez/fake_bluez.hpp"
#include "bluez/phone_protocol.hpp"
#include "bluez/simulated_phone.hpp"
#include "bus/private_bus.hpp"
#include "desktop/accessibility_tree.hpp"
#include "desktop/override_redirect_watch.hpp"
#include "desktop/program_under_test.hpp"
#include "desktop/xtest_input.hpp"
#include "journey/journey_desktop.hpp"
#include "support/bench_support.hpp"
#include "testkit/x11/x11_harness.hpp"

namespace {

using namespace quorvel;
using namespace quorvel::bench;
using namespace quorvel::testing;
using Clock = std::chrono::steady_clock;
using Kind = BLELocalPrototypeMessageKind;
using Event = OverrideRedirectWatch::Event;

constexpr int journeys = 25;
// Long enough for the panel to be gone well before the window ends.
constexpr std::int64_t allowSeconds = 3;

struct Row {
    std::vector<double> values;
    void add(double value) { values.push_back(value); }
    std::string text() const {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.1f / %.1f ms", percentile(values, 0.5),
                      percentile(values, 0.95));
        return buffer;
    }
};

int run(int argc, char** argv) {
    journeytest::JourneyDesktop desktop;
    PrivateBus systemBus(PrivateBus::Kind::system);
    TemporaryHome home;
    QCoreApplication app(argc, argv);
    installDBusNotificationPoster();
    FakeBlueZ bluez(QString::fromStdString(systemBus.address()));
    testkit::X11Harness x11;
    const auto openbox = testkit::OpenboxSession::start(x11);
    if (!openbox)
        throw std::runtime_error("openbox did not start");
    OverrideRedirectWatch watch;
    XTestInput pointer;

    // The paired phone, and the locked application from its desktop entry.
    const PhoneIdentity identity = PhoneIdentity::generate("ios_bench");
    const std::string macDeviceId = "mac_bench";
    MacLinkConfigurationStore::save({"https://backend.invalid", "", macDeviceId,
                                     identity.iosDeviceId, identity.signingPublicKeyBase64(),
                                     identity.encryptionPublicKeyBase64(), 600, 600});
    const auto applications = home.data() / "applications";
    std::filesystem::create_directories(applications);
    std::ofstream(applications / "org.example.Editor.desktop")
        << "[Desktop Entry]\nType=Application\nName=Editor\nStartupWMClass=Editor\n";
    MacTargetStore::save({MacLockTarget::macApplication(
        {"org.example.Editor", "Editor", (applications / "org.example.Editor.desktop").string()})});
    testkit::TestWindow editor("editor", "Editor", testkit::PixelRect{80, 80, 400, 300});
    // A fresh openbox can miss a window mapped while it starts: asking again is harmless.
    int polls = 0;
    spinUntil("openbox to manage the window", [&] {
        if (++polls % 200 == 0)
            x11.map(editor.id(), true);
        return x11.frameExtentsRect(editor.id()).has_value();
    });

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "xcb");
    environment.insert("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    ProgramUnderTest mac(QStringLiteral(QUORVEL_MAC), {}, environment);
    spinUntil("the daemon's GATT application",
              [&] { return bluez.application() && bluez.advertisement(); });
    SimulatedPhone phone(bluez, QStringLiteral("/org/bluez/hci0/dev_AA_BB_CC_DD_EE_02"), 185);
    phone.subscribe();
    spinUntil("the phone's subscription",
              [&] { return phone.subscribed() && !phone.messages().empty(); });

    // Bare round trips: the first frame of a two-frame message is answered at once.
    Row bare;
    for (int i = 0; i < 1000; ++i) {
        const Bytes message(200, 0x41);
        const Bytes first =
            BLELocalPrototypeChunkCodec::frames(message, 182, Uuid::random()).front();
        const std::size_t answered = phone.writeResults().size();
        const auto start = Clock::now();
        phone.writeFrame(first);
        spinUntil("a bare write's answer", [&] { return phone.writeResults().size() > answered; });
        bare.add(milliseconds(start, Clock::now()));
    }

    // The panel over the window in front, and its button in the accessibility tree.
    x11.requestActivation(editor.id());
    const auto extents = *x11.frameExtentsRect(editor.id());
    auto* where = xcb_translate_coordinates_reply(
        x11.connection(),
        xcb_translate_coordinates(x11.connection(), editor.id(), x11.root(), 0, 0), nullptr);
    if (!where)
        throw std::runtime_error("no window position");
    const WindowRect cover{where->dst_x - extents.x, where->dst_y, 400 + extents.x + extents.y,
                           300 + extents.height};
    std::free(where);
    const auto covered = [&] {
        watch.read();
        for (const auto& [window, rect] : watch.shownNow()) {
            if (rect == cover)
                return true;
        }
        return false;
    };
    spinUntil("the panel over the window", covered);
    AccessibilityTree tree;
    std::optional<AccessibilityTree::Node> application;
    spinUntil("QuorvelMac in the accessibility tree",
              [&] { return (application = tree.application(mac.pid())).has_value(); });
    std::optional<QRect> button;
    spinUntil("the panel's button", [&] {
        const auto node = tree.find(*application, "push button", "mac-lock-unlock-request-button");
        const QRect at = node ? tree.extents(*node) : QRect();
        if (!at.isEmpty() && QRect(cover.x, cover.y, cover.width, cover.height).contains(at))
            button = at;
        return button.has_value();
    });

    std::string awaited;
    std::optional<Clock::time_point> respondedAt;
    DistributedNotificationObserver responses(
        std::string(BLELocalBridgeStore::responseNotification), [&] {
            if (respondedAt || awaited.empty())
                return;
            const auto response = BLELocalBridgeStore::loadResponse(awaited);
            if (response && response->completed)
                respondedAt = Clock::now();
        });

    // Each milestone from the click.
    Row gone, mailbox, pickUp, atPhone, written, responded, fadeStarts;
    std::set<std::string> seenIds;
    std::size_t requestsSeen = 0;
    for (int i = 0; i < journeys; ++i) {
        spinUntil("the panel over the window", covered);
        watch.read();
        const std::size_t mark = watch.mark();
        awaited.clear();
        respondedAt.reset();
        const auto clicked = Clock::now();
        pointer.click(button->center().x(), button->center().y());

        // The request in the mailbox (the application's share), marked as picked up (the
        // daemon's wake-up), complete at the phone (the framing over the link).
        std::optional<BLELocalPrototypeWireMessage> request;
        std::optional<Clock::time_point> inMailbox, pickedUp;
        std::optional<std::string> requestId;
        spinUntil("the request at the phone", [&] {
            if (!inMailbox) {
                for (const auto& pending : BLELocalBridgeStore::loadPendingRequests()) {
                    if (!seenIds.count(pending.requestId)) {
                        requestId = pending.requestId;
                        inMailbox = Clock::now();
                    }
                }
            }
            if (requestId && !pickedUp && BLELocalBridgeStore::loadResponse(*requestId))
                pickedUp = Clock::now();
            std::size_t seen = 0;
            for (const auto& message : phone.wireMessages()) {
                if (message.kind == Kind::unlockRequest && seen++ == requestsSeen)
                    request = message;
            }
            return request.has_value();
        });
        seenIds.insert(*request->requestId);
        mailbox.add(milliseconds(clicked, inMailbox.value_or(Clock::now())));
        pickUp.add(milliseconds(clicked, pickedUp.value_or(Clock::now())));
        ++requestsSeen;
        atPhone.add(milliseconds(clicked, Clock::now()));
        awaited = *request->requestId;
        phone.sendMessage(phone::unlockReceipt(identity, awaited));
        phone.sendMessage(phone::unlockApproval(identity, awaited, allowSeconds,
                                                wholeSecondsFromNow(allowSeconds)));
        spinUntil("the phone's writes", [&] { return !phone.writesPending(); });
        written.add(milliseconds(clicked, Clock::now()));

        std::optional<Clock::time_point> fadeStarted, hidden;
        spinUntil("the panel gone", [&] {
            watch.read();
            for (std::size_t e = mark; e < watch.events().size(); ++e) {
                const Event& event = watch.events()[e];
                if (!(event.rect == cover))
                    continue;
                if (event.kind == Event::Kind::opacityChanged && !fadeStarted)
                    fadeStarted = event.at;
                if (event.kind == Event::Kind::hidden)
                    hidden = event.at;
            }
            return hidden.has_value() && respondedAt.has_value();
        });
        responded.add(milliseconds(clicked, *respondedAt));
        fadeStarts.add(milliseconds(clicked, fadeStarted.value_or(*hidden)));
        gone.add(milliseconds(clicked, *hidden));
    }
    mac.terminate();

    std::printf("journey: click on the panel to the panel gone, p50 / p95 (%d)\t%s\t-\n", journeys,
                gone.text().c_str());
    std::printf("journey: bare WriteValue round trip to the daemon, p50 / p95\t%s\t-\n",
                bare.text().c_str());
    std::printf("journey: from the click, the request in the mailbox\t%s\t-\n",
                mailbox.text().c_str());
    std::printf("journey: from the click, the request picked up by the daemon\t%s\t-\n",
                pickUp.text().c_str());
    std::printf("journey: from the click, the request complete at the phone\t%s\t-\n",
                atPhone.text().c_str());
    std::printf("journey: from the click, the phone's receipt and approval written\t%s\t-\n",
                written.text().c_str());
    std::printf("journey: from the click, the daemon's final response on disk\t%s\t-\n",
                responded.text().c_str());
    std::printf("journey: from the click, the panel starting to fade\t%s\t-\n",
                fadeStarts.text().c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench-journey: %s\n", error.what());
        return 1;
    }
}
