// BMP decoding, loading and writing.
//
// Files are assembled in memory by build_bmp from a BmpLayout, so each case states the
// header fields it exercises and the rows it stores (top row first, in image order; the
// builder stores them bottom-up unless the height is negative and pads each row to the
// 4-byte stride with 0xEE, so a decoder that reads padding shows wrong pixels).
#include "platform/bmp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <vector>

namespace chartest {
namespace {

using Bytes = std::vector<uint8_t>;

struct BmpLayout {
    uint32_t info_size = 40;
    int32_t width = 1;
    int32_t height = 1;  // negative: rows are stored top-down
    uint16_t planes = 1;
    uint16_t bpp = 24;
    uint32_t compression = 0;
    uint32_t colors_used = 0;
    std::vector<uint32_t> masks{};    // inside the header as far as it has room, the rest after it
    std::vector<uint32_t> palette{};  // 0x00RRGGBB; 3 bytes each with a 12-byte header, else 4
    std::vector<Bytes> rows{};        // top row first, unpadded
    std::optional<uint32_t> offset{}; // pixel data offset; default right after the palette
};

void put(Bytes& b, size_t at, uint32_t v, int size) {
    for (int i = 0; i < size; ++i) b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

Bytes build_bmp(const BmpLayout& l) {
    Bytes b(14 + l.info_size, 0);
    b[0] = 'B';
    b[1] = 'M';
    put(b, 14, l.info_size, 4);
    if (l.info_size == 12) {
        put(b, 18, static_cast<uint32_t>(l.width), 2);
        put(b, 20, static_cast<uint32_t>(l.height), 2);
        put(b, 22, l.planes, 2);
        put(b, 24, l.bpp, 2);
    } else {
        put(b, 18, static_cast<uint32_t>(l.width), 4);
        put(b, 22, static_cast<uint32_t>(l.height), 4);
        put(b, 26, l.planes, 2);
        put(b, 28, l.bpp, 2);
        put(b, 30, l.compression, 4);
        put(b, 46, l.colors_used, 4);
    }
    size_t in_header = l.info_size >= 40 ? (l.info_size - 40) / 4 : 0;
    for (size_t i = 0; i < l.masks.size(); ++i) {
        if (i < in_header) {
            put(b, 54 + 4 * i, l.masks[i], 4);
        } else {
            b.resize(b.size() + 4);
            put(b, b.size() - 4, l.masks[i], 4);
        }
    }
    const int entry = l.info_size == 12 ? 3 : 4;
    for (uint32_t c : l.palette) {
        b.resize(b.size() + static_cast<size_t>(entry));
        put(b, b.size() - static_cast<size_t>(entry), c, entry);
    }
    const uint32_t offset = l.offset.value_or(static_cast<uint32_t>(b.size()));
    if (offset > b.size()) b.resize(offset, 0xCC);
    put(b, 10, offset, 4);

    const size_t stride = l.width > 0 ? ((static_cast<size_t>(l.width) * l.bpp + 31) / 32) * 4 : 0;
    for (size_t i = 0; i < l.rows.size(); ++i) {
        const Bytes& row = l.rows[l.height < 0 ? i : l.rows.size() - 1 - i];
        Bytes padded(std::max(stride, row.size()), 0xEE);
        std::copy(row.begin(), row.end(), padded.begin());
        b.insert(b.end(), padded.begin(), padded.end());
    }
    put(b, 2, static_cast<uint32_t>(b.size()), 4);
    return b;
}

Bytes le16(std::initializer_list<uint16_t> values) {
    Bytes b;
    for (uint16_t v : values) b.insert(b.end(), {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)});
    return b;
}

Bytes le32(std::initializer_list<uint32_t> values) {
    Bytes b;
    for (uint32_t v : values) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    return b;
}

// A 256-colour palette where every entry differs in all three channels.
uint32_t ramp(uint32_t i) { return (i << 16) | ((255 - i) << 8) | ((i * 7) & 0xFF); }
std::vector<uint32_t> ramp_palette(uint32_t n) {
    std::vector<uint32_t> p;
    for (uint32_t i = 0; i < n; ++i) p.push_back(ramp(i));
    return p;
}

constexpr uint32_t kBitfields = 3;
constexpr uint32_t kAlphaBitfields = 6;
const std::vector<uint32_t> kArgbMasks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};

struct ValidCase {
    const char* name;
    BmpLayout layout;
    int32_t width;
    int32_t height;
    std::vector<uint32_t> pixels;
};

std::vector<ValidCase> valid_cases() {
    const uint32_t A = 0xFF102030, B = 0xFFA0B0C0, C = 0xFF405060;
    return {
        {"1-bit, width 9 spans two bytes",
         {.width = 9, .height = 2, .bpp = 1, .palette = {0x102030, 0xA0B0C0},
          .rows = {{0xB1, 0x80}, {0x4E, 0x00}}},
         9, 2,
         {B, A, B, B, A, A, A, B, B,
          A, B, A, A, B, B, B, A, A}},
        {"4-bit, 3 colours used, unused low nibble ignored",
         {.width = 3, .height = 2, .bpp = 4, .colors_used = 3, .palette = {0x102030, 0xA0B0C0, 0x405060},
          .rows = {{0x01, 0x2F}, {0x21, 0x0F}}},
         3, 2,
         {A, B, C,
          C, B, A}},
        {"8-bit, index beyond the palette is opaque black",
         {.width = 3, .height = 1, .bpp = 8, .colors_used = 2, .palette = {0x102030, 0xA0B0C0},
          .rows = {{1, 0, 200}}},
         3, 1, {B, A, 0xFF000000}},
        {"8-bit, full palette from colours-used 0",
         {.width = 4, .height = 1, .bpp = 8, .palette = ramp_palette(256), .rows = {{0, 1, 128, 255}}},
         4, 1, {0xFF000000 | ramp(0), 0xFF000000 | ramp(1), 0xFF000000 | ramp(128), 0xFF000000 | ramp(255)}},
        {"8-bit core header, 3-byte palette entries",
         {.info_size = 12, .width = 2, .height = 2, .bpp = 8, .palette = ramp_palette(256),
          .rows = {{3, 4}, {250, 0}}},
         2, 2,
         {0xFF000000 | ramp(3), 0xFF000000 | ramp(4),
          0xFF000000 | ramp(250), 0xFF000000 | ramp(0)}},
        {"24-bit core header",
         {.info_size = 12, .width = 1, .height = 1, .bpp = 24, .rows = {{0x11, 0x22, 0x33}}},
         1, 1, {0xFF332211}},
        {"16-bit default 5-5-5, top bit ignored",
         {.width = 4, .height = 1, .bpp = 16, .rows = {le16({0x7FFF, 0x001F, 0x0010, 0xFC00})}},
         4, 1, {0xFFFFFFFF, 0xFF0000FF, 0xFF000084, 0xFFFF0000}},
        {"16-bit 5-6-5 bit fields after a 40-byte header",
         {.width = 3, .height = 1, .bpp = 16, .compression = kBitfields, .masks = {0xF800, 0x07E0, 0x001F},
          .rows = {le16({0xF800, 0x07E0, 0x0020})}},
         3, 1, {0xFFFF0000, 0xFF00FF00, 0xFF000400}},
        {"16-bit 4-4-4-4 with alpha mask in a V3 header",
         {.info_size = 56, .width = 2, .height = 1, .bpp = 16, .compression = kBitfields,
          .masks = {0x0F00, 0x00F0, 0x000F, 0xF000}, .rows = {le16({0xF00F, 0x8F80})}},
         2, 1, {0xFF0000FF, 0x88FF8800}},
        {"16-bit 1-5-5-5 ALPHABITFIELDS",
         {.width = 2, .height = 1, .bpp = 16, .compression = kAlphaBitfields,
          .masks = {0x7C00, 0x03E0, 0x001F, 0x8000}, .rows = {le16({0x7C00, 0x83E0})}},
         2, 1, {0x00FF0000, 0xFF00FF00}},
        {"24-bit, width 3 rows padded to 12 bytes",
         {.width = 3, .height = 2, .bpp = 24,
          .rows = {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80, 0x90}}},
         3, 2,
         {0xFF030201, 0xFF060504, 0xFF090807,
          0xFF302010, 0xFF605040, 0xFF908070}},
        {"24-bit, pixel data after a gap",
         {.width = 1, .height = 1, .bpp = 24, .rows = {{1, 2, 3}}, .offset = 80}, 1, 1, {0xFF030201}},
        {"32-bit keeps the fourth byte as alpha",
         {.width = 3, .height = 1, .bpp = 32, .rows = {le32({0x80112233, 0x00445566, 0xFF778899})}},
         3, 1, {0x80112233, 0x00445566, 0xFF778899}},
        {"32-bit with fourth byte 0 everywhere is opaque",
         {.width = 2, .height = 2, .bpp = 32, .rows = {le32({0x00112233, 0x00445566}), le32({0, 0x00FFFFFF})}},
         2, 2, {0xFF112233, 0xFF445566, 0xFF000000, 0xFFFFFFFF}},
        {"V4 header without bit fields ignores its alpha mask field",
         {.info_size = 108, .width = 1, .height = 1, .bpp = 32, .masks = kArgbMasks, .rows = {le32({0x00123456})}},
         1, 1, {0xFF123456}},
        {"V5 alpha mask keeps alpha 0 even when it is 0 everywhere",
         {.info_size = 124, .width = 2, .height = 1, .bpp = 32, .compression = kBitfields, .masks = kArgbMasks,
          .rows = {le32({0x00112233, 0x00445566})}},
         2, 1, {0x00112233, 0x00445566}},
        {"32-bit 10-10-10 bit fields, top bits are not alpha",
         {.width = 2, .height = 1, .bpp = 32, .compression = kBitfields,
          .masks = {0x3FF00000, 0x000FFC00, 0x000003FF},
          .rows = {le32({0x3FF00000u | (512u << 10) | 1u, 0xC0000000u})}},
         2, 1, {0xFFFF8000, 0xFF000000}},
        {"32-bit BGR-swapped bit fields in a V2 header",
         {.info_size = 52, .width = 1, .height = 1, .bpp = 32, .compression = kBitfields,
          .masks = {0x000000FF, 0x0000FF00, 0x00FF0000}, .rows = {le32({0x00112233})}},
         1, 1, {0xFF332211}},
    };
}

