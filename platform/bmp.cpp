// BMP decoding into 0xAARRGGBB pixels and 32-bit BMP writing.
//
// Decoding validates every header field before touching pixel data: once the checks
// pass, the pixel data for all rows is known to lie inside the given bytes, so the
// row loops read without further bounds checks. Palette indices beyond the palette
// decode as opaque black (the palette table is padded to 256 entries), which keeps the
// inner loops branch-free and matches what most viewers show for such files.
#include "platform/bmp.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <system_error>
#include <utility>

namespace chartest {
namespace {

enum : uint32_t {
    kBiRgb = 0,
    kBiRle8 = 1,
    kBiRle4 = 2,
    kBiBitfields = 3,
    kBiJpeg = 4,
    kBiPng = 5,
    kBiAlphaBitfields = 6,
};

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kV5HeaderSize = 124;
constexpr uint32_t kOpaque = 0xFF000000u;

uint16_t read_u16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t read_u32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

int32_t read_i32(const uint8_t* p) { return static_cast<int32_t>(read_u32(p)); }

void put_u16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void put_u32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

std::string hex(uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", v);
    return buf;
}

BmpResult fail(std::string reason) {
    BmpResult result;
    result.error = 3;
    result.reason = std::move(reason);
    return result;
}

std::string describe_signature(uint8_t a, uint8_t b) {
    auto printable = [](uint8_t c) { return c >= 0x20 && c < 0x7F && c != '"'; };
    char buf[24];
    if (printable(a) && printable(b)) {
        std::snprintf(buf, sizeof buf, "\"%c%c\"", a, b);
    } else {
        std::snprintf(buf, sizeof buf, "0x%02X 0x%02X", a, b);
    }
    return buf;
}

bool known_info_header_size(uint32_t size) {
    switch (size) {
        case 12: case 40: case 52: case 56: case 108: case 124: return true;
        default: return false;
    }
}

// One channel of a bit-field pixel: where its bits sit and how they widen to 0..255.
// A channel of n bits with value v becomes round(v * 255 / (2^n - 1)); since 2^n - 1
// is odd there are no ties, so (v * 255 + (2^n - 1) / 2) / (2^n - 1) is exact.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;                  // mask >> shift; 0 for an absent channel
    std::array<uint8_t, 256> table{};  // widened values when max <= 255

    explicit Channel(uint32_t m) : mask(m) {
        if (mask == 0) return;
        while (((mask >> shift) & 1u) == 0) ++shift;
        max = mask >> shift;
        if (max <= 255) {
            for (uint32_t v = 0; v <= max; ++v) table[v] = static_cast<uint8_t>((v * 255 + max / 2) / max);
        }
    }

    uint32_t get(uint32_t pixel) const {
        uint32_t v = (pixel & mask) >> shift;
        if (max <= 255) return table[v];
        return static_cast<uint32_t>((static_cast<uint64_t>(v) * 255 + max / 2) / max);
    }
};

bool contiguous(uint32_t mask) {
    if (mask == 0) return true;
    while ((mask & 1u) == 0) mask >>= 1;
    return (mask & (mask + 1)) == 0;  // a run of ones from bit 0 up
}

// Rows as they lie in the file; `row(y)` gives the file row for image row y (top = 0).
struct PixelRows {
    const uint8_t* data;
    uint64_t stride;
    int64_t height;
    bool top_down;
    const uint8_t* row(int64_t y) const {
        return data + static_cast<uint64_t>(top_down ? y : height - 1 - y) * stride;
    }
};

void decode_palette(const PixelRows& rows, int64_t width, uint32_t bpp,
                    const std::array<uint32_t, 256>& palette, uint32_t* out) {
    for (int64_t y = 0; y < rows.height; ++y) {
        const uint8_t* src = rows.row(y);
        uint32_t* dst = out + y * width;
        switch (bpp) {
            case 1:
                for (int64_t x = 0; x < width; ++x) dst[x] = palette[(src[x >> 3] >> (7 - (x & 7))) & 1u];
                break;
            case 4:
                for (int64_t x = 0; x < width; ++x) dst[x] = palette[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xFu];
                break;
            default:
                for (int64_t x = 0; x < width; ++x) dst[x] = palette[src[x]];
                break;
        }
    }
}

void decode_24(const PixelRows& rows, int64_t width, uint32_t* out) {
    for (int64_t y = 0; y < rows.height; ++y) {
        const uint8_t* src = rows.row(y);
        uint32_t* dst = out + y * width;
        for (int64_t x = 0; x < width; ++x, src += 3) {
            dst[x] = kOpaque | (static_cast<uint32_t>(src[2]) << 16) | (static_cast<uint32_t>(src[1]) << 8) | src[0];
        }
    }
}

// 16- and 32-bit pixels through bit-field masks. `alpha_mask` 0 means opaque.
void decode_masked(const PixelRows& rows, int64_t width, uint32_t bpp, const uint32_t (&masks)[3],
                   uint32_t alpha_mask, uint32_t* out) {
    const bool plain_argb = bpp == 32 && masks[0] == 0x00FF0000u && masks[1] == 0x0000FF00u &&
                            masks[2] == 0x000000FFu && (alpha_mask == 0 || alpha_mask == 0xFF000000u);
    if (plain_argb) {
        const uint32_t force = alpha_mask == 0 ? kOpaque : 0;
        for (int64_t y = 0; y < rows.height; ++y) {
            const uint8_t* src = rows.row(y);
            uint32_t* dst = out + y * width;
            for (int64_t x = 0; x < width; ++x, src += 4) dst[x] = read_u32(src) | force;
        }
        return;
    }
    const Channel r(masks[0]), g(masks[1]), b(masks[2]), a(alpha_mask);
    const uint32_t bytes = bpp / 8;
    for (int64_t y = 0; y < rows.height; ++y) {
        const uint8_t* src = rows.row(y);
        uint32_t* dst = out + y * width;
        for (int64_t x = 0; x < width; ++x, src += bytes) {
            const uint32_t v = bytes == 2 ? read_u16(src) : read_u32(src);
            const uint32_t alpha = alpha_mask == 0 ? 255u : a.get(v);
            dst[x] = (alpha << 24) | (r.get(v) << 16) | (g.get(v) << 8) | b.get(v);
        }
    }
}

}  // namespace

