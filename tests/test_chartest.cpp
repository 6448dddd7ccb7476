#include <gtest/gtest.h>

#include "demo/chartest_loop.h"
#include "demo/glyph_text.h"
#include "demo/sheet.h"
#include "demo/tables.h"
#include "platform/bmp.h"
#include "platform/headless.h"
#include "platform/screen.h"
#include "tests/headless_fixture.h"

namespace chartest {
namespace {

// A sheet whose every cell is one solid colour that encodes the code, so that a page
// can be read back as the codes drawn on it. Code c is 0xFF00xx00 | c with a marker.
constexpr uint32_t code_colour(int code) { return 0xFF008000u | static_cast<uint32_t>(code); }

IMAGE make_coded_sheet(int32_t width, int32_t height) {
    IMAGE sheet = IMAGE_CREATE(width, height, 0);
    const int32_t cw = width / 16, ch = height / 16;
    for (int code = 0; code < 256; ++code)
        fill_rect(*sheet, (code % 16) * cw, (code / 16) * ch, cw, ch, code_colour(code));
    return sheet;
}

// The code drawn in text cell (row, col) of a page (cells of cw x ch), or -1 for none.
int code_at(IMAGE page, int32_t row, int32_t col, int32_t cw = 8, int32_t ch = 8) {
    const int64_t p = PIXEL_GET(page, col * cw, row * ch);
    return (p & 0xFFFFFF00) == 0xFF008000 ? static_cast<int>(p & 0xFF) : -1;
}

// Text row `row` of a page as the characters drawn, '.' where nothing was drawn.
std::string row_text(IMAGE page, int32_t row, int32_t cw = 8, int32_t ch = 8) {
    std::string s;
    for (int32_t col = 0; col < 320 / cw; ++col) {
        const int c = code_at(page, row, col, cw, ch);
        s += c < 0 ? '.' : static_cast<char>(c);
    }
    return s;
}

class CharTest : public HeadlessScreen {
protected:
    void SetUp() override {
        HeadlessScreen::SetUp();
        FONT.redim(0, 0);
        FILE.redim(0, 0);
    }
    void TearDown() override {
        IMAGE_DESTROY(FONT[0].SHEET);
        FONT.erase();
        FILE.erase();
        HeadlessScreen::TearDown();
    }
    void run_main(const std::string& content, int32_t sheet_size = 128) {
        FONT[0].SHEET = make_coded_sheet(sheet_size, sheet_size);
        FILE[0].MODE = free_file_number();
        FILE[0].FILE = dir.write("chartest.txt", content);
        headless::push_key("x");
        MAIN();
    }
    TempDir dir;
};

TEST(CharOffset, CellsForSheetSizesAndCodes) {
    FONT.redim(0, 0);
    const struct {
        int32_t w, h, code, x, y, xs, ys, xo, yo;
    } cases[] = {
        {128, 128, 0, 0, 0, 8, 8, 0, 0},       {128, 128, 65, 8, 32, 8, 8, 0, 0},
        {128, 128, 255, 120, 120, 8, 8, 0, 0}, {256, 256, 17, 16, 16, 16, 16, -8, -8},
        {130, 130, 255, 120, 120, 8, 8, 0, 0}, {160, 96, 33, 10, 12, 10, 6, -2, 2},
        {128, 128, 256, 0, 0, 8, 8, 0, 0},     {128, 128, -1, 120, 0, 8, 8, 0, 0},
        {15, 15, 200, 0, 0, 0, 0, 8, 8},
    };
    for (const auto& c : cases) {
        FONT[0].SHEET = IMAGE_CREATE(c.w, c.h);
        int32_t X, Y, W, H, XS, YS, XO, YO;
        CHAROFFSET(0, c.code, X, Y, W, H, XS, YS, XO, YO, 8, 8);
        EXPECT_EQ(std::vector<int32_t>({X, Y, W, H, XS, YS, XO, YO}),
                  std::vector<int32_t>({c.x, c.y, c.w, c.h, c.xs, c.ys, c.xo, c.yo}))
            << c.w << "x" << c.h << " code " << c.code;
        IMAGE_DESTROY(FONT[0].SHEET);
    }
    FONT.erase();
}

TEST(CharOffsetDeathTest, MissingSheetAndBadIndex) {
    FONT.redim(0, 0);
    int32_t X, Y, W, H, XS, YS, XO, YO;
    EXPECT_EXIT(CHAROFFSET(0, 65, X, Y, W, H, XS, YS, XO, YO, 8, 8),
                ::testing::ExitedWithCode(7), "null pointer access.*::CHAROFFSET\\(\\)");
    EXPECT_EXIT(CHAROFFSET(1, 65, X, Y, W, H, XS, YS, XO, YO, 8, 8),
                ::testing::ExitedWithCode(6), "out of bounds array access.*::CHAROFFSET\\(\\)");
    FONT.erase();
}

TEST(LineText, QuotesAndCodes) {
    const struct {
        std::string line, shown;
    } cases[] = {
        {"abc", "\"abc\" is Ascii Seq:97,98,99"},
        {"", "\"\" is Ascii Seq:"},
        {"\"\"\"", "\"\" is Ascii Seq:"},
        {"\"a\"b\"\"", "\"a\"b\" is Ascii Seq:97,34,98"},
        {"a\rb", "\"a\rb\" is Ascii Seq:97,13,98"},
        {std::string("\0\xFF", 2), std::string("\"\0\xFF\" is Ascii Seq:0,255", 23)},
    };
    for (const auto& c : cases) {
        std::string r = c.line;
        strip_outer_quotes(r);
        EXPECT_EQ(ascii_seq_text(r), c.shown);
    }
}

TEST_F(CharTest, DispTextWrapsAtTheRightEdgeAndMovesTheCursorOnlyThen) {
    FONT[0].SHEET = make_coded_sheet(128, 128);
    DISPTEXT(0, std::string(41, 'A'));
    EXPECT_EQ(row_text(nullptr, 0), std::string(40, 'A'));
    EXPECT_EQ(row_text(nullptr, 1), "A" + std::string(39, '.'));
    EXPECT_EQ(TEXT_ROW(), 2);
    EXPECT_EQ(TEXT_COLUMN(), 1) << "no advance after the text";
    DISPTEXT(0, "  C");  // over the row where the last call ended; spaces draw nothing
    EXPECT_EQ(row_text(nullptr, 1).substr(0, 4), "A.C.");
    EXPECT_EQ(TEXT_ROW(), 2);
}

TEST_F(CharTest, DispTextWithLargeCellsWrapsAfterTwenty) {
    FONT[0].SHEET = make_coded_sheet(256, 256);
    DISPTEXT(0, std::string(21, 'Z'));
    EXPECT_EQ(row_text(nullptr, 0, 16, 16), std::string(20, 'Z'));
    EXPECT_EQ(row_text(nullptr, 1, 16, 16), "Z" + std::string(19, '.'));
}

// What a row shows after drawing `text` over `row` from its start: spaces draw nothing.
std::string drawn_over(std::string row, const std::string& text) {
    for (size_t i = 0; i < text.size() && i < row.size(); ++i)
        if (text[i] != ' ') row[i] = text[i];
    return row;
}

TEST_F(CharTest, MainDrawsEachLineOverTheRowWhereTheLastEnded) {
    run_main("\"abc\"\r\nZ\n");
    std::string expected = drawn_over(std::string(40, '.'), "\"abc\" is Ascii Seq:97,98,99");
    expected = drawn_over(expected, "\"Z\" is Ascii Seq:90");
    EXPECT_EQ(row_text(SCREEN_PAGE(0), 0), expected);
    EXPECT_EQ(row_text(SCREEN_PAGE(0), 1), std::string(40, '.'));
    EXPECT_EQ(headless::pending_keys(), 0u) << "the final wait took the key";
}

TEST_F(CharTest, MainLineThatFillsTheRowMovesTheNextLineDown) {
    // "dAAAAA" makes exactly 40 glyphs, so the wrap after its last glyph moves the
    // cursor; the empty last line after the final break adds nothing.
    run_main("dAAAAA\nc\n");
    EXPECT_EQ(row_text(SCREEN_PAGE(0), 0), "\"dAAAAA\".is.Ascii.Seq:100,65,65,65,65,65");
    EXPECT_EQ(row_text(SCREEN_PAGE(0), 1),
              drawn_over(std::string(40, '.'), "\"c\" is Ascii Seq:99"));
    EXPECT_EQ(row_text(SCREEN_PAGE(0), 2), std::string(40, '.'));
}

TEST_F(CharTest, GlyphsBelowThePageStillMoveTheCursor) {
    // Lines long enough to run far below the page: the cursor must end where drawing
    // every glyph one by one would leave it, with cells of 8, 16 and 7 pixels (7 does
    // not divide the screen width, so a row holds 46 glyphs and the last one overhangs).
    for (int32_t sheet : {128, 256, 112}) {
        for (int n : {1, 60, 73, 100, 300, 5000}) {
            SCREEN_CLEAR();
            IMAGE_DESTROY(FONT[0].SHEET);
            FONT[0].SHEET = nullptr;
            const std::string line(static_cast<size_t>(n), 'A');
            run_main(line + "\n", sheet);
            int64_t xp = 0, row = 1;
            const int32_t cell = sheet / 16;
            for (size_t g = 0; g < ascii_seq_text(line).size(); ++g) {
                xp += cell;
                if (xp >= 320) {
                    xp = 0;
                    row = std::min<int64_t>(row + 1, 30);
                }
            }
            EXPECT_EQ(TEXT_ROW(), row) << sheet << " " << n;
            if (row > 1) {
                EXPECT_EQ(TEXT_COLUMN(), 1);
            }
        }
    }
}

TEST_F(CharTest, EmptyFileDrawsNothingAndWaits) {
    run_main("");
    EXPECT_EQ(row_text(SCREEN_PAGE(0), 0), std::string(40, '.'));
    EXPECT_EQ(headless::pending_keys(), 0u);
}

TEST(MainDeathTest, MissingInputIsAnIllegalFunctionCall) {
    FILE.redim(0, 0);
    FILE[0].MODE = free_file_number();
    FILE[0].FILE = "/nonexistent/chartest.txt";
    EXPECT_EXIT(MAIN(), ::testing::ExitedWithCode(1),
                "runtime error 1 \\(illegal function call\\) at line [0-9]+ of "
                "demo/chartest_loop.cpp::MAIN\\(\\)");
    FILE.erase();
}

TEST(LoadBmp, SheetsAndFailures) {
    TempDir dir;
    std::vector<uint32_t> pixels(16 * 32, 0x80FF0000);
    ASSERT_TRUE(write_bmp32(dir.file("ok.bmp"), 16, 32, pixels));
    IMAGE sheet = LOADBMP(dir.file("ok.bmp"));
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->WIDTH, 16);
    EXPECT_EQ(sheet->HEIGHT, 32);
    EXPECT_EQ(sheet->pixels[0], 0x80FF0000u);
    IMAGE_DESTROY(sheet);
    EXPECT_EQ(LOADBMP(dir.file("missing.bmp")), nullptr);
    EXPECT_EXIT(LOADBMP(dir.write("text.bmp", "just some text, not a bitmap")),
                ::testing::ExitedWithCode(3), "text.bmp: .*\n.*file I/O error.*::LOADBMP\\(\\)");
    EXPECT_EQ(LOADBMP(dir.path().string()), nullptr) << "a folder cannot be opened as a sheet";
}

}  // namespace
}  // namespace chartest
