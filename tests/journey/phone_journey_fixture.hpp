#pragma once

// What every journey has, with or without a screen: a temporary home, a system bus of the test's
// own where the fake bluetoothd and the simulated phone are the only stand-ins, the phone's
// paired link in the Mac's configuration, and the sanitizer reports of the programs under test.
// The test sees the programs as the phone would: what reaches it, and the state files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "QuorvelShared/bridge/mac_link_configuration_store.hpp"
#include "QuorvelShared/crypto/unlock_context_crypto.hpp"
#include "QuorvelShared/support/clock.hpp"
#include "bluez/fake_bluez.hpp"
#include "bluez/phone_protocol.hpp"
#include "bluez/simulated_phone.hpp"
#include "bus/private_bus.hpp"
#include "desktop/sanitizer_reports.hpp"
#include "testkit/qt_wait.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel::journeytest {

using testkit::runLoopUntil;
using Kind = BLELocalPrototypeMessageKind;

inline const std::string editorId = "mac-app:org.example.Editor";
inline const std::string viewerId = "mac-app:org.example.Viewer";
inline const std::string macDeviceId = "mac-journey";

// Whole seconds from now: the mailbox and the signatures carry dates as whole seconds.
inline Date wholeSecondsFromNow(double seconds) {
    return Date{std::floor(systemClock().now().secondsSinceReferenceDate) + seconds};
}

class PhoneJourneyTest : public ::testing::Test {
protected:
    void SetUp() override {
        MacLinkConfigurationStore::save({"https://backend.invalid", "", macDeviceId,
                                         identity.iosDeviceId, identity.signingPublicKeyBase64(),
                                         identity.encryptionPublicKeyBase64(), 600, 600});
    }

    void TearDown() override {
        for (const auto& report : sanitizers.reports())
            ADD_FAILURE() << "sanitizer report of a program under test: " << report;
    }

    // How many messages of the kind the phone has received.
    std::size_t received(Kind kind) const {
        std::size_t count = 0;
        for (const auto& message : phone.wireMessages())
            count += message.kind == kind ? 1 : 0;
        return count;
    }

    // The next unlock request that reaches the phone after those it has seen.
    BLELocalPrototypeWireMessage nextUnlockRequest() {
        const bool arrived =
            runLoopUntil([&] { return received(Kind::unlockRequest) > requestsSeen_; });
        EXPECT_TRUE(arrived) << "no unlock request reached the phone";
        if (!arrived)
            return {};
        std::size_t index = 0;
        for (const auto& message : phone.wireMessages()) {
            if (message.kind == Kind::unlockRequest && index++ == requestsSeen_) {
                ++requestsSeen_;
                return message;
            }
        }
        return {};
    }

    // The phone opens the request's sealed context with its key-agreement key.
    UnlockContextPlaintext openContext(const BLELocalPrototypeWireMessage& request) {
        return UnlockContextCrypto::decrypt(request.encryptedContext.value_or(""),
                                            identity.agreement, request.requestId.value_or(""));
    }

    // The phone writes the message and waits for every write's answer; returns the ATT codes
    // of the answers.
    std::vector<std::uint8_t> send(const BLELocalPrototypeWireMessage& message) {
        const std::size_t before = phone.writeResults().size();
        phone.sendMessage(message);
        EXPECT_TRUE(runLoopUntil([&] { return !phone.writesPending(); }));
        return {phone.writeResults().begin() + static_cast<std::ptrdiff_t>(before),
                phone.writeResults().end()};
    }

    static bool allAccepted(const std::vector<std::uint8_t>& codes) {
        for (const auto code : codes) {
            if (code != 0)
                return false;
        }
        return !codes.empty();
    }

    testkit::TempXdgHome home;
    testing::PrivateBus systemBus{testing::PrivateBus::Kind::system};
    testing::FakeBlueZ bluez{QString::fromStdString(systemBus.address())};
    testing::PhoneIdentity identity = testing::PhoneIdentity::generate("ios-journey");
    testing::SimulatedPhone phone{bluez, QStringLiteral("/org/bluez/hci0/dev_11_22_33_44_55_66"),
                                  185};
    testing::SanitizerReports sanitizers{home.root() / "sanitizer-reports"};

private:
    std::size_t requestsSeen_ = 0;
};

}  // namespace quorvel::journeytest
