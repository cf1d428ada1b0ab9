#include "QuorvelPlatform/desktop/desktop_entry.hpp"

#include <glib.h>

#include <memory>
#include <system_error>

#include "QuorvelShared/support/files.hpp"

namespace quorvel::desktop {
namespace {

struct KeyFileFree {
    void operator()(GKeyFile* file) const { g_key_file_free(file); }
};
using KeyFile = std::unique_ptr<GKeyFile, KeyFileFree>;

using OwnedText = std::unique_ptr<gchar, decltype([](gchar* text) { g_free(text); })>;
using OwnedTextList = std::unique_ptr<gchar*, decltype([](gchar** list) { g_strfreev(list); })>;

constexpr const char* mainGroup = G_KEY_FILE_DESKTOP_GROUP;

// The text as GLib reads a desktop file, the translations of every language kept (Name[ja] is
// wanted whatever the process's locale); no value when GLib refuses it or its first group is not
// [Desktop Entry], the only group that can be the main one.
KeyFile loadMainGroup(std::string_view text) {
    KeyFile file(g_key_file_new());
    if (!g_key_file_load_from_data(file.get(), text.data(), text.size(),
                                   G_KEY_FILE_KEEP_TRANSLATIONS, nullptr)) {
        return nullptr;
    }
    const OwnedText start(g_key_file_get_start_group(file.get()));
    if (!start || std::string_view(start.get()) != mainGroup)
        return nullptr;
    return file;
}

// A value unescaped by GLib; no value when the key is missing or its value is no valid string.
std::optional<std::string> stringValue(GKeyFile* file, const char* key) {
    const OwnedText value(g_key_file_get_string(file, mainGroup, key, nullptr));
    if (!value)
        return std::nullopt;
    return std::string(value.get());
}

std::optional<std::string> nonEmptyValue(GKeyFile* file, const char* key) {
    auto value = stringValue(file, key);
    return value && !value->empty() ? value : std::nullopt;
}

bool booleanValue(GKeyFile* file, const char* key) {
    return g_key_file_get_boolean(file, mainGroup, key, nullptr) != FALSE;
}

// The Japanese translation of a localised key, only when the entry has one of its own.
std::optional<std::string> japaneseValue(GKeyFile* file, const char* key) {
    const OwnedText locale(g_key_file_get_locale_for_key(file, mainGroup, key, "ja"));
    if (!locale)
        return std::nullopt;
    const OwnedText value(g_key_file_get_locale_string(file, mainGroup, key, "ja", nullptr));
    if (!value)
        return std::nullopt;
    return std::string(value.get());
}

// The first word of a command line, unquoted as GLib takes apart an Exec value.
std::string firstWord(std::string_view command) {
    gint count = 0;
    gchar** words = nullptr;
    if (!g_shell_parse_argv(std::string(command).c_str(), &count, &words, nullptr))
        return {};
    const OwnedTextList owned(words);
    return count > 0 ? std::string(words[0]) : std::string();
}

}  // namespace

std::optional<std::map<std::string, std::string>> parseMainGroup(std::string_view text) {
    const KeyFile file = loadMainGroup(text);
    if (!file)
        return std::nullopt;
    std::map<std::string, std::string> keys;
    const OwnedTextList names(g_key_file_get_keys(file.get(), mainGroup, nullptr, nullptr));
    for (gchar** name = names.get(); name && *name; ++name) {
        if (auto value = stringValue(file.get(), *name))
            keys.emplace(*name, std::move(*value));
    }
    return keys;
}

std::optional<DesktopEntry> parseDesktopEntry(std::string_view text, std::string id,
                                              std::filesystem::path file) {
    const KeyFile keys = loadMainGroup(text);
    if (!keys)
        return std::nullopt;
    auto* const group = keys.get();
    const auto name = stringValue(group, G_KEY_FILE_DESKTOP_KEY_NAME);
    if (stringValue(group, G_KEY_FILE_DESKTOP_KEY_TYPE) != G_KEY_FILE_DESKTOP_TYPE_APPLICATION ||
        !name || booleanValue(group, G_KEY_FILE_DESKTOP_KEY_HIDDEN)) {
        return std::nullopt;
    }
    DesktopEntry entry;
    entry.id = std::move(id);
    entry.file = std::move(file);
    entry.name = *name;
    entry.japaneseName = japaneseValue(group, G_KEY_FILE_DESKTOP_KEY_NAME);
    entry.icon = nonEmptyValue(group, G_KEY_FILE_DESKTOP_KEY_ICON);
    entry.exec = nonEmptyValue(group, G_KEY_FILE_DESKTOP_KEY_EXEC);
    entry.tryExec = nonEmptyValue(group, G_KEY_FILE_DESKTOP_KEY_TRY_EXEC);
    entry.startupWMClass = nonEmptyValue(group, G_KEY_FILE_DESKTOP_KEY_STARTUP_WM_CLASS);
    entry.noDisplay = booleanValue(group, G_KEY_FILE_DESKTOP_KEY_NO_DISPLAY);
    return entry;
}

std::optional<DesktopEntry> readDesktopEntry(const std::filesystem::path& file, std::string id) {
    // Through the one whole-file read: a FIFO or a device named like an entry cannot block.
    std::optional<std::string> text;
    try {
        text = files::readIfPresent(file);
    } catch (const std::system_error&) {
        return std::nullopt;
    }
    if (!text)
        return std::nullopt;
    return parseDesktopEntry(*text, std::move(id), file);
}

std::optional<std::filesystem::path> programOfCommand(std::string_view command) {
    const std::string word = firstWord(command);
    if (word.empty())
        return std::nullopt;
    if (word.find('/') != std::string::npos)
        return std::filesystem::path(word);
    const OwnedText found(g_find_program_in_path(word.c_str()));
    if (!found)
        return std::nullopt;
    return std::filesystem::path(found.get());
}

}  // namespace quorvel::desktop
