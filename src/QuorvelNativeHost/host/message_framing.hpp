#pragma once

// The frames the browser and the host exchange on the host's standard input and output:
//
//   offset 0, 4 bytes: body length L, unsigned 32-bit, in this machine's byte order
//   offset 4, L bytes: one message as UTF-8 JSON
//
// Frames read are limited to 1,048,576 bytes of body (a larger length is refused before any body
// byte is read); frames written have no limit: a reply too large for the browser is still written
// whole, and the browser then ends the connection, rather than being cut into invalid JSON.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "QuorvelShared/messages/mac_to_extension_message.hpp"

namespace quorvel::host {

inline constexpr std::uint32_t maximumIncomingMessageLength = 1'048'576;

// Blocking reads of whole frames from one file descriptor (not owned).
class MessageReader {
public:
    explicit MessageReader(int fd) : fd_(fd) {}

    // One frame's body. No value for an input that ends cleanly between frames. Throws
    // NativeHostError messageTooLarge or unexpectedEndOfInput, or std::system_error for a read
    // error.
    std::optional<std::string> readFramedMessage();

    // Exactly `count` bytes, read in as many pieces as the input delivers them. No value when the
    // input ends before the first byte; unexpectedEndOfInput when it ends after some.
    std::optional<std::string> readExactly(std::size_t count);

private:
    int fd_;
};

// Writes whole frames to one file descriptor (not owned). Not thread-safe: the program has one
// writer, on its main thread, so that two frames never interleave.
class MessageWriter {
public:
    explicit MessageWriter(int fd) : fd_(fd) {}

    // Encodes the message as compact JSON with ISO dates and writes its frame. Throws
    // json::EncodeError or std::system_error (a closed pipe gives EPIPE).
    void write(const MacToExtensionMessage& message);
    void writeFrame(const std::string& body);

private:
    void writeAll(const char* data, std::size_t size);
    int fd_;
};

}  // namespace quorvel::host
