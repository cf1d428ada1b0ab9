// Bluetooth wire messages as received from the link: decoding either fails with a decode error
// or gives a message that encodes and decodes back to itself.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "QuorvelShared/messages/ble_local_prototype_wire_message.hpp"

using namespace quorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    BLELocalPrototypeWireMessage message;
    try {
        message = decodeBLELocalPrototypeWireMessage(text);
    } catch (const json::DecodeError&) {
        return 0;
    }
    const std::string encoded = encodeBLELocalPrototypeWireMessage(message);
    if (!(decodeBLELocalPrototypeWireMessage(encoded) == message)) {
        std::abort();
    }
    return 0;
}
