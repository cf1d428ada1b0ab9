// The host's mailbox exchange in process, on the test's own event loop, for the waits too long to
// drive through the program (the answer window of a real request is over an hour).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>

#include "QuorvelNativeHost/host/bridge_exchange.hpp"
#include "QuorvelNativeHost/host/error_text.hpp"
#include "QuorvelShared/bridge/ble_local_bridge_store.hpp"
#include "testkit/qt_wait.hpp"
#include "testkit/recording_poster.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel::host {
namespace {

struct Run {
    std::optional<BridgeExchange::Result> result;
};

BLELocalPrototypeWireMessage requestMessage(std::optional<std::string> id) {
    auto message =
        BLELocalPrototypeWireMessage::unlockRequest("x", "sealed", Date{1}, Date{2}, "m");
    message.requestId = std::move(id);
    return message;
}

// Runs the exchange until it completes; `duringWait` runs on every turn of the loop.
BridgeExchange::Result exchange(
    const BLELocalPrototypeWireMessage& message, std::int64_t timeoutSeconds,
    const std::function<void()>& duringWait = [] {}) {
    std::optional<BridgeExchange::Result> result;
    auto* running = new BridgeExchange(message, timeoutSeconds,
                                       [&](BridgeExchange::Result r) { result = std::move(r); });
    testkit::runLoopUntil([&] {
        duringWait();
        return result.has_value();
    });
    delete running;
    EXPECT_TRUE(result) << "the exchange did not end";
    return result.value_or(BridgeExchange::Result{std::exception_ptr{}});
}

std::string failureText(const BridgeExchange::Result& result) {
    const auto* error = std::get_if<std::exception_ptr>(&result);
    return error && *error ? errorText(*error) : "(an answer)";
}

TEST(HostBridgeExchange, ARequestWithoutAnIdIsRefusedAndNothingIsWritten) {
    testkit::TempXdgHome home;
    testkit::ScopedRecordingPoster poster;
    for (const auto& id : {std::optional<std::string>{}, std::optional<std::string>{""}}) {
        EXPECT_EQ(failureText(exchange(requestMessage(id), 1)), "invalidBluetoothRequest");
    }
    EXPECT_FALSE(std::filesystem::exists(BLELocalBridgeStore::stateURL()));
    EXPECT_TRUE(poster.posted().empty());
}

TEST(HostBridgeExchange, APickedUpRequestThatIsNeverAnsweredTimesOutAfterItsWindow) {
    testkit::TempXdgHome home;
    testkit::ScopedRecordingPoster poster;
    QElapsedTimer clock;
    clock.start();
    bool pickedUp = false;
    const auto result = exchange(requestMessage("req_1"), 0, [&] {
        if (!pickedUp && !BLELocalBridgeStore::loadPendingRequests().empty()) {
            BLELocalBridgeStore::saveResponse({"req_1", false, {}, {}});
            pickedUp = true;
        }
    });
    EXPECT_EQ(failureText(result), "bluetoothBridgeTimeout");
    // A lifetime of 0 still waits one second plus the grace of five.
    EXPECT_GE(clock.elapsed(), 6'000);
    EXPECT_EQ(poster.posted(), (std::vector<std::string>{"app.quorvel.bleBridge.request"}));
}

TEST(HostBridgeExchange, AFailingPostEndsTheExchangeWithItsError) {
    testkit::TempXdgHome home;
    struct Failing final : NotificationPoster {
        void post(std::string_view) override {
            throw std::system_error(EIO, std::generic_category());
        }
    };
    installNotificationPoster(std::make_shared<Failing>());
    EXPECT_EQ(failureText(exchange(requestMessage("req_1"), 1)), "systemError");
    installNotificationPoster(nullptr);
}

TEST(HostBridgeExchange, DestroyingTheExchangeCancelsItWithoutAnAnswer) {
    testkit::TempXdgHome home;
    testkit::ScopedRecordingPoster poster;
    bool completed = false;
    QPointer<BridgeExchange> running =
        new BridgeExchange(requestMessage("req_1"), 1, [&](auto) { completed = true; });
    QCoreApplication::processEvents();
    delete running.data();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 500)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_FALSE(completed);
}

}  // namespace
}  // namespace quorvel::host
