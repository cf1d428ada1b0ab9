#pragma once

// How the unlock-state files (allow windows, linked-unlock revisions, approval receipts,
// remote-open counts) are read. A file whose content does not decode counts as empty, and the next
// change overwrites it. A read that fails for any other reason (I/O, permission, too many open
// files) is different: a plain load may still answer "empty", but an operation that writes must
// stop, because writing its result over the unread file would wipe every other target's state.
#include <filesystem>
#include <optional>
#include <string>

#include "QuorvelShared/support/json_errors.hpp"

namespace quorvel::unlockstate {

// The file's content for a plain load: a missing or unreadable file gives no value.
std::optional<std::string> readForLoad(const std::filesystem::path& path);

// The file's content for a read-modify-write: a missing file gives no value; a failed read throws
// the file system's error so that the caller leaves the file alone.
std::optional<std::string> readForChange(const std::filesystem::path& path);

// Decodes `text` with `decode`; no text, or text that does not decode, gives `empty`.
template <class Value, class Decode>
Value decodeOrEmpty(const std::optional<std::string>& text, Decode&& decode, Value empty = {}) {
    if (!text) {
        return empty;
    }
    try {
        return decode(*text);
    } catch (const json::DecodeError&) {
        return empty;
    }
}

}  // namespace quorvel::unlockstate
