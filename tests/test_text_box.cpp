// Text box layout and rendering.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/colour_fixture.h"
#include "support/memory_management.h"
#include "support/text_box.h"
#include "support/vga_lookup.h"

namespace chartest {
namespace {

// ---- Layout ------------------------------------------------------------------------------

struct LayoutCase {
    const char* what;
    std::string text;
    int32_t w;
    std::string laid_out;
};

TEST(TextBoxString, Layouts) {
    const std::string word25 = "ABCDEFGHIJKLMNOPQRSTUVWXY";
    const std::vector<LayoutCase> cases = {
        {"empty", "", 10, ""},
        {"empty, any width", "", -3, ""},
        {"space runs", "a   b", 10, "a b"},
        {"spaces at both ends", "  a b  ", 10, "a b"},
        {"line break runs", "a\r\n\r\n\r\nb", 10, "a\r\nb"},
        {"line of spaces keeps a row", "a\r\n \r\nb", 10, "a\r\n\r\nb"},
        {"lone CR and LF are characters", "a\rb c\nd", 10, "a\rb c\nd"},
        {"tab is a character", "a\tb", 10, "a\tb"},
        {"one space between words, counted", "one two three", 7, "one two\r\nthree"},
        {"space makes it too long", "one two", 6, "one\r\ntwo"},
        {"line end word joins, then the line ends", "ab\r\ncd ef", 10, "ab\r\ncd ef"},
        {"line end word that does not fit", "aaaa bbbb\r\nc", 5, "aaaa\r\nbbbb\r\nc"},
        {"space before a break", "aaa bb \r\nc", 5, "aaa\r\nbb\r\nc"},
        {"break at the end", "a\r\n", 10, "a\r\n"},
        {"last line open", "a b c", 3, "a b\r\nc"},
        {"word of exactly W", "ABCDEFGHIJ", 10, "ABCDEFGHIJ"},
        {"word of exactly W after a word", "ab ABCDEFGHIJ", 10, "ab\r\nABCDEFGHIJ"},
        {"long word cut", word25, 10, "ABCDEFGHI-\r\nJKLMNOPQR-\r\nSTUVWXY"},
        {"long word of 2W - 1", "ABCDEFGHIJKLMNOPQRS", 10, "ABCDEFGHI-\r\nJKLMNOPQRS"},
        {"cut after a current line", "ab cdefghijkl", 8, "ab cdef-\r\nghijkl"},
        {"cut with one character room", "abcde fghijklmno", 8, "abcde f-\r\nghijklm-\r\nno"},
        {"current line W - 2: no room", "abcdef ghijklmnopq", 8,
         "abcdef\r\nghijklm-\r\nnopq"},
        {"current line W - 1: no room", "abcdefg ghijklmnopq", 8,
         "abcdefg\r\nghijklm-\r\nnopq"},
        {"current line full: no room", "abcdefgh ghijklmnopq", 8,
         "abcdefgh\r\nghijklm-\r\nnopq"},
        {"long line end word", "abcdefghijkl\r\nx", 5, "abcd-\r\nefgh-\r\nijkl\r\nx"},
        {"width 2", "abc", 2, "a-\r\nbc"},
        {"width 1: long words whole", "ab c d", 1, "ab\r\nc\r\nd"},
        {"width 1: break kept", "ab\r\ncd e", 1, "ab\r\ncd\r\ne"},
        {"width 0", "ab c", 0, "ab\r\nc"},
        {"negative width", "ab  c\r\n\r\nd", -7, "ab\r\nc\r\nd"},
    };
    for (const LayoutCase& c : cases) {
        const std::string before = c.text;
        EXPECT_EQ(TEXT_BOX_STRING(c.text, c.w, 30), c.laid_out) << c.what;
        EXPECT_EQ(c.text, before) << c.what;
    }
}

TEST(TextBoxString, HeightHasNoEffect) {
    const std::vector<std::string> texts = {"some words that wrap over lines\r\n\r\nand more",
                                            std::string(100, 'x')};
    for (const std::string& text : texts) {
        const std::string expected = TEXT_BOX_STRING(text, 12, 30);
        for (int32_t h : {-5, 0, 1, 3, 1000}) EXPECT_EQ(TEXT_BOX_STRING(text, 12, h), expected);
    }
}

// ---- Rendering ---------------------------------------------------------------------------

constexpr uint32_t GREEN = 0xFF00FF00u;
constexpr uint32_t RED_CROSS = 0x80FF0000u;

// The image a box should be: transparent, the given rows of text in green, the red cross.
IMAGE expected_box(int32_t w, int32_t h, const std::vector<std::pair<int32_t, std::string>>& rows) {
    IMAGE image = IMAGE_CREATE(w * 8, h * 8, 0);
    for (const auto& [row, text] : rows) DRAW_TEXT(image, 0, (row - 1) * 8, text, GREEN);
    DRAW_LINE(image, 0, 0, w * 8 - 1, h * 8 - 1, RED_CROSS);
    DRAW_LINE(image, w * 8 - 1, 0, 0, h * 8 - 1, RED_CROSS);
    return image;
}

using TextBoxRender = ColourTableScreen;

struct RenderCase {
    const char* what;
    std::string text;
    int32_t w, h, scroll;
    std::vector<std::pair<int32_t, std::string>> rows;
};

TEST_F(TextBoxRender, RowsScrollAndCutOff) {
    const std::string five = "l1\r\nl2\r\nl3\r\nl4\r\nl5";
    const std::string long45 = std::string(40, 'a') + "bcdef";
    const std::vector<RenderCase> cases = {
        {"empty text", "", 5, 4, 0, {}},
        {"first lines", "one\r\ntwo", 5, 4, 0, {{1, "one"}, {2, "two"}}},
        {"scrolled by 2", five, 5, 4, 2, {{1, "l3"}, {2, "l4"}, {3, "l5"}}},
        {"cut off below H", five, 5, 3, 0, {{1, "l1"}, {2, "l2"}, {3, "l3"}}},
        {"negative scroll", "a\r\nb\r\nc", 5, 3, -1, {{2, "a"}, {3, "b"}}},
        {"scrolled past the end", five, 5, 3, 9, {}},
        {"double break is an empty row", "a\r\n\r\nb", 5, 4, 0, {{1, "a"}, {3, "b"}}},
        {"break at the end adds no row", "a\r\n", 5, 4, 0, {{1, "a"}}},
        {"lone CR and LF drawn as glyphs", "a\rb\nc", 8, 2, 0, {{1, "a\rb\nc"}}},
        {"long line cut by the edge", long45, 40, 2, 0, {{1, std::string(40, 'a')}}},
    };
    for (const RenderCase& c : cases) {
        headless::push_keys("k");
        IMAGE got = TEXT_BOX_RENDER(c.text, c.w, c.h, c.scroll);
        IMAGE want = expected_box(c.w, c.h, c.rows);
        ASSERT_NE(got, nullptr) << c.what;
        EXPECT_EQ(got->WIDTH, c.w * 8) << c.what;
        EXPECT_EQ(got->HEIGHT, c.h * 8) << c.what;
        EXPECT_TRUE(got->pixels == want->pixels) << c.what;
        EXPECT_EQ(headless::pending_keys(), 0u) << c.what;
        IMAGEDESTROY2(got);
        IMAGEDESTROY2(want);
    }
}

TEST_F(TextBoxRender, CrossLiesOverTheText) {
    headless::push_keys("k");
    // Code 219 is a full block: every pixel of its cell is a glyph pixel.
    IMAGE box = TEXT_BOX_RENDER("\xDB\xDB", 4, 2, 0);
    EXPECT_EQ(PIXEL_GET(box, 0, 0), RED_CROSS);
    EXPECT_EQ(PIXEL_GET(box, 0, 1), GREEN);
    EXPECT_EQ(PIXEL_GET(box, 31, 0), RED_CROSS);
    EXPECT_EQ(PIXEL_GET(box, 31, 15), RED_CROSS);
    EXPECT_EQ(PIXEL_GET(box, 20, 0), 0);  // beyond the text: transparent
    IMAGEDESTROY2(box);
}

TEST_F(TextBoxRender, WaitsOnTheMessageLineFirst) {
    headless::push_keys("ab");
    const size_t polls = headless::poll_count();
    IMAGE box = TEXT_BOX_RENDER("x", 2, 2, 0);
    EXPECT_EQ(headless::pending_keys(), 1u);
    EXPECT_GT(headless::poll_count(), polls);
    // The Escape glyph was printed on row 1 in VGA colour 15, and the page shown.
    EXPECT_EQ(SCREEN_FOREGROUND(), MESSAGE_COLOUR);
    EXPECT_EQ(TEXT_ROW(), 2);
    bool printed = false;
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 8; ++x) printed |= PIXEL_GET(SCREEN_PAGE(0), x, y) == MESSAGE_COLOUR;
    EXPECT_TRUE(printed);
    // The box itself is never put on the screen.
    EXPECT_NE(PIXEL_GET(nullptr, 0, 100), RED_CROSS);
    IMAGEDESTROY2(box);
}

TEST_F(TextBoxRender, EscapeAtTheWaitEndsTheProgram) {
    EXPECT_EXIT(
        {
            headless::push_keys("\\e");
            TEXT_BOX_RENDER("x", 2, 2, 0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(
        {
            headless::push_keys("\\{Close}");
            TEXT_BOX_RENDER("x", 2, 2, 0);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(TextBoxRender, NoImageIsFatalBeforeDrawing) {
    for (const auto& [w, h] : {std::pair{0, 3}, std::pair{3, 0}, std::pair{-1, -1}}) {
        EXPECT_EXIT(
            {
                headless::push_keys("k");
                TEXT_BOX_RENDER("text", w, h, 0);
            },
            ::testing::ExitedWithCode(7), "null pointer access");
    }
}

}  // namespace
}  // namespace chartest
