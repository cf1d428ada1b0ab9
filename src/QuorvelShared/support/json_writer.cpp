#include "QuorvelShared/support/json_writer.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

#include "QuorvelShared/support/text.hpp"

namespace quorvel::json {
namespace {

void writeString(const std::string& text, std::string& out) {
    static constexpr char hex[] = "0123456789abcdef";
    out += '"';
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x80) {
            const Utf8CodePoint decoded = decodeUtf8At(text, i);
            if (!decoded.value) {
                throw EncodeError("a string is not valid UTF-8");
            }
            out.append(text, i, decoded.length);
            i += decoded.length;
            continue;
        }
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '/':
                out += "\\/";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
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
            default:
                if (u < 0x20) {
                    out += "\\u00";
                    out += hex[u >> 4];
                    out += hex[u & 0x0F];
                } else {
                    out += c;
                }
        }
        ++i;
    }
    out += '"';
}

void writeDouble(double number, std::string& out) {
    if (!std::isfinite(number)) {
        throw EncodeError("a number is not finite");
    }
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    out.append(buffer, result.ptr);
}

class Writer {
public:
    Writer(Style style, std::string& out) : style_(style), out_(out) {}

    void value(const Json& v, int depth) {
        switch (v.type()) {
            case Json::value_t::null:
                out_ += "null";
                break;
            case Json::value_t::boolean:
                out_ += v.get<bool>() ? "true" : "false";
                break;
            case Json::value_t::number_integer:
                out_ += std::to_string(v.get<std::int64_t>());
                break;
            case Json::value_t::number_unsigned:
                out_ += std::to_string(v.get<std::uint64_t>());
                break;
            case Json::value_t::number_float:
                writeDouble(v.get<double>(), out_);
                break;
            case Json::value_t::string:
                writeString(v.get_ref<const std::string&>(), out_);
                break;
            case Json::value_t::array:
                array(v, depth);
                break;
            case Json::value_t::object:
                object(v, depth);
                break;
            default:
                throw EncodeError("a value has no JSON form");
        }
    }

private:
    bool pretty() const { return style_ == Style::prettySorted; }
    bool sorted() const { return style_ != Style::compact; }

    void newline(int depth) {
        if (pretty()) {
            out_ += '\n';
            out_.append(static_cast<std::size_t>(depth) * 2, ' ');
        }
    }

    void array(const Json& v, int depth) {
        out_ += '[';
        bool first = true;
        for (const auto& element : v) {
            if (!first) {
                out_ += ',';
            }
            first = false;
            newline(depth + 1);
            value(element, depth + 1);
        }
        if (!first) {
            newline(depth);
        }
        out_ += ']';
    }

    void object(const Json& v, int depth) {
        std::vector<std::pair<const std::string*, const Json*>> members;
        members.reserve(v.size());
        for (auto it = v.begin(); it != v.end(); ++it) {
            members.emplace_back(&it.key(), &it.value());
        }
        if (sorted()) {
            // std::string compares as unsigned bytes: UTF-8 byte order.
            std::stable_sort(members.begin(), members.end(),
                             [](const auto& a, const auto& b) { return *a.first < *b.first; });
        }
        out_ += '{';
        bool first = true;
        for (const auto& [key, member] : members) {
            if (!first) {
                out_ += ',';
            }
            first = false;
            newline(depth + 1);
            writeString(*key, out_);
            out_ += pretty() ? " : " : ":";
            value(*member, depth + 1);
        }
        if (!first) {
            newline(depth);
        }
        out_ += '}';
    }

    Style style_;
    std::string& out_;
};

}  // namespace

std::string write(const Json& value, Style style) {
    std::string out;
    Writer(style, out).value(value, 0);
    return out;
}

}  // namespace quorvel::json
