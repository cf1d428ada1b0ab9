#include "bus/keyring_service.hpp"

#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <string>
#include <system_error>

namespace quorvel::testing {

KeyringService::KeyringService() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "quorvel-keyring.XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        throw std::system_error(errno, std::generic_category(), "mkdtemp");
    }
    folder_ = pattern;
    const auto home = folder_ / "home";
    const auto runtime = folder_ / "runtime";
    std::filesystem::create_directories(serviceFolder());
    std::filesystem::create_directories(home / "data");
    std::filesystem::create_directories(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    // The runtime folder is its own too: gnome-keyring keeps its control socket there, and one
    // found there already (the desktop's) would be joined instead of starting afresh; so would
    // one that GNOME_KEYRING_CONTROL names.
    std::ofstream(serviceFolder() / "org.freedesktop.secrets.service")
        << "[D-BUS Service]\n"
           "Name=org.freedesktop.secrets\n"
           "Exec=/bin/sh -c \"printf quorvel-test | exec env -u GNOME_KEYRING_CONTROL HOME="
        << home.string() << " XDG_DATA_HOME=" << (home / "data").string()
        << " XDG_RUNTIME_DIR=" << runtime.string()
        << " gnome-keyring-daemon --foreground --unlock --components=secrets\"\n";
}

KeyringService::~KeyringService() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

}  // namespace quorvel::testing
