#pragma once

// Every enumeration is stored as its case name. One table per enumeration (a constexpr array of
// EnumName, passed with the enumeration named: nameOf<LockMode>(...)) maps cases to names;
// lookup is exact and case-sensitive, and a name outside the table gives no value.
#include <optional>
#include <span>
#include <string_view>

namespace quorvel {

template <class E>
struct EnumName {
    E value;
    std::string_view name;
};

template <class E>
using EnumNameTable = std::span<const EnumName<E>>;

template <class E>
constexpr std::string_view nameOf(E value, EnumNameTable<E> table) {
    for (const auto& entry : table) {
        if (entry.value == value) {
            return entry.name;
        }
    }
    return {};
}

template <class E>
constexpr std::optional<E> enumFromName(std::string_view name, EnumNameTable<E> table) {
    for (const auto& entry : table) {
        if (entry.name == name) {
            return entry.value;
        }
    }
    return std::nullopt;
}

}  // namespace quorvel
