#include "QuorvelNativeHost/host/native_host_error.hpp"

#include <cstdio>

namespace quorvel::host {
namespace {

std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\0':
                out += "\\0";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
                    char escaped[16];
                    std::snprintf(escaped, sizeof escaped, "\\u{%x}", static_cast<unsigned>(c));
                    out += escaped;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

}  // namespace

std::string textualForm(NativeHostErrorCase code, const std::optional<std::string>& reason) {
    std::string text(nameOf<NativeHostErrorCase>(code, nativeHostErrorCaseNames));
    if (code == NativeHostErrorCase::bluetoothBridgeFailed) {
        text += "(" + quoted(reason.value_or("")) + ")";
    }
    return text;
}

NativeHostError::NativeHostError(NativeHostErrorCase code) : NativeHostError(code, std::nullopt) {}

NativeHostError::NativeHostError(NativeHostErrorCase code, std::optional<std::string> reason)
    : Error<NativeHostErrorCase>(code, textualForm(code, reason)), reason_(std::move(reason)) {}

NativeHostError NativeHostError::bridgeFailed(const std::string& reason) {
    return NativeHostError(NativeHostErrorCase::bluetoothBridgeFailed, reason);
}

}  // namespace quorvel::host
