#include <gtest/gtest.h>

#include <random>

#include "platform/font8x8.h"
#include "platform/headless.h"
#include "platform/image.h"
#include "platform/screen.h"
#include "platform/sdl_keys.h"
#include <SDL.h>
#include "tests/headless_fixture.h"

namespace chartest {
namespace {

TEST(AlphaBlit, BlendsWithSourceAlphaAndKeepsOpaquePages) {
    ImageData src(3, 1, 0);
    src.pixels = {0x00FF0000, 0xFF00FF00, 0x800000FF};  // transparent, opaque, half
    ImageData dst(3, 1, 0xFF202020);
    blit_alpha(dst, 0, 0, src, 0, 0, 2, 0);
    EXPECT_EQ(dst.pixels[0], 0xFF202020u) << "alpha 0 leaves the page alone";
    EXPECT_EQ(dst.pixels[1], 0xFF00FF00u) << "alpha 255 replaces";
    // 0x80 of blue 255 over 0x20: 128 + 16 = 0x90; red and green: 0x20 * 127/255 = 0x10.
    EXPECT_EQ(dst.pixels[2], 0xFF101090u);
}

TEST(AlphaBlit, ClipsOnEverySide) {
    ImageData src(4, 4, 0xFFFFFFFF);
    const struct {
        int32_t x, y;
        int expected_pixels;
    } cases[] = {{0, 0, 16}, {-2, 0, 8}, {0, -3, 4}, {6, 6, 4}, {-4, 0, 0}, {8, 8, 0}, {7, -3, 1}};
    for (const auto& c : cases) {
        ImageData dst(8, 8, 0xFF000000);
        blit_alpha(dst, c.x, c.y, src, 0, 0, 3, 3);
        int white = 0;
        for (uint32_t p : dst.pixels) white += p == 0xFFFFFFFF;
        EXPECT_EQ(white, c.expected_pixels) << c.x << "," << c.y;
    }
    // A source rectangle partly outside the source is cut to the source; one whose
    // second corner lies before the first draws nothing.
    ImageData dst(8, 8, 0xFF000000);
    blit_alpha(dst, 0, 0, src, -2, -2, 1, 1);
    EXPECT_EQ(dst.pixels[2 * 8 + 2], 0xFFFFFFFFu);
    EXPECT_EQ(dst.pixels[0], 0xFF000000u);
    ImageData untouched(8, 8, 0xFF000000);
    blit_alpha(untouched, 0, 0, src, 2, 2, 1, 1);
    for (uint32_t p : untouched.pixels) ASSERT_EQ(p, 0xFF000000u);
}

TEST(PageCopy, CopiesOnlyChangedRowsYetAlwaysMatches) {
    // Random drawing on two pages with flips in both directions: after every copy the
    // target must equal the source exactly.
    ImageData a(64, 48, 0xFF000000), b(64, 48, 0xFF000000), c(64, 48, 0xFF000000);
    std::mt19937 rng(7);
    ImageData* pages[] = {&a, &b, &c};
    for (int step = 0; step < 2000; ++step) {
        ImageData& p = *pages[rng() % 3];
        switch (rng() % 4) {
            case 0: set_pixel(p, rng() % 64, rng() % 48, rng()); break;
            case 1: fill_rect(p, rng() % 64, rng() % 48, rng() % 10, rng() % 10, rng()); break;
            case 2: draw_line(p, rng() % 64, rng() % 48, rng() % 64, rng() % 48, rng()); break;
            default: {
                ImageData& from = *pages[rng() % 3];
                ImageData& to = *pages[rng() % 3];
                copy_page(to, from);
                ASSERT_EQ(to.pixels, from.pixels) << "step " << step;
            }
        }
    }
}

TEST(DrawLine, EndpointsIncludedAndFarPointsClipped) {
    // Lines in every octant: both end points and one pixel per step of the longer axis.
    const struct {
        int x1, y1, x2, y2;
    } lines[] = {{0, 0, 9, 9}, {9, 0, 0, 9}, {2, 1, 9, 4}, {9, 4, 2, 1}, {1, 2, 4, 9},
                 {4, 9, 1, 2}, {5, 5, 5, 5}, {0, 7, 9, 7}, {3, 0, 3, 9}};
    for (const auto& l : lines) {
        ImageData img(10, 10, 0);
        draw_line(img, l.x1, l.y1, l.x2, l.y2, 0xFFFFFFFF);
        int count = 0;
        for (uint32_t p : img.pixels) count += p == 0xFFFFFFFF;
        EXPECT_EQ(count, std::max(std::abs(l.x2 - l.x1), std::abs(l.y2 - l.y1)) + 1);
        EXPECT_EQ(img.pixels[l.y1 * 10 + l.x1], 0xFFFFFFFFu);
        EXPECT_EQ(img.pixels[l.y2 * 10 + l.x2], 0xFFFFFFFFu);
    }
    ImageData far(10, 10, 0);
    draw_line(far, -2000000000, 5, 2000000000, 5, 0xFF00FF00);  // walks only the image
    EXPECT_EQ(far.pixels[5 * 10 + 0], 0xFF00FF00u);
    EXPECT_EQ(far.pixels[5 * 10 + 9], 0xFF00FF00u);
}

using Facility = HeadlessScreen;

TEST_F(Facility, OpenSizesAndNullTargets) {
    const ScreenInfo info = SCREEN_INFO();
    EXPECT_EQ(info.width, 320);
    EXPECT_EQ(info.height, 240);
    EXPECT_EQ(IMAGE_CREATE(0, 5), nullptr);
    EXPECT_EQ(IMAGE_CREATE(5, -1), nullptr);
    EXPECT_EQ(IMAGE_PUT(nullptr, 0, 0, nullptr), 1);
    PIXEL_SET(nullptr, 3, 4, 0xFF123456);  // null image: the work page
    EXPECT_EQ(PIXEL_GET(SCREEN_PAGE(1), 3, 4), 0xFF123456);
    EXPECT_EQ(PIXEL_GET(nullptr, 320, 0), -1);
    SCREEN_CLOSE();
    EXPECT_EQ(PIXEL_GET(nullptr, 0, 0), -1) << "no screen";
}

TEST_F(Facility, FlipMakesWorkPageVisible) {
    PIXEL_SET(nullptr, 10, 10, 0xFFABCDEF);
    EXPECT_NE(PIXEL_GET(SCREEN_PAGE(0), 10, 10), 0xFFABCDEF);
    SCREEN_FLIP();
    EXPECT_EQ(PIXEL_GET(SCREEN_PAGE(0), 10, 10), 0xFFABCDEF);
    EXPECT_EQ(SCREEN_PAGE(0)->pixels, SCREEN_PAGE(1)->pixels);
}

// The cell (row, column) of the work page as glyph bits, to compare with the font.
std::array<uint8_t, 8> cell_bits(int32_t row, int32_t column, uint32_t fg) {
    std::array<uint8_t, 8> bits{};
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            if (PIXEL_GET(nullptr, (column - 1) * 8 + x, (row - 1) * 8 + y) == fg)
                bits[y] |= static_cast<uint8_t>(0x80 >> x);
    return bits;
}

bool cell_shows(int32_t row, int32_t column, uint8_t code, uint32_t fg = 0xFFFFFFFF) {
    const std::array<uint8_t, 8> bits = cell_bits(row, column, fg);
    return std::equal(bits.begin(), bits.end(), FONT_8X8[code]);
}

TEST_F(Facility, TextPrintAdvancesWrapsAndScrolls) {
    TEXT_PRINT("AB", false);
    EXPECT_TRUE(cell_shows(1, 1, 'A'));
    EXPECT_TRUE(cell_shows(1, 2, 'B'));
    EXPECT_EQ(TEXT_COLUMN(), 3);
    TEXT_PRINT("C");
    EXPECT_EQ(TEXT_ROW(), 2);
    EXPECT_EQ(TEXT_COLUMN(), 1);
    TEXT_LOCATE(5, 40);
    TEXT_PRINT("XY", false);  // wraps after column 40
    EXPECT_TRUE(cell_shows(5, 40, 'X'));
    EXPECT_TRUE(cell_shows(6, 1, 'Y'));
    TEXT_LOCATE(0, 1);  // outside the grid: the cursor stays
    TEXT_LOCATE(3, 41);
    EXPECT_EQ(TEXT_ROW(), 6);
    EXPECT_EQ(TEXT_COLUMN(), 2);
    // A break on the last row scrolls the page up one text row.
    TEXT_LOCATE(1, 1);
    TEXT_PRINT("Q", false);
    TEXT_LOCATE(30, 1);
    TEXT_PRINT("Z");
    EXPECT_EQ(TEXT_ROW(), 30);
    EXPECT_TRUE(cell_shows(29, 1, 'Z'));
    EXPECT_FALSE(cell_shows(1, 1, 'Q'));
}

TEST_F(Facility, ColoursAndClear) {
    SCREEN_COLOR(0xFF00FF00, 0xFF0000FF, COLOR_FOREGROUND | COLOR_BACKGROUND);
    SCREEN_CLEAR();
    EXPECT_EQ(PIXEL_GET(nullptr, 319, 239), 0xFF0000FF);
    TEXT_PRINT("H", false);
    EXPECT_TRUE(cell_shows(1, 1, 'H', 0xFF00FF00));
    EXPECT_EQ(PIXEL_GET(nullptr, 7, 7), 0xFF0000FF) << "text cells get the background";
    DRAW_TEXT(nullptr, 100, 100, "H", 0xFFFF0000);
    EXPECT_EQ(PIXEL_GET(nullptr, 107, 107), 0xFF0000FF) << "DRAW_TEXT leaves the rest alone";
}

TEST_F(Facility, KeysClockAndRandom) {
    headless::push_keys("a\\e\\r\\b\\t\\\\\\x41\\{Up}\\{F1}\\{F12}\\{Close}");
    const std::vector<std::string> expected = {"a",      "\x1b",     "\r",       "\b",
                                               "\t",     "\\",       "A",        "\xFFH",
                                               "\xFF;",  "\xFF\x86", "\xFFk",    ""};
    for (const std::string& k : expected) EXPECT_EQ(KEY_POLL(), k);
    headless::set_clock(2.5);
    SLEEP_MS(250);
    EXPECT_DOUBLE_EQ(CLOCK_SECONDS(), 2.75);
    for (int i = 0; i < 1000; ++i) {
        const double r = RANDOM_UNIT();
        ASSERT_GE(r, 0.0);
        ASSERT_LT(r, 1.0);
    }
}

TEST(KeyScript, RejectsMalformedScripts) {
    std::vector<std::string> keys;
    std::string error;
    for (const char* bad : {"\\", "\\x4", "\\xZZ", "\\{Up", "\\{Nope}", "\\q"}) {
        EXPECT_FALSE(decode_key_script(bad, keys, error)) << bad;
        EXPECT_FALSE(error.empty());
    }
}

TEST(WindowKeys, KeyCodesAndTypedText) {
    const struct {
        SDL_Keycode code;
        std::string key;
    } keys[] = {{SDLK_RETURN, "\r"},       {SDLK_KP_ENTER, "\r"},   {SDLK_BACKSPACE, "\b"},
                {SDLK_TAB, "\t"},          {SDLK_ESCAPE, "\x1b"},   {SDLK_UP, "\xFFH"},
                {SDLK_DOWN, "\xFFP"},      {SDLK_LEFT, "\xFFK"},    {SDLK_RIGHT, "\xFFM"},
                {SDLK_HOME, "\xFFG"},      {SDLK_END, "\xFFO"},     {SDLK_PAGEUP, "\xFFI"},
                {SDLK_PAGEDOWN, "\xFFQ"},  {SDLK_INSERT, "\xFFR"},  {SDLK_DELETE, "\xFFS"},
                {SDLK_F1, "\xFF;"},        {SDLK_F10, "\xFF" "D"},  {SDLK_F11, "\xFF\x85"},
                {SDLK_F12, "\xFF\x86"},    {SDLK_a, ""},            {SDLK_LSHIFT, ""}};
    for (const auto& k : keys) EXPECT_EQ(key_for_keycode(k.code), k.key) << k.code;
    // "aé€☺ß": é is 130 and ß 225 in code page 437; € has no byte; ☺ would read as 1.
    EXPECT_EQ(keys_for_typed_text("a\xC3\xA9\xE2\x82\xAC\xE2\x98\xBA\xC3\x9F"),
              (std::vector<std::string>{"a", "\x82", "\xE1"}));
}

}  // namespace
}  // namespace chartest
