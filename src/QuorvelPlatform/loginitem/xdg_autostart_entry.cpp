#include "QuorvelPlatform/loginitem/xdg_autostart_entry.hpp"

#include <stdexcept>
#include <system_error>

#include "QuorvelPlatform/desktop/desktop_entry.hpp"
#include "QuorvelShared/support/files.hpp"
#include "QuorvelShared/support/text.hpp"
#include "QuorvelShared/support/xdg_paths.hpp"

namespace quorvel::XdgAutostart {

std::filesystem::path entryFile(const std::string& id) {
    return paths::configHome() / "autostart" / (id + ".desktop");
}

bool isRegistered(const std::string& id) {
    std::optional<std::string> text;
    try {
        text = files::readIfPresent(entryFile(id));
    } catch (const std::system_error&) {
        // There, but unreadable to us: the session cannot read it either, yet it is ours.
        return files::exists(entryFile(id));
    }
    if (!text)
        return false;
    // The desktop session ignores a hidden entry: it is how a user turns one off.
    const auto keys = desktop::parseMainGroup(*text);
    if (!keys)
        return true;
    const auto hidden = keys->find("Hidden");
    return hidden == keys->end() || hidden->second != "true";
}

std::string execValue(const std::filesystem::path& executable) {
    // A desktop entry is UTF-8 text whose values hold no control characters but escaped line
    // breaks and tabs: a path that cannot be written so would start some other program.
    const std::string path = executable.string();
    for (std::size_t at = 0; at < path.size();) {
        const Utf8CodePoint point = decodeUtf8At(path, at);
        const bool escapable = point.value == U'\n' || point.value == U'\t' || point.value == U'\r';
        if (!point.value || ((*point.value < 0x20 || *point.value == 0x7f) && !escapable))
            throw std::invalid_argument("cannot write this program path into a desktop entry: " +
                                        path);
        at += point.length;
    }
    // The argument is quoted: inside the quotes " ` $ and \ take a backslash, and a % is
    // doubled, since % starts a field code (the launcher undoes the quoting first).
    std::string quoted = "\"";
    for (char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        if (c == '%')
            quoted += '%';
        quoted += c;
    }
    quoted += '"';
    // Then the escapes of every string value of the file: a backslash is doubled, and line
    // breaks and tabs are written as escapes.
    std::string value;
    for (char c : quoted) {
        switch (c) {
            case '\\':
                value += "\\\\";
                break;
            case '\n':
                value += "\\n";
                break;
            case '\t':
                value += "\\t";
                break;
            case '\r':
                value += "\\r";
                break;
            default:
                value += c;
        }
    }
    return value;
}

void registerEntry(const std::string& id, const std::string& name,
                   const std::filesystem::path& executable) {
    const std::string exec = execValue(executable);
    const auto file = entryFile(id);
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    if (error)
        throw std::system_error(error, "cannot create " + file.parent_path().string());
    const std::string entry = "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + exec +
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
