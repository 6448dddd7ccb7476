// sheettool convert: a sheet with transparency from an opaque one.
#include <cstdio>
#include <map>

#include "platform/bmp.h"
#include "sheettool/command.h"
#include "sheettool/sheet.h"

namespace sheettool {
namespace {

constexpr uint32_t kRgb = 0x00FFFFFFu;

// The most common colour of the sheet (alpha left out), the lower value on a tie.
uint32_t most_common(const Sheet& s, size_t& count) {
    std::map<uint32_t, size_t> counts;
    for (uint32_t p : s.pixels) ++counts[p & kRgb];
    uint32_t best = 0;
    count = 0;
    for (const auto& [colour, n] : counts)
        if (n > count) best = colour, count = n;
    return best;
}

bool parse_rgb(std::string text, uint32_t& colour) {
    if (!text.empty() && text[0] == '#') text.erase(0, 1);
    if (text.size() != 6) return false;
    colour = 0;
    for (char c : text) {
        int v;
        if (c >= '0' && c <= '9') v = c - '0';
        else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
        else return false;
        colour = colour << 4 | static_cast<uint32_t>(v);
    }
    return true;
}

// The key colour for `mode` and why it was chosen.
bool choose_key(const Sheet& s, const std::string& mode, uint32_t& key, std::string& why) {
    if (mode == "auto") {
        const std::vector<uint32_t> cell0 = s.cell_width > 0 && s.cell_height > 0 ? s.cell(0) : std::vector<uint32_t>{};
        bool one_colour = !cell0.empty();
        for (uint32_t p : cell0) one_colour = one_colour && (p & kRgb) == (cell0[0] & kRgb);
        if (one_colour) {
            key = cell0[0] & kRgb;
            why = "auto: cell 0 is all this colour";
        } else {
            size_t count = 0;
            key = most_common(s, count);
            why = "auto: cell 0 is not one colour, so the most common colour of the sheet (" +
                  std::to_string(count) + " of " + std::to_string(s.pixels.size()) + " pixels)";
        }
    } else if (mode == "top-left") {
        key = s.pixels[0] & kRgb;
        why = "top-left: the sheet's first pixel";
    } else if (parse_rgb(mode, key)) {
        why = "given";
    } else {
        return false;
    }
    return true;
}

int run_convert(const Args& args) {
    const std::string &in = args.positional[0], &out = args.positional[1];
    const std::string mode = args.get("--key", "auto");
    uint32_t ignored;
    if (mode != "auto" && mode != "top-left" && mode != "grey" && !parse_rgb(mode, ignored))
        return usage_error(CONVERT, "--key must be auto, top-left, grey or a colour RRGGBB, not '" + mode + "'");
    std::optional<Sheet> sheet = read_sheet_or_report(in);
    if (!sheet) return 1;

    const size_t total = sheet->pixels.size();
    size_t transparent = 0;
    if (mode == "grey") {
        // White everywhere; the brightness (ITU-R BT.601 weights) becomes the alpha, scaled
        // by any alpha the pixel already had.
        for (uint32_t& p : sheet->pixels) {
            const uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF, a = p >> 24;
            const uint32_t luma = (299 * r + 587 * g + 114 * b + 500) / 1000;
            const uint32_t alpha = (luma * a + 127) / 255;
            p = alpha << 24 | kRgb;
            transparent += alpha == 0;
        }
        std::printf("key grey: every pixel white, its brightness (0.299 R + 0.587 G + 0.114 B) as alpha\n");
    } else {
        uint32_t key = 0;
        std::string why;
        choose_key(*sheet, mode, key, why);
        // Pixels that were already fully transparent stay so; every other pixel is opaque.
        for (uint32_t& p : sheet->pixels) {
            if ((p & kRgb) == key || (p >> 24) == 0) {
                p = 0;
                ++transparent;
            } else {
                p |= 0xFF000000u;
            }
        }
        std::printf("key %s (%s)\n", rgb_hex(key).c_str(), why.c_str());
    }
    if (!chartest::write_bmp32(out, sheet->width, sheet->height, sheet->pixels)) {
        std::fprintf(stderr, "sheettool: %s: cannot write\n", out.c_str());
        return 1;
    }
    std::printf("wrote %s: %zu of %zu pixels transparent\n", out.c_str(), transparent, total);
    if (transparent == 0)
        std::printf(mode == "grey" ? "note: no pixel is black, so none became fully transparent\n"
                                   : "note: no pixel has the key colour; check the key\n");
    return 0;
}

}  // namespace

const Command CONVERT{
    "convert", "convert IN.bmp OUT.bmp [--key auto|top-left|RRGGBB|grey]",
    "Makes a sheet with transparency from an opaque one, written like 'make' writes\n"
    "(32-bit BMP with an alpha mask). The key colour becomes transparent and every other\n"
    "pixel opaque:\n"
    "  auto      the colour of cell 0 when that cell is one colour, otherwise the most\n"
    "            common colour of the sheet (the default)\n"
    "  top-left  the colour of the sheet's first pixel\n"
    "  RRGGBB    the given colour, for example FF00FF\n"
    "  grey      no key: every pixel becomes white with its brightness as alpha (for\n"
    "            sheets drawn light on black, keeps anti-aliasing)\n"
    "Pixels that are already fully transparent stay transparent. Prints which key was\n"
    "used and why.\n\n"
    "Exit 0, 1 when IN cannot be read or OUT not written, 2 for a malformed command line.\n",
    {"--key"}, 2, 2, run_convert};

}  // namespace sheettool
