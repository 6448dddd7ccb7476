// BMP decoding into 32-bit 0xAARRGGBB pixels.
//
// Reads uncompressed BMPs of 1, 4, 8, 16, 24 and 32 bits per pixel, BI_BITFIELDS masks
// and the V4/V5 headers with an alpha mask, bottom-up and top-down. A 32-bit file
// without an alpha mask keeps its fourth byte as alpha unless that byte is 0 in every
// pixel, in which case the image is opaque. Files with fewer than 32 bits are opaque.
//
// Guarantees: never reads outside the bytes given, never allocates more pixels than
// the file's own pixel data can describe, never throws. A malformed file yields an
// error with a one-line reason that names the header field, its value and the rule.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace chartest {

struct BmpImage {
    int32_t width = 0;
    int32_t height = 0;              // always positive; rows are stored top to bottom
    std::vector<uint32_t> pixels;    // width * height, 0xAARRGGBB
};

struct BmpResult {
    int32_t error = 0;   // 0 ok, 2 the file cannot be opened, 3 not a readable BMP
    std::string reason;  // empty when error == 0
    BmpImage image;
};

BmpResult decode_bmp(std::span<const uint8_t> bytes);
BmpResult load_bmp_file(const std::string& path);

// Writes a 32-bit BMP with a V5 header and an alpha mask (BI_BITFIELDS), bottom-up.
// Returns false when the file cannot be written.
bool write_bmp32(const std::string& path, int32_t width, int32_t height,
                 const std::vector<uint32_t>& pixels);

}  // namespace chartest
