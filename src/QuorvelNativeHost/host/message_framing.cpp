#include "QuorvelNativeHost/host/message_framing.hpp"

#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <limits>
#include <system_error>

#include "QuorvelNativeHost/host/native_host_error.hpp"

namespace quorvel::host {

std::optional<std::string> MessageReader::readExactly(std::size_t count) {
    std::string buffer;
    buffer.resize(count);
    std::size_t filled = 0;
    while (filled < count) {
        const ssize_t got = ::read(fd_, buffer.data() + filled, count - filled);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw std::system_error(errno, std::generic_category(), "reading standard input");
        }
        if (got == 0) {
            if (filled == 0)
                return std::nullopt;
            throw NativeHostError(NativeHostErrorCase::unexpectedEndOfInput);
        }
        filled += static_cast<std::size_t>(got);
    }
    return buffer;
}

std::optional<std::string> MessageReader::readFramedMessage() {
    const std::optional<std::string> header = readExactly(sizeof(std::uint32_t));
    if (!header)
        return std::nullopt;
    std::uint32_t length = 0;
    std::memcpy(&length, header->data(), sizeof length);
    if (length > maximumIncomingMessageLength) {
        throw NativeHostError(NativeHostErrorCase::messageTooLarge);
    }
    std::optional<std::string> body = readExactly(length);
    if (!body)
        throw NativeHostError(NativeHostErrorCase::unexpectedEndOfInput);
    return body;
}

void MessageWriter::write(const MacToExtensionMessage& message) {
    writeFrame(encodeMacToExtensionMessage(message));
}

void MessageWriter::writeFrame(const std::string& body) {
    if (body.size() > std::numeric_limits<std::uint32_t>::max()) {
        throw std::system_error(std::make_error_code(std::errc::message_size),
                                "a message longer than a frame can announce");
    }
    const auto length = static_cast<std::uint32_t>(body.size());
    std::string frame(sizeof length, '\0');
    std::memcpy(frame.data(), &length, sizeof length);
    frame += body;
    writeAll(frame.data(), frame.size());
}

void MessageWriter::writeAll(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t put = ::write(fd_, data, size);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            throw std::system_error(errno, std::generic_category(), "writing standard output");
        }
        data += put;
        size -= static_cast<std::size_t>(put);
    }
}

}  // namespace quorvel::host
