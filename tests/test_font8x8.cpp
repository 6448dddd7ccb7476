// The built-in 8x8 font: sanity checks on the generated glyph table that would
// catch a shifted table, a wrong bit order or glyphs copied from the wrong code.
#include "platform/font8x8.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace chartest {
namespace {

bool is_blank(int code) {
    const uint8_t* g = FONT_8X8[code];
    return std::all_of(g, g + 8, [](uint8_t row) { return row == 0; });
}

bool same_glyph(int a, int b) {
    return std::equal(FONT_8X8[a], FONT_8X8[a] + 8, FONT_8X8[b]);
}

TEST(Font8x8, BlankAndSolidCodes) {
    EXPECT_TRUE(is_blank(0));
    EXPECT_TRUE(is_blank(' '));
    EXPECT_TRUE(is_blank(255));  // no-break space
    for (int row = 0; row < 8; ++row) {
        EXPECT_EQ(FONT_8X8[219][row], 0xFF) << "full block, row " << row;
    }
}

TEST(Font8x8, HalfBlocksUseTheDocumentedBitOrder) {
    // 221 is the left half block, 222 the right one: bit 7 is the leftmost pixel.
    for (int row = 0; row < 8; ++row) {
        EXPECT_EQ(FONT_8X8[221][row], 0xF0) << "row " << row;
        EXPECT_EQ(FONT_8X8[222][row], 0x0F) << "row " << row;
    }
    // 223 is the upper half block, 220 the lower one: row 0 is the top.
    EXPECT_EQ(FONT_8X8[223][0], 0xFF);
    EXPECT_EQ(FONT_8X8[223][7], 0x00);
    EXPECT_EQ(FONT_8X8[220][0], 0x00);
    EXPECT_EQ(FONT_8X8[220][7], 0xFF);
}

TEST(Font8x8, LettersAndDigitsAreDrawnAndDistinct) {
    std::string chars;
    for (char c = 'A'; c <= 'Z'; ++c) chars += c;
    for (char c = 'a'; c <= 'z'; ++c) chars += c;
    for (char c = '0'; c <= '9'; ++c) chars += c;
    for (size_t i = 0; i < chars.size(); ++i) {
        const int a = static_cast<unsigned char>(chars[i]);
        EXPECT_FALSE(is_blank(a)) << "'" << chars[i] << "'";
        for (size_t j = i + 1; j < chars.size(); ++j) {
            const int b = static_cast<unsigned char>(chars[j]);
            EXPECT_FALSE(same_glyph(a, b)) << "'" << chars[i] << "' and '" << chars[j] << "'";
        }
    }
    EXPECT_FALSE(same_glyph('I', 'l'));
    EXPECT_FALSE(same_glyph('O', '0'));
}

TEST(Font8x8, GraphicCodesAreNotStandIns) {
    // Shades get denser from 176 to 178.
    EXPECT_FALSE(same_glyph(176, 177));
    EXPECT_FALSE(same_glyph(177, 178));
    // Double box lines are not drawn as single ones, triangles not as arrows.
    EXPECT_FALSE(same_glyph(179, 186));  // | and ||
    EXPECT_FALSE(same_glyph(196, 205));  // - and =
    EXPECT_FALSE(same_glyph(16, 26));    // pointer and arrow to the right
    EXPECT_FALSE(same_glyph(30, 24));    // triangle and arrow up
    // Codes 1..31 and 127 show symbols, not blanks.
    for (int code = 1; code < 32; ++code) EXPECT_FALSE(is_blank(code)) << code;
    EXPECT_FALSE(is_blank(127));
}

}  // namespace
}  // namespace chartest