TEST(DecodeBmp, DecodesEachLayout) {
    for (const ValidCase& c : valid_cases()) {
        SCOPED_TRACE(c.name);
        const BmpResult r = decode_bmp(build_bmp(c.layout));
        ASSERT_EQ(r.error, 0) << r.reason;
        EXPECT_TRUE(r.reason.empty());
        EXPECT_EQ(r.image.width, c.width);
        EXPECT_EQ(r.image.height, c.height);
        EXPECT_EQ(r.image.pixels, c.pixels);
    }
}

TEST(DecodeBmp, TopDownRowsGiveTheSameImage) {
    for (const ValidCase& c : valid_cases()) {
        if (c.layout.info_size == 12 || c.height < 2) continue;  // core heights are unsigned
        SCOPED_TRACE(c.name);
        BmpLayout flipped = c.layout;
        flipped.height = -flipped.height;
        const BmpResult r = decode_bmp(build_bmp(flipped));
        ASSERT_EQ(r.error, 0) << r.reason;
        EXPECT_EQ(r.image.height, c.height);
        EXPECT_EQ(r.image.pixels, c.pixels);
    }
}

// Every value of a mask of n bits must land on round(v * 255 / (2^n - 1)).
TEST(DecodeBmp, WidensMaskedChannelsExactly) {
    for (uint32_t bits : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 10u, 12u}) {
        SCOPED_TRACE("blue mask of " + std::to_string(bits) + " bits");
        const uint32_t max = (1u << bits) - 1;
        BmpLayout l{.width = static_cast<int32_t>(max + 1), .height = 1, .bpp = 32, .compression = kBitfields,
                    .masks = {0x80000000, 0x40000000, max << 3}};
        Bytes row;
        for (uint32_t v = 0; v <= max; ++v) {
            const Bytes px = le32({v << 3});
            row.insert(row.end(), px.begin(), px.end());
        }
        l.rows = {row};
        const BmpResult r = decode_bmp(build_bmp(l));
        ASSERT_EQ(r.error, 0) << r.reason;
        for (uint32_t v = 0; v <= max; ++v) {
            const auto expected = static_cast<uint32_t>(std::lround(v * 255.0 / max));
            ASSERT_EQ(r.image.pixels[v], 0xFF000000u | expected) << "value " << v;
        }
    }
}

