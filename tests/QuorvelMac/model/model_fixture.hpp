#pragma once
// What the model's tests share: a temporary home, fakes of the shell's collaborators, a
// recording notification centre; waits go through the test kit's Qt wait.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "QuorvelMac/model/mac_app_model.hpp"
#include "QuorvelMac/model/native_messaging_registrar.hpp"
#include "QuorvelMac/model/platform_services.hpp"
#include "QuorvelShared/devicekeys/device_key_pair.hpp"
#include "QuorvelShared/support/preferences.hpp"
#include "testkit/qt_wait.hpp"
#include "testkit/recording_poster.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel::modeltest {

using testkit::drainLoop;
using testkit::runLoopUntil;

struct FakeDaemonLauncher final : BridgeDaemonLauncher {
    int starts = 0;
    std::string failure;
    void start() override {
        ++starts;
        if (!failure.empty())
            throw std::runtime_error(failure);
    }
};

struct FakeAccessibility final : AccessibilityProbe {
    bool trusted = false;
    std::vector<bool> prompts;
    int settingsOpened = 0;
    bool isTrusted(bool prompt) override {
        prompts.push_back(prompt);
        return trusted;
    }
    void openSettings() override { ++settingsOpened; }
};

struct RecordingUserNotifications final : UserNotificationCenter {
    struct Scheduled {
        std::string identifier, title, body;
        double delaySeconds;
    };
    bool authorised = true;
    std::vector<Scheduled> scheduled;
    std::vector<std::string> removed;
    std::set<std::string> pending;  // scheduled and not removed since
    bool requestAuthorization() override { return authorised; }
    void removeNotification(const std::string& identifier) override {
        removed.push_back(identifier);
        pending.erase(identifier);
    }
    void schedule(const std::string& identifier, const std::string& title, const std::string& body,
                  double delaySeconds) override {
        scheduled.push_back({identifier, title, body, delaySeconds});
        pending.insert(identifier);
    }
};

struct MemoryDeviceKeys final : DeviceKeyStoring {
    std::map<std::string, DeviceKeyPair> keys;
    DeviceKeyPair loadOrCreateDeviceKeys(const std::string& deviceId) override {
        auto found = keys.find(deviceId);
        if (found == keys.end())
            found = keys.emplace(deviceId, DeviceKeyPair{P256SigningPrivateKey::generate(),
                                                         P256KeyAgreementPrivateKey::generate()})
                        .first;
        return found->second;
    }
};

class ModelTest : public ::testing::Test {
protected:
    testkit::TempXdgHome home;
    testkit::ScopedRecordingPoster poster;
    std::shared_ptr<FakeDaemonLauncher> daemon = std::make_shared<FakeDaemonLauncher>();
    std::shared_ptr<FakeAccessibility> accessibility = std::make_shared<FakeAccessibility>();
    std::shared_ptr<RecordingUserNotifications> userNotifications =
        std::make_shared<RecordingUserNotifications>();
    std::shared_ptr<MemoryDeviceKeys> deviceKeys = std::make_shared<MemoryDeviceKeys>();
    std::shared_ptr<Preferences> defaults =
        std::make_shared<JsonFilePreferences>("app.quorvel.mac");

    MacAppModel::Dependencies dependencies() {
        MacAppModel::Dependencies deps;
        deps.userDefaults = defaults;
        deps.deviceKeyStore = deviceKeys;
        deps.bridgeDaemon = daemon;
        deps.notificationCenter = std::make_shared<DBusDistributedNotificationCenter>();
        deps.accessibility = accessibility;
        deps.loginItem = std::make_shared<XdgAutostartLoginItem>("/opt/pellorim/bin/QuorvelMac");
        deps.userNotifications = userNotifications;
        deps.manifestFiles = NativeMessagingRegistrar::defaultManifestFiles();
        deps.nativeHostPath = "/opt/pellorim/bin/QuorvelNativeHost";
        deps.hostDisplayName = "test-host";
        return deps;
    }

    std::unique_ptr<MacAppModel> makeModel(bool demonstration = false) {
        return std::make_unique<MacAppModel>(dependencies(), demonstration);
    }

    std::filesystem::path stateFile(const std::string& name) const {
        return home.stateFolder() / name;
    }
};

inline MacLockTarget appTarget(const std::string& bundle, const std::string& name) {
    return MacLockTarget::macApplication(
        {bundle, name, "/usr/share/applications/" + bundle + ".desktop"});
}

}  // namespace quorvel::modeltest
