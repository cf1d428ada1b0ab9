#include "QuorvelNativeHost/daemon/daemon_command_line.hpp"

#include <algorithm>
#include <charconv>

namespace quorvel::daemon {
namespace {

// One optional sign, then one or more ASCII digits and nothing else, in the 32-bit range.
std::optional<std::int32_t> strictInt32(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    std::int64_t magnitude = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

}  // namespace

bool selectsBridgeDaemon(std::span<const std::string> arguments) {
    return std::find(arguments.begin(), arguments.end(), bridgeDaemonFlag) != arguments.end();
}

std::optional<std::int32_t> bridgeParentProcessId(std::span<const std::string> arguments) {
    const auto option = std::find(arguments.begin(), arguments.end(), parentPidOption);
    if (option == arguments.end() || std::next(option) == arguments.end())
        return std::nullopt;
    const auto value = strictInt32(*std::next(option));
    if (!value || *value <= 0)
        return std::nullopt;
    return value;
}

}  // namespace quorvel::daemon
