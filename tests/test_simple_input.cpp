// The message line and its key wait, on the headless back end.
#include <gtest/gtest.h>

#include <string>

#include "tests/headless_fixture.h"
#include "support/simple_input.h"
#include "support/vga_lookup.h"

namespace chartest {
namespace {

// True when the 8x8 cell at text row `row` (1-based) holds any pixel in `colour`.
bool row_has(IMAGE page, int32_t row, uint32_t colour) {
    for (int32_t y = (row - 1) * 8; y < row * 8; ++y)
        for (int32_t x = 0; x < 320; ++x)
            if (PIXEL_GET(page, x, y) == colour) return true;
    return false;
}

class SimpleSleep : public HeadlessScreen {
protected:
    void SetUp() override {
        HeadlessScreen::SetUp();
        table_.redim(0, 15);
        for (int32_t i = 0; i <= 15; ++i) table_[i] = "&HFF0000" + std::to_string(10 + i);
    }
    StringTable table_;  // loaded: index i is 0xFF0000xx
};

TEST_F(SimpleSleep, EmptyMessagePrintsALineShowsAndReturnsTheKey) {
    headless::push_keys("q");
    std::string msg;
    EXPECT_EQ(SIMPLESLEEP(table_, msg, 15), "q");
    EXPECT_EQ(TEXT_ROW(), 2);
    EXPECT_EQ(TEXT_COLUMN(), 1);
    EXPECT_EQ(SCREEN_FOREGROUND(), 0xFF000025u);
    EXPECT_EQ(msg, "");
}

TEST_F(SimpleSleep, LinesArePrintedInOrderThenShown) {
    headless::push_keys("k");
    std::string msg = "AB\r\nCD";
    EXPECT_EQ(SIMPLESLEEP(table_, msg, 15), "k");
    EXPECT_EQ(msg, "CD");
    EXPECT_EQ(TEXT_ROW(), 3);
    // Both lines reached the visible page in the colour of entry 15.
    IMAGE visible = SCREEN_PAGE(0);
    EXPECT_TRUE(row_has(visible, 1, 0xFF000025u));
    EXPECT_TRUE(row_has(visible, 2, 0xFF000025u));
    EXPECT_FALSE(row_has(visible, 3, 0xFF000025u));
}

TEST_F(SimpleSleep, ImmediateLineReturnsAtOnceAndKeepsTheRest) {
    const size_t polls = headless::poll_count();
    std::string msg = "one\r\n\x1btwo\r\nthree\r\nfour";
    EXPECT_EQ(SIMPLESLEEP(table_, msg, 15), "");
    EXPECT_EQ(msg, "three\r\nfour");
    EXPECT_EQ(TEXT_ROW(), 3);  // "one" and "two"
    EXPECT_EQ(headless::poll_count(), polls);
    EXPECT_FALSE(row_has(SCREEN_PAGE(0), 1, 0xFF000025u));  // not shown
    EXPECT_TRUE(row_has(SCREEN_PAGE(1), 2, 0xFF000025u));   // "two" without the Escape

    // Escape on the last line, or without a CR LF after it, is printed and waits.
    headless::push_keys("z");
    msg = "\x1b";
    EXPECT_EQ(SIMPLESLEEP(table_, msg, 15), "z");
    EXPECT_EQ(msg, "\x1b");
}

TEST_F(SimpleSleep, KeysAndColours) {
    // A special key comes back as its two bytes; the wait sleeps 1 ms between polls.
    headless::push_key("");
    headless::push_key("");
    headless::push_key(key::UP);
    const double start = headless::clock();
    std::string msg;
    EXPECT_EQ(SIMPLESLEEP(table_, msg, 3), key::UP);
    EXPECT_EQ(SCREEN_FOREGROUND(), 0xFF000013u);
    EXPECT_GE(headless::clock() - start, 0.002);

    // The low 32 bits of VGA are a signed index: 0xFFFFFFFF is -1, the colour itself.
    headless::push_keys("a");
    SIMPLESLEEP(table_, msg, 0xABCDEF00FFFFFFFFull);
    EXPECT_EQ(SCREEN_FOREGROUND(), 0xFFFFFFFFu);
    // Indices the table lacks and an unloadable table give the index as colour.
    headless::push_keys("a");
    SIMPLESLEEP(table_, msg, 200);
    EXPECT_EQ(SCREEN_FOREGROUND(), 200u);
    StringTable unloaded;
    headless::push_keys("a");
    SIMPLESLEEP(unloaded, msg, 15);
    EXPECT_EQ(SCREEN_FOREGROUND(), 0x0000000Fu);
    EXPECT_EQ(unloaded.ubound(), -1);
}

TEST_F(SimpleSleep, OwnTableForm) {
    headless::push_keys("x");
    std::string msg = "hi";
    EXPECT_EQ(SIMPLESLEEP(msg, 15), "x");
    EXPECT_EQ(msg, "hi");
}

TEST_F(SimpleSleep, EscapeAndCloseEndTheProgram) {
    std::string msg = "bye";
    EXPECT_EXIT(
        {
            headless::push_keys("\\e");
            SIMPLESLEEP(table_, msg, 15);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(
        {
            headless::push_keys("\\{Close}");
            SIMPLESLEEP(msg, 15);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace chartest
