// Native messages in both directions: decoding either fails with a decode error or gives a
// message that encodes and decodes back to itself.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "QuorvelShared/messages/extension_to_mac_message.hpp"
#include "QuorvelShared/messages/mac_to_extension_message.hpp"

using namespace quorvel;

namespace {

template <class Decode, class Encode>
void roundTrip(std::string_view text, Decode decode, Encode encode) {
    try {
        const auto message = decode(text);
        if (!(decode(encode(message)) == message)) {
            std::abort();
        }
    } catch (const json::DecodeError&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    roundTrip(text, decodeExtensionToMacMessage, encodeExtensionToMacMessage);
    roundTrip(text, decodeMacToExtensionMessage, encodeMacToExtensionMessage);
    return 0;
}
