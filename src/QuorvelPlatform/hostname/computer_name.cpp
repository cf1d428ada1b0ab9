#include "QuorvelPlatform/hostname/computer_name.hpp"

#include <QDBusMessage>
#include <QDBusVariant>
#include <QSysInfo>
#include <exception>

#include "QuorvelShared/support/files.hpp"
#include "QuorvelShared/support/text.hpp"

namespace quorvel::hostname {

namespace {

// hostnamed is started by the bus on first use; that takes a moment, more is a broken system.
constexpr int hostnamedTimeoutMs = 5000;

std::optional<std::string> nonBlank(std::optional<std::string> name) {
    if (!name || isBlank(*name))
        return std::nullopt;
    return name;
}

// One value of a KEY=VALUE line as a shell reads it: quoted parts unquoted, escapes undone,
// unquoted blanks around it dropped.
std::string unquotedValue(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    std::string value;
    std::size_t i = 0;
    std::size_t keptEnd = 0;  // the unquoted trailing blanks are not part of the value
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\'') {
            const std::size_t close = text.find('\'', i + 1);
            const std::size_t end = close == std::string_view::npos ? text.size() : close;
            value.append(text.substr(i + 1, end - i - 1));
            keptEnd = value.size();
            i = end + 1;
        } else if (c == '"') {
            ++i;
            while (i < text.size() && text[i] != '"') {
                if (text[i] == '\\' && i + 1 < text.size() &&
                    std::string_view("\"\\`$").find(text[i + 1]) != std::string_view::npos)
                    ++i;
                value += text[i++];
            }
            keptEnd = value.size();
            ++i;
        } else if (c == '\\' && i + 1 < text.size()) {
            value += text[i + 1];
            keptEnd = value.size();
            i += 2;
        } else {
            value += c;
            if (c != ' ' && c != '\t')
                keptEnd = value.size();
            ++i;
        }
    }
    value.resize(keptEnd);
    return value;
}

}  // namespace

std::optional<std::string> prettyHostnameOfMachineInfo(std::string_view text) {
    constexpr std::string_view key = "PRETTY_HOSTNAME=";
    std::optional<std::string> found;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        if (line.substr(0, key.size()) == key)
            found = unquotedValue(line.substr(key.size()));  // the last one counts
    }
    return found;
}

std::optional<std::string> hostnamedPrettyHostname(const QDBusConnection& bus, int timeoutMs) {
    if (!bus.isConnected())
        return std::nullopt;
    QDBusMessage get = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.hostname1"), QStringLiteral("/org/freedesktop/hostname1"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QStringLiteral("org.freedesktop.hostname1") << QStringLiteral("PrettyHostname");
    const QDBusMessage reply = QDBusConnection(bus).call(get, QDBus::Block, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 1)
        return std::nullopt;
    const QVariant value = reply.arguments().front().value<QDBusVariant>().variant();
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString().toStdString();
}

ComputerNameSources systemComputerNameSources() {
    ComputerNameSources sources;
    sources.hostnamedPrettyHostname = [] {
        return hostnamedPrettyHostname(QDBusConnection::systemBus(), hostnamedTimeoutMs);
    };
    sources.hostName = [] { return QSysInfo::machineHostName().toStdString(); };
    return sources;
}

std::string computerDisplayName(const ComputerNameSources& sources) {
    if (sources.hostnamedPrettyHostname) {
        if (auto name = nonBlank(sources.hostnamedPrettyHostname()))
            return *name;
    }
    try {
        if (const auto text = files::readIfPresent(sources.machineInfo)) {
            if (auto name = nonBlank(prettyHostnameOfMachineInfo(*text)))
                return *name;
        }
    } catch (const std::system_error&) {
        // An unreadable file is a file without a name: the next source answers.
    }
    if (sources.hostName) {
        if (auto name = nonBlank(sources.hostName()))
            return *name;
    }
    return "Mac";
}

}  // namespace quorvel::hostname