BmpResult decode_bmp(std::span<const uint8_t> bytes) {
    const uint8_t* file = bytes.data();
    const uint64_t size = bytes.size();

    if (size < kFileHeaderSize + 4) {
        return fail("file is " + std::to_string(size) + " bytes, too short for a BMP header");
    }
    if (file[0] != 'B' || file[1] != 'M') {
        return fail("signature is " + describe_signature(file[0], file[1]) + ", must be \"BM\"");
    }
    const uint32_t data_offset = read_u32(file + 10);
    const uint32_t info_size = read_u32(file + 14);
    if (!known_info_header_size(info_size)) {
        return fail("info header size " + std::to_string(info_size) +
                    " is unknown, must be 12, 40, 52, 56, 108 or 124");
    }
    if (kFileHeaderSize + uint64_t{info_size} > size) {
        return fail("file is " + std::to_string(size) + " bytes, too short for its " +
                    std::to_string(info_size) + "-byte info header");
    }

    const bool core = info_size == kCoreHeaderSize;
    const uint8_t* info = file + kFileHeaderSize;
    int64_t width, height;
    uint32_t planes, bpp, compression = kBiRgb, colors_used = 0;
    if (core) {
        width = read_u16(info + 4);
        height = read_u16(info + 6);
        planes = read_u16(info + 8);
        bpp = read_u16(info + 10);
    } else {
        width = read_i32(info + 4);
        height = read_i32(info + 8);
        planes = read_u16(info + 12);
        bpp = read_u16(info + 14);
        compression = read_u32(info + 16);
        colors_used = read_u32(info + 32);
    }

    if (width < 1) return fail("width is " + std::to_string(width) + ", must be at least 1");
    if (height == 0) return fail("height is 0, must not be 0");
    if (height == std::numeric_limits<int32_t>::min()) {
        return fail("height is " + std::to_string(height) + ", out of range");
    }
    if (planes != 1) return fail("planes is " + std::to_string(planes) + ", must be 1");
    const bool bpp_ok = core ? (bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24)
                             : (bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32);
    if (!bpp_ok) {
        return fail("bits per pixel is " + std::to_string(bpp) +
                    (core ? ", must be 1, 4, 8 or 24 with a 12-byte header"
                          : ", must be 1, 4, 8, 16, 24 or 32"));
    }
    switch (compression) {
        case kBiRgb: case kBiBitfields: case kBiAlphaBitfields: break;
        case kBiRle8: return fail("unsupported compression 1 (RLE8)");
        case kBiRle4: return fail("unsupported compression 2 (RLE4)");
        case kBiJpeg: return fail("unsupported compression 4 (JPEG)");
        case kBiPng: return fail("unsupported compression 5 (PNG)");
        default: return fail("unknown compression " + std::to_string(compression));
    }

    // Where the headers end: the info header, then any masks that did not fit in it.
    uint64_t headers_end = kFileHeaderSize + uint64_t{info_size};
    uint32_t masks[3] = {0, 0, 0};
    uint32_t alpha_mask = 0;
    if (compression == kBiRgb) {
        // Masks stored in V2+ headers only apply with bit-field compression.
        if (bpp == 16) {
            masks[0] = 0x7C00u, masks[1] = 0x03E0u, masks[2] = 0x001Fu;
        } else {
            masks[0] = 0x00FF0000u, masks[1] = 0x0000FF00u, masks[2] = 0x000000FFu;
        }
    } else {
        if (bpp != 16 && bpp != 32) {
            return fail("compression " + std::to_string(compression) +
                        " (bit fields) needs 16 or 32 bits per pixel, not " + std::to_string(bpp));
        }
        // V2 headers hold the red, green and blue masks, V3 and later also alpha. With a
        // 40-byte header the masks follow it: three, or four for ALPHABITFIELDS.
        const uint32_t in_header = std::min<uint32_t>((info_size - 40) / 4, 4);
        const uint32_t wanted = std::max<uint32_t>(compression == kBiAlphaBitfields ? 4 : 3, in_header);
        uint32_t read[4] = {0, 0, 0, 0};
        for (uint32_t i = 0; i < wanted; ++i) {
            if (i < in_header) {
                read[i] = read_u32(info + 40 + 4 * i);
            } else {
                if (headers_end + 4 > size) {
                    return fail("file is " + std::to_string(size) +
                                " bytes, too short for the bit-field masks after the info header");
                }
                read[i] = read_u32(file + headers_end);
                headers_end += 4;
            }
        }
        static const char* const kNames[4] = {"red", "green", "blue", "alpha"};
        for (int i = 0; i < 4; ++i) {
            if (!contiguous(read[i])) {
                return fail(std::string(kNames[i]) + " mask " + hex(read[i]) + " is not a contiguous run of bits");
            }
            if (bpp == 16 && (read[i] >> 16) != 0) {
                return fail(std::string(kNames[i]) + " mask " + hex(read[i]) + " has bits outside the 16-bit pixel");
            }
        }
        masks[0] = read[0], masks[1] = read[1], masks[2] = read[2];
        alpha_mask = read[3];
    }
    // A 32-bit pixel without an alpha mask may still carry alpha in its top byte; it is
    // used unless it is 0 everywhere (checked after decoding).
    const bool implicit_alpha =
        bpp == 32 && alpha_mask == 0 && ((masks[0] | masks[1] | masks[2]) & 0xFF000000u) == 0;
    if (implicit_alpha) alpha_mask = 0xFF000000u;

    std::array<uint32_t, 256> palette;
    palette.fill(kOpaque);
    uint64_t palette_entries = 0;
    const uint64_t entry_size = core ? 3 : 4;
    if (bpp <= 8) {
        const uint32_t full = 1u << bpp;
        palette_entries = (colors_used == 0 || colors_used > full) ? full : colors_used;
    }

    if (data_offset > size) {
        return fail("pixel data offset " + std::to_string(data_offset) + " is past the end of the file (" +
                    std::to_string(size) + " bytes)");
    }
    if (data_offset < headers_end) {
        return fail("pixel data offset " + std::to_string(data_offset) + " is inside the headers, which end at byte " +
                    std::to_string(headers_end));
    }
    if (headers_end + palette_entries * entry_size > data_offset) {
        return fail("palette of " + std::to_string(palette_entries) + " entries (" +
                    std::to_string(palette_entries * entry_size) + " bytes) at byte " + std::to_string(headers_end) +
                    " runs past the pixel data offset " + std::to_string(data_offset));
    }
    for (uint64_t i = 0; i < palette_entries; ++i) {
        const uint8_t* e = file + headers_end + i * entry_size;
        palette[i] = kOpaque | (static_cast<uint32_t>(e[2]) << 16) | (static_cast<uint32_t>(e[1]) << 8) | e[0];
    }

    // Width is below 2^31 and bpp at most 32, so the stride is below 2^33 and stride * rows
    // below 2^64; the row count is still compared by division to keep the check obvious.
    const uint64_t stride = ((static_cast<uint64_t>(width) * bpp + 31) / 32) * 4;
    const bool top_down = height < 0;
    const int64_t rows = top_down ? -height : height;
    const uint64_t available = size - data_offset;
    if (static_cast<uint64_t>(rows) > available / stride) {
        return fail("pixel data is truncated: " + std::to_string(rows) + " rows of " + std::to_string(stride) +
                    " bytes need " + std::to_string(stride * static_cast<uint64_t>(rows)) + " bytes at offset " +
                    std::to_string(data_offset) + ", the file has " + std::to_string(available));
    }

    BmpResult result;
    BmpImage& image = result.image;
    image.width = static_cast<int32_t>(width);
    image.height = static_cast<int32_t>(rows);
    image.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(rows));
    const PixelRows pixel_rows{file + data_offset, stride, rows, top_down};
    uint32_t* out = image.pixels.data();

    if (bpp <= 8) {
        decode_palette(pixel_rows, width, bpp, palette, out);
    } else if (bpp == 24) {
        decode_24(pixel_rows, width, out);
    } else {
        decode_masked(pixel_rows, width, bpp, masks, alpha_mask, out);
    }

    if (implicit_alpha) {
        const bool any_alpha =
            std::any_of(image.pixels.begin(), image.pixels.end(), [](uint32_t p) { return (p >> 24) != 0; });
        if (!any_alpha) {
            for (uint32_t& p : image.pixels) p |= kOpaque;
        }
    }
    return result;
}

