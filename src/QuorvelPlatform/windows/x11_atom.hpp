#pragma once

// One X atom by name, waiting for the server's answer; XCB_ATOM_NONE when there is none. Only
// xcb, so that the test tools that drive X use the same lookup as the programs.
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace quorvel::windows {

inline xcb_atom_t internAtom(xcb_connection_t* c, std::string_view name) {
    auto* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(name.size()), name.data()), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

}  // namespace quorvel::windows
