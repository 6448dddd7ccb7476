// The built-in 8x8 font: all 256 codes in the code page 437 layout.
// Row r of glyph c is FONT_8X8[c][r]; bit 7 is the leftmost pixel.
#pragma once

#include <cstdint>

namespace chartest {
extern const uint8_t FONT_8X8[256][8];
}
