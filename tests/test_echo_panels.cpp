// The echo panels: a text box over the whole screen, two key waits.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/colour_fixture.h"
#include "support/memory_management.h"
#include "support/text_box.h"
#include "support/vga_lookup.h"

namespace chartest {
namespace {

constexpr uint32_t BACKGROUND = 0xFF202020u;

using Panel = std::function<std::string(const std::string&)>;

class EchoPanel : public ColourTableScreen {
protected:
    void SetUp() override {
        ColourTableScreen::SetUp();
        SCREEN_COLOR(0, BACKGROUND, COLOR_BACKGROUND);
        SCREEN_CLEAR();
    }

    // What the work page should hold below the two message rows: the cleared screen with
    // the first 30 lines in green, cut at column 40, and the green cross blended over it.
    static IMAGE expected_page(const std::vector<std::string>& lines) {
        IMAGE box = IMAGE_CREATE(320, 240, 0);
        for (size_t i = 0; i < lines.size() && i < 30; ++i)
            DRAW_TEXT(box, 0, static_cast<int32_t>(i) * 8, lines[i], 0xFF00FF00u);
        DRAW_LINE(box, 0, 0, 319, 239, 0xC400FF00u);
        DRAW_LINE(box, 319, 0, 0, 239, 0xC400FF00u);
        IMAGE page = IMAGE_CREATE(320, 240, BACKGROUND);
        IMAGE_PUT(page, 0, 0, box);
        IMAGEDESTROY2(box);
        return page;
    }

    // True when rows 16 to 239 of the work page equal those of `want`.
    static bool page_matches_below_messages(IMAGE want) {
        IMAGE work = SCREEN_WORK_PAGE();
        for (int32_t y = 16; y < 240; ++y)
            for (int32_t x = 0; x < 320; ++x)
                if (PIXEL_GET(work, x, y) != PIXEL_GET(want, x, y)) return false;
        return true;
    }

    static bool cell_has(IMAGE page, int32_t row, uint32_t colour) {
        for (int32_t y = (row - 1) * 8; y < row * 8; ++y)
            for (int32_t x = 0; x < 8; ++x)
                if (PIXEL_GET(page, x, y) == colour) return true;
        return false;
    }
};

TEST_F(EchoPanel, ShowsTheFirstThirtyLinesUnderAGreenCross) {
    std::string buffer;
    std::vector<std::string> lines;
    for (int i = 1; i <= 33; ++i) {
        lines.push_back("line " + std::to_string(i) + (i == 2 ? std::string(45, '#') : ""));
        buffer += lines.back() + (i < 33 ? "\r\n" : "");
    }
    for (const Panel& panel : {Panel(SEQ_ECHO_DIRECT), Panel(PROPERTY_ECHO_DIRECT)}) {
        SCREEN_CLEAR();
        const std::string before = buffer;
        headless::push_keys("ab");
        EXPECT_EQ(panel(buffer), buffer);
        EXPECT_EQ(buffer, before);
        EXPECT_EQ(headless::pending_keys(), 0u);
        IMAGE want = expected_page(lines);
        EXPECT_TRUE(page_matches_below_messages(want));
        // The second wait showed the panel: the visible page is the work page.
        EXPECT_EQ(PIXEL_GET(SCREEN_PAGE(0), 160, 120), PIXEL_GET(want, 160, 120));
        IMAGEDESTROY2(want);
    }
}

TEST_F(EchoPanel, EmptyBufferShowsOnlyTheCross) {
    headless::push_keys("ab");
    EXPECT_EQ(PROPERTY_ECHO_DIRECT(""), "");
    IMAGE want = expected_page({});
    EXPECT_TRUE(page_matches_below_messages(want));
    // On the diagonal: green at alpha 196 over the background, nothing of the red cross.
    EXPECT_EQ(PIXEL_GET(nullptr, 319, 239), PIXEL_GET(want, 319, 239));
    const int64_t on_cross = PIXEL_GET(nullptr, 319, 239);
    EXPECT_LT((on_cross >> 16) & 0xFF, 0x10);  // the red cross is gone
    EXPECT_GT((on_cross >> 8) & 0xFF, 0xC0);
    EXPECT_EQ(PIXEL_GET(nullptr, 200, 50), BACKGROUND);
    IMAGEDESTROY2(want);
}

TEST_F(EchoPanel, MessagesOnTheMessageLine) {
    // Row 1 holds the renderer's Escape glyph (under the panel); row 2 the panel's own
    // message: the Escape glyph for the sequence panel, an empty line for the property one.
    headless::push_keys("ab");
    SEQ_ECHO_DIRECT("");
    EXPECT_TRUE(cell_has(SCREEN_PAGE(0), 2, MESSAGE_COLOUR));
    EXPECT_EQ(TEXT_ROW(), 3);

    SCREEN_CLEAR();
    headless::push_keys("ab");
    PROPERTY_ECHO_DIRECT("");
    EXPECT_TRUE(cell_has(SCREEN_PAGE(0), 1, MESSAGE_COLOUR));
    EXPECT_FALSE(cell_has(SCREEN_PAGE(0), 2, MESSAGE_COLOUR));
    EXPECT_EQ(TEXT_ROW(), 3);
    EXPECT_EQ(SCREEN_FOREGROUND(), MESSAGE_COLOUR);
}

TEST_F(EchoPanel, EscapeAtEitherWaitEndsTheProgram) {
    for (const Panel& panel : {Panel(SEQ_ECHO_DIRECT), Panel(PROPERTY_ECHO_DIRECT)}) {
        for (const std::string keys : {"\\e", "a\\e", "\\{Close}", "a\\{Close}"}) {
            EXPECT_EXIT(
                {
                    headless::push_keys(keys);
                    panel("text");
                    std::exit(3);  // not reached when a wait ended the program
                },
                ::testing::ExitedWithCode(0), "")
                << keys;
        }
    }
}

}  // namespace
}  // namespace chartest