struct BadCase {
    const char* name;
    Bytes bytes;
    const char* reason_part;  // names the field and its value
};

BmpLayout small24() { return {.width = 2, .height = 2, .bpp = 24, .rows = {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 1, 2, 3}}}; }

template <typename Edit>
Bytes edited(BmpLayout l, Edit edit) {
    edit(l);
    return build_bmp(l);
}

std::vector<BadCase> bad_cases() {
    Bytes good = build_bmp(small24());
    Bytes bad_signature = good;
    bad_signature[0] = 'X';
    Bytes short_data(good.begin(), good.end() - 1);
    Bytes short_info(good.begin(), good.begin() + 30);
    Bytes unknown_info = good;
    unknown_info[14] = 20;
    Bytes past_end = good;
    put(past_end, 10, 5000, 4);
    return {
        {"empty", {}, "file is 0 bytes, too short"},
        {"10 bytes", Bytes(good.begin(), good.begin() + 10), "file is 10 bytes, too short"},
        {"bad signature", bad_signature, "signature"},
        {"unknown info header size", unknown_info, "info header size 20"},
        {"info header cut short", short_info, "40-byte info header"},
        {"pixel data cut short", short_data, "truncated"},
        {"offset past the end", past_end, "pixel data offset 5000 is past the end"},
        {"offset inside the headers", edited(small24(), [](BmpLayout& l) { l.offset = 20; }),
         "pixel data offset 20 is inside the headers"},
        {"width 0", edited(small24(), [](BmpLayout& l) { l.width = 0; }), "width is 0"},
        {"width negative", edited(small24(), [](BmpLayout& l) { l.width = -2; }), "width is -2"},
        {"height 0", edited(small24(), [](BmpLayout& l) { l.height = 0; }), "height is 0"},
        {"height INT32_MIN", edited(small24(), [](BmpLayout& l) { l.height = std::numeric_limits<int32_t>::min(); }),
         "height is -2147483648"},
        {"100000 x 100000 on a tiny file",
         edited(small24(), [](BmpLayout& l) { l.width = 100000; l.height = 100000; l.rows.clear(); }), "truncated"},
        {"largest 32-bit dimensions on a tiny file",
         edited(small24(), [](BmpLayout& l) {
             l.width = std::numeric_limits<int32_t>::max();
             l.height = std::numeric_limits<int32_t>::min() + 1;
             l.bpp = 32;
             l.rows.clear();
         }),
         "truncated"},
        {"planes 0", edited(small24(), [](BmpLayout& l) { l.planes = 0; }), "planes is 0, must be 1"},
        {"bpp 7", edited(small24(), [](BmpLayout& l) { l.bpp = 7; }), "bits per pixel is 7"},
        {"bpp 16 with a core header",
         edited(small24(), [](BmpLayout& l) { l.info_size = 12; l.bpp = 16; }), "bits per pixel is 16"},
        {"RLE8", edited(small24(), [](BmpLayout& l) { l.bpp = 8; l.compression = 1; }),
         "unsupported compression 1"},
        {"JPEG", edited(small24(), [](BmpLayout& l) { l.compression = 4; }), "unsupported compression 4"},
        {"compression 7", edited(small24(), [](BmpLayout& l) { l.compression = 7; }), "unknown compression 7"},
        {"bit fields at 24 bits", edited(small24(), [](BmpLayout& l) {
             l.compression = kBitfields;
             l.masks = {0xFF0000, 0xFF00, 0xFF};
         }),
         "compression 3"},
        {"non-contiguous mask", edited(small24(), [](BmpLayout& l) {
             l.bpp = 32;
             l.compression = kBitfields;
             l.masks = {0x00FF0000, 0x0000F0F0, 0x0000000F};
         }),
         "green mask 0x0000F0F0 is not a contiguous"},
        {"16-bit mask beyond 16 bits", edited(small24(), [](BmpLayout& l) {
             l.bpp = 16;
             l.compression = kBitfields;
             l.masks = {0x001F0000, 0x03E0, 0x001F};
         }),
         "red mask 0x001F0000 has bits outside"},
        {"masks missing after the header", edited(small24(), [](BmpLayout& l) {
             l.bpp = 32;
             l.compression = kBitfields;
             l.rows.clear();
         }),
         "bit-field masks"},
        {"palette runs into the pixel data", edited(small24(), [](BmpLayout& l) {
             l.bpp = 8;
             l.colors_used = 4;
             l.palette = {1, 2, 3, 4};
             l.offset = 54 + 8;
         }),
         "palette of 4 entries"},
    };
}

