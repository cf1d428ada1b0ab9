// The native-messaging host's frame reader over arbitrary input: every frame it returns is within
// the size limit, and the input ends in a clean end or one of the host's framing errors.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

#include "QuorvelNativeHost/host/message_framing.hpp"
#include "QuorvelNativeHost/host/native_host_error.hpp"

using namespace quorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int fd = ::memfd_create("frames", MFD_CLOEXEC);
    if (fd < 0)
        return 0;
    if (::write(fd, data, size) != static_cast<ssize_t>(size) || ::lseek(fd, 0, SEEK_SET) != 0) {
        ::close(fd);
        return 0;
    }
    host::MessageReader reader(fd);
    std::size_t consumed = 0;
    try {
        while (auto body = reader.readFramedMessage()) {
            if (body->size() > host::maximumIncomingMessageLength)
                std::abort();
            consumed += 4 + body->size();
        }
        if (consumed != size)
            std::abort();
    } catch (const host::NativeHostError& error) {
        if (error.code() != host::NativeHostErrorCase::messageTooLarge &&
            error.code() != host::NativeHostErrorCase::unexpectedEndOfInput) {
            std::abort();
        }
    }
    ::close(fd);
    return 0;
}
