// A font sheet as the tools see it: the decoded pixels of a BMP (read by the same loader
// as the character test) and the size of its 16 x 16 cells.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sheettool {

constexpr int kGrid = 16;    // cells per row and per column
constexpr int kCodes = 256;  // cells in a sheet

struct Sheet {
    int32_t width = 0;
    int32_t height = 0;
    int32_t cell_width = 0;   // width / 16, as the character test cuts it; may be 0
    int32_t cell_height = 0;
    std::vector<uint32_t> pixels;  // 0xAARRGGBB, rows top to bottom

    uint32_t at(int32_t x, int32_t y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    // The cell of `code`, row by row, every pixel as seen(): cells that look the same
    // compare equal.
    std::vector<uint32_t> cell(int code) const;
};

// A pixel as it shows: every fully transparent pixel is the same, whatever colour
// its other channels hold.
inline uint32_t seen(uint32_t pixel) { return (pixel >> 24) == 0 ? 0 : pixel; }

// Why a file could not be read, in words for the user: the loader's reason for a file
// that is not a readable BMP, or what stands in the way of opening it.
struct LoadFailure {
    int32_t error = 0;  // 2 cannot open, 3 not a readable BMP
    std::string reason;
};

// Reads a sheet. On failure returns nothing and fills `failure`.
std::optional<Sheet> read_sheet(const std::string& path, LoadFailure& failure);
// Reads a sheet; on failure prints "sheettool: PATH: REASON" on standard error.
std::optional<Sheet> read_sheet_or_report(const std::string& path);

// "code 65 (0x41)"
std::string code_name(int code);
// "RRGGBB" of a colour, alpha left out.
std::string rgb_hex(uint32_t colour);

}  // namespace sheettool