TEST(DecodeBmp, RejectsMalformedFilesWithAReason) {
    for (const BadCase& c : bad_cases()) {
        SCOPED_TRACE(c.name);
        const BmpResult r = decode_bmp(c.bytes);
        EXPECT_EQ(r.error, 3);
        EXPECT_NE(r.reason.find(c.reason_part), std::string::npos) << r.reason;
        EXPECT_EQ(r.reason.find('\n'), std::string::npos) << r.reason;
        EXPECT_TRUE(r.image.pixels.empty());
    }
}

// Files built to exactly the size their headers need: any shorter prefix must fail.
TEST(DecodeBmp, EveryTruncationIsRejected) {
    for (const ValidCase& c : valid_cases()) {
        SCOPED_TRACE(c.name);
        const Bytes full = build_bmp(c.layout);
        for (size_t n = 0; n < full.size(); ++n) {
            const BmpResult r = decode_bmp(std::span<const uint8_t>(full.data(), n));
            ASSERT_EQ(r.error, 3) << "prefix of " << n << " bytes";
            ASSERT_FALSE(r.reason.empty());
        }
    }
}

class BmpFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device rd;
        dir_ = std::filesystem::temp_directory_path() / ("chartest_bmp_" + std::to_string(rd()));
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    std::string path(const char* name) const { return (dir_ / name).string(); }
    static Bytes read_all(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    std::filesystem::path dir_;
};

