// sheettool make: a starting sheet drawn from the built-in 8 x 8 font.
#include <cstdio>

#include "platform/bmp.h"
#include "platform/font8x8.h"
#include "sheettool/command.h"
#include "sheettool/sheet.h"

namespace sheettool {
namespace {

int run_make(const Args& args) {
    int cell = 8;
    if (args.has("--cell") && (!parse_int(args.get("--cell"), 8, 16, cell) || (cell != 8 && cell != 16)))
        return usage_error(MAKE, "--cell must be 8 or 16, not '" + args.get("--cell") + "'");
    const std::string& out = args.positional[0];

    // Glyph pixels opaque white, everything else transparent; cell 16 doubles every pixel.
    const int zoom = cell / 8, size = cell * kGrid;
    std::vector<uint32_t> pixels(static_cast<size_t>(size) * size, 0x00000000);
    for (int code = 0; code < kCodes; ++code) {
        const int x0 = (code % kGrid) * cell, y0 = (code / kGrid) * cell;
        for (int y = 0; y < cell; ++y)
            for (int x = 0; x < cell; ++x)
                if (chartest::FONT_8X8[code][y / zoom] & (0x80u >> (x / zoom)))
                    pixels[static_cast<size_t>(y0 + y) * size + x0 + x] = 0xFFFFFFFF;
    }
    if (!chartest::write_bmp32(out, size, size, pixels)) {
        std::fprintf(stderr, "sheettool: %s: cannot write\n", out.c_str());
        return 1;
    }
    std::printf("wrote %s: %d x %d pixels, cells %d x %d, 32-bit with alpha\n", out.c_str(), size, size,
                cell, cell);
    return 0;
}

}  // namespace

const Command MAKE{
    "make", "make OUT.bmp [--cell 8|16]",
    "Writes a starting sheet drawn from the built-in 8 x 8 font (code page 437): glyph\n"
    "pixels opaque white, the rest transparent, as a 32-bit BMP with an alpha mask.\n"
    "--cell 8 (the default) gives a 128 x 128 sheet; --cell 16 doubles every pixel.\n\n"
    "Exit 0, 1 when OUT cannot be written, 2 for a malformed command line.\n",
    {"--cell"}, 1, 1, run_make};

}  // namespace sheettool
