// A second process for the keychain tests: it reaches the Secret Service on its own, through
// whatever session bus its environment names.
//
//   quorvel-keychain-peer copy SERVICE ACCOUNT   prints "status N" and the library's message
//
// Bad usage ends the program with status 2.
#include <cstdio>
#include <string>
#include <vector>

#include "QuorvelPlatform/keychain/secret_service_keychain.hpp"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 3 && args[0] == "copy") {
        quorvel::SecretServiceKeychain keychain;
        const quorvel::KeychainItemRead read = keychain.copyGenericPassword(args[1], args[2]);
        std::printf("status %d\n%s\n", static_cast<int>(read.status.code),
                    read.status.message.c_str());
        return 0;
    }
    std::fputs("usage: quorvel-keychain-peer copy SERVICE ACCOUNT\n", stderr);
    return 2;
}
