#include "QuorvelPlatform/loginitem/xdg_autostart_entry.hpp"

#include <system_error>

#include "QuorvelShared/support/files.hpp"
#include "QuorvelShared/support/xdg_paths.hpp"

namespace quorvel::XdgAutostart {

std::filesystem::path entryFile(const std::string& id) {
    return paths::configHome() / "autostart" / (id + ".desktop");
}

bool isRegistered(const std::string& id) {
    return files::exists(entryFile(id));
}

std::string execValue(const std::filesystem::path& executable) {
    // Inside the quotes, " ` $ and \ take a backslash; then the key file's own escaping
    // doubles every backslash.
    std::string quoted = "\"";
    for (char c : executable.string()) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    std::string value;
    for (char c : quoted) {
        if (c == '\\')
            value += '\\';
        value += c;
    }
    return value;
}

void registerEntry(const std::string& id, const std::string& name,
                   const std::filesystem::path& executable) {
    const auto file = entryFile(id);
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    if (error)
        throw std::system_error(error, "cannot create " + file.parent_path().string());
    const std::string entry = "[Desktop Entry]\nType=Application\nName=" + name +
                              "\nExec=" + execValue(executable) +
                              "\nX-GNOME-Autostart-enabled=true\n";
    files::writeAtomically(file, entry);
}

void unregisterEntry(const std::string& id) {
    std::error_code error;
    std::filesystem::remove(entryFile(id), error);
    if (error)
        throw std::system_error(error, "cannot remove " + entryFile(id).string());
}

}  // namespace quorvel::XdgAutostart
