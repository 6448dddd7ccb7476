// Writes a font sheet drawn from the built-in 8x8 font: 256 glyphs in a 16 x 16 grid,
// glyph pixels opaque white, everything else transparent. A starting point for font
// authors, and the sheet bundled with the character test.
//
//   make_sheet OUT.bmp [CELL]     CELL 8 (128 x 128 sheet, the default) or 16 (doubled)

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/bmp.h"
#include "platform/font8x8.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: make_sheet OUT.bmp [8|16]\n");
        return 2;
    }
    const int cell = argc == 3 ? std::atoi(argv[2]) : 8;
    if (cell != 8 && cell != 16) {
        std::fprintf(stderr, "make_sheet: cell size must be 8 or 16\n");
        return 2;
    }
    const int zoom = cell / 8, size = cell * 16;
    std::vector<uint32_t> pixels(static_cast<size_t>(size) * size, 0x00000000);
    for (int code = 0; code < 256; ++code) {
        const int x0 = (code % 16) * cell, y0 = (code / 16) * cell;
        for (int y = 0; y < cell; ++y)
            for (int x = 0; x < cell; ++x)
                if (chartest::FONT_8X8[code][y / zoom] & (0x80u >> (x / zoom)))
                    pixels[static_cast<size_t>(y0 + y) * size + x0 + x] = 0xFFFFFFFF;
    }
    if (!chartest::write_bmp32(argv[1], size, size, pixels)) {
        std::fprintf(stderr, "make_sheet: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