TEST_F(BmpFileTest, WriteThenLoadRoundTripsEveryPixel) {
    const std::vector<std::vector<uint32_t>> images = {
        {0x00123456, 0x80FFFFFF, 0xFF000000, 0x7F010203, 0x00000000, 0xFFABCDEF},
        {0x00112233, 0x00445566, 0x00778899, 0x00AABBCC, 0x00000000, 0x00FFFFFF},  // all alpha 0
    };
    for (const auto& pixels : images) {
        const std::string p = path("round.bmp");
        ASSERT_TRUE(write_bmp32(p, 3, 2, pixels));
        const BmpResult r = load_bmp_file(p);
        ASSERT_EQ(r.error, 0) << r.reason;
        EXPECT_EQ(r.image.width, 3);
        EXPECT_EQ(r.image.height, 2);
        EXPECT_EQ(r.image.pixels, pixels);
    }
}

TEST_F(BmpFileTest, WrittenHeaderIsV5BitfieldsBottomUp) {
    const std::string p = path("header.bmp");
    ASSERT_TRUE(write_bmp32(p, 2, 2, {0x01020304, 0x05060708, 0x090A0B0C, 0x0D0E0F10}));
    const Bytes b = read_all(p);
    ASSERT_EQ(b.size(), 138u + 16u);
    auto u32 = [&](size_t at) {
        return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
    };
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(u32(2), 154u);       // file size
    EXPECT_EQ(u32(10), 138u);      // pixel data offset
    EXPECT_EQ(u32(14), 124u);      // V5 header
    EXPECT_EQ(u32(22), 2u);        // positive height: bottom-up
    EXPECT_EQ(u32(28) & 0xFFFF, 32u);
    EXPECT_EQ(u32(30), 3u);        // BI_BITFIELDS
    EXPECT_EQ(u32(38), 2835u);
    EXPECT_EQ(u32(42), 2835u);
    EXPECT_EQ(u32(54), 0x00FF0000u);
    EXPECT_EQ(u32(58), 0x0000FF00u);
    EXPECT_EQ(u32(62), 0x000000FFu);
    EXPECT_EQ(u32(66), 0xFF000000u);
    EXPECT_EQ(u32(70), 0x73524742u);  // 'sRGB'
    EXPECT_EQ(u32(138), 0x090A0B0Cu); // first stored row is the bottom one
}

TEST_F(BmpFileTest, WriteRejectsBadArguments) {
    EXPECT_FALSE(write_bmp32(path("missing_dir/x.bmp"), 1, 1, {0}));
    EXPECT_FALSE(write_bmp32(path("count.bmp"), 2, 2, {0, 0, 0}));
    EXPECT_FALSE(write_bmp32(path("zero.bmp"), 0, 1, {}));
    EXPECT_FALSE(std::filesystem::exists(path("count.bmp")));
}

TEST_F(BmpFileTest, LoadReportsFilesThatCannotBeOpened) {
    for (const std::string& p : {path("no_such.bmp"), dir_.string()}) {
        SCOPED_TRACE(p);
        const BmpResult r = load_bmp_file(p);
        EXPECT_EQ(r.error, 2);
        EXPECT_EQ(r.reason, "cannot open");
    }
}

TEST_F(BmpFileTest, LoadDecodesWhatItReads) {
    const std::string p = path("text.bmp");
    std::ofstream(p, std::ios::binary) << "not a bitmap at all";
    EXPECT_EQ(load_bmp_file(p).error, 3);

    const Bytes bmp = build_bmp(valid_cases()[0].layout);
    std::ofstream(p, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bmp.data()), static_cast<std::streamsize>(bmp.size()));
    const BmpResult r = load_bmp_file(p);
    ASSERT_EQ(r.error, 0) << r.reason;
    EXPECT_EQ(r.image.pixels, valid_cases()[0].pixels);
}

}  // namespace
}  // namespace chartest
