// A second process for the keychain tests: it reaches the Secret Service on its own, through
// whatever session bus its environment names.
//
//   quorvel-keychain-peer copy SERVICE ACCOUNT
//       prints "status N" and the library's message
//   quorvel-keychain-peer load SERVICE DEVICE_ID
//       connects to the Secret Service, prints "ready", waits for a line on its input, then
//       loads or creates the device's keys and prints their public bundle as compact JSON
//
// A failure goes to standard error with status 1; bad usage ends the program with status 2.
#include <cstdio>
#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "QuorvelPlatform/keychain/secret_service_keychain.hpp"
#include "QuorvelShared/devicekeys/keychain_device_key_store.hpp"
#include "QuorvelShared/support/json_writer.hpp"

namespace {

using namespace quorvel;

int copy(const std::string& service, const std::string& account) {
    SecretServiceKeychain keychain;
    const KeychainItemRead read = keychain.copyGenericPassword(service, account);
    std::printf("status %d\n%s\n", static_cast<int>(read.status.code), read.status.message.c_str());
    return 0;
}

int load(const std::string& service, const std::string& deviceId) {
    const auto keychain = std::make_shared<SecretServiceKeychain>();
    // Connect to the service before saying ready, so that after "go" the racing processes are
    // all at the keychain's door at once rather than queued behind their connection set-up.
    keychain->copyGenericPassword(service, "warm-up");
    std::cout << "ready" << std::endl;
    std::string go;
    std::getline(std::cin, go);
    KeychainDeviceKeyStore store(keychain, service);
    try {
        const DevicePublicKeyBundle bundle = store.loadOrCreateDeviceKeys(deviceId).publicKeys();
        std::cout << json::write(toJson(bundle), json::Style::compact) << std::endl;
        return 0;
    } catch (const std::exception& error) {
        std::cerr << error.what() << std::endl;
        return 1;
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 3 && args[0] == "copy") {
        return copy(args[1], args[2]);
    }
    if (args.size() == 3 && args[0] == "load") {
        return load(args[1], args[2]);
    }
    std::fputs("usage: quorvel-keychain-peer copy SERVICE ACCOUNT | load SERVICE DEVICE_ID\n",
               stderr);
    return 2;
}
