#pragma once

// The colours in which quorvel-x11-window --redraw fills its windows by turns, as 24-bit pixels;
// a test that looks at the screen tells the window's content by them.
#include <cstdint>

namespace quorvel::testkit {

inline constexpr std::uint32_t redrawColours[] = {0xff00ff, 0x00ff00};

}  // namespace quorvel::testkit
