#include "QuorvelShared/policy/localized_format.hpp"

#include <charconv>

namespace quorvel {
namespace {

std::string textOf(const FormatArgument& argument) {
    if (const auto* text = std::get_if<std::string>(&argument)) {
        return *text;
    }
    return std::to_string(std::get<std::int64_t>(argument));
}

struct Directive {
    std::size_t length = 0;    // bytes from the "%"
    std::size_t position = 0;  // 1-based argument number; 0 for the next in order
    bool known = false;
};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads the directive at format[at] == '%' (not "%%").
Directive readDirective(std::string_view format, std::size_t at) {
    std::size_t i = at + 1;
    Directive directive;
    std::size_t digitsEnd = i;
    while (digitsEnd < format.size() && isDigit(format[digitsEnd])) {
        ++digitsEnd;
    }
    if (digitsEnd > i && digitsEnd < format.size() && format[digitsEnd] == '$') {
        const auto [end, error] =
            std::from_chars(format.data() + i, format.data() + digitsEnd, directive.position);
        if (error != std::errc() || directive.position == 0) {
            return Directive{digitsEnd + 1 - at, 0, false};
        }
        i = digitsEnd + 1;
    }
    if (format.substr(i, 2) == "ll") {
        i += 2;
    } else if (format.substr(i, 1) == "l") {
        i += 1;
    }
    if (i < format.size() && std::string_view("@sdi").find(format[i]) != std::string_view::npos) {
        directive.length = i + 1 - at;
        directive.known = true;
        return directive;
    }
    return Directive{1, 0, false};
}

}  // namespace

std::string formatLocalizedText(std::string_view format,
                                std::span<const FormatArgument> arguments) {
    std::string result;
    std::size_t nextArgument = 0;
    std::size_t at = 0;
    while (at < format.size()) {
        if (format[at] != '%') {
            result += format[at++];
            continue;
        }
        if (format.substr(at, 2) == "%%") {
            result += '%';
            at += 2;
            continue;
        }
        const Directive directive = readDirective(format, at);
        const std::string_view written = format.substr(at, directive.length);
        at += directive.length;
        if (!directive.known) {
            result += written;
            continue;
        }
        const std::size_t index = directive.position > 0 ? directive.position - 1 : nextArgument++;
        result += index < arguments.size() ? textOf(arguments[index]) : std::string(written);
    }
    return result;
}

}  // namespace quorvel