BmpResult load_bmp_file(const std::string& path) {
    BmpResult cannot_open;
    cannot_open.error = 2;
    cannot_open.reason = "cannot open";

    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return cannot_open;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file) return cannot_open;

    // Read until end of file rather than trusting the size, which only sizes the buffer
    // (one spare byte so that reaching the end needs no reallocation).
    const auto size_hint = std::filesystem::file_size(path, ec);
    std::vector<uint8_t> bytes(ec ? size_t{65536} : static_cast<size_t>(size_hint) + 1);
    size_t used = 0;
    for (;;) {
        if (used == bytes.size()) bytes.resize(bytes.size() * 2);
        const size_t got = std::fread(bytes.data() + used, 1, bytes.size() - used, file.get());
        if (got == 0) break;
        used += got;
    }
    if (std::ferror(file.get())) return cannot_open;
    bytes.resize(used);
    return decode_bmp(bytes);
}

bool write_bmp32(const std::string& path, int32_t width, int32_t height, const std::vector<uint32_t>& pixels) {
    if (width < 1 || height < 1) return false;
    const uint64_t count = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
    if (pixels.size() != count) return false;
    const uint32_t data_offset = kFileHeaderSize + kV5HeaderSize;
    const uint64_t data_size = count * 4;
    const uint64_t file_size = data_offset + data_size;
    if (file_size > std::numeric_limits<uint32_t>::max()) return false;

    std::array<uint8_t, kFileHeaderSize + kV5HeaderSize> header{};
    uint8_t* h = header.data();
    h[0] = 'B';
    h[1] = 'M';
    put_u32(h + 2, static_cast<uint32_t>(file_size));
    put_u32(h + 10, data_offset);
    uint8_t* v5 = h + kFileHeaderSize;
    put_u32(v5 + 0, kV5HeaderSize);
    put_u32(v5 + 4, static_cast<uint32_t>(width));
    put_u32(v5 + 8, static_cast<uint32_t>(height));  // positive: bottom-up
    put_u16(v5 + 12, 1);                             // planes
    put_u16(v5 + 14, 32);                            // bits per pixel
    put_u32(v5 + 16, kBiBitfields);
    put_u32(v5 + 20, static_cast<uint32_t>(data_size));
    put_u32(v5 + 24, 2835);  // 72 dpi in pixels per metre
    put_u32(v5 + 28, 2835);
    put_u32(v5 + 40, 0x00FF0000u);  // red mask
    put_u32(v5 + 44, 0x0000FF00u);  // green
    put_u32(v5 + 48, 0x000000FFu);  // blue
    put_u32(v5 + 52, 0xFF000000u);  // alpha
    put_u32(v5 + 56, 0x73524742u);  // colour space 'sRGB'
    put_u32(v5 + 108, 4);           // rendering intent LCS_GM_IMAGES
    // Endpoints, gamma, profile fields and the reserved word stay zero.

    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = std::fwrite(header.data(), 1, header.size(), file) == header.size();
    std::vector<uint8_t> row(static_cast<size_t>(width) * 4);
    for (int64_t y = height - 1; ok && y >= 0; --y) {
        const uint32_t* src = pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
        for (int32_t x = 0; x < width; ++x) put_u32(row.data() + 4 * static_cast<size_t>(x), src[x]);
        ok = std::fwrite(row.data(), 1, row.size(), file) == row.size();
    }
    if (std::fclose(file) != 0) ok = false;
    if (!ok) {
        std::error_code ec;
        std::filesystem::remove(path, ec);
    }
    return ok;
}

}  // namespace chartest
