#include <gtest/gtest.h>

#include <string>

#include "platform/headless.h"
#include "platform/screen.h"
#include "support/string_support.h"
#include "tests/headless_fixture.h"

namespace chartest {
namespace {

class Prompt : public HeadlessScreen {
protected:
    void SetUp() override {
        HeadlessScreen::SetUp();
        SCREEN_CLEAR();
    }
};

TEST_F(Prompt, KeysBuildTheValue) {
    const struct {
        std::string keys, value, screen;
    } cases[] = {
        {"abc\r", "abc", "> abc"},
        {"ab\bc\r", "ac", "> ac"},        // Backspace in the middle
        {"\b\bx\r", "x", "> x"},          // Backspace at the start changes nothing
        {"\r", "", "> "},                 // Enter at the start
        {"a\tb\r", "ab", "> ab"},         // Tab is ignored
        {"a\x01\x1f\r", "a", "> a"},      // so is every control character
        {"ab\b\b\bc\r", "c", "> c"},      // more Backspaces than characters
    };
    for (const auto& c : cases) {
        SCREEN_CLEAR();
        headless::push_keys(c.keys);
        EXPECT_EQ(PROMPT("> "), c.value) << c.keys;
        EXPECT_TRUE(row_shows(1, c.screen)) << c.keys;
        EXPECT_EQ(TEXT_ROW(), 2) << "Enter ends the line";
        EXPECT_EQ(TEXT_COLUMN(), 1);
    }
}

TEST_F(Prompt, CharactersAboveControlCodesAndSpecialKeysAreAppended) {
    headless::push_key("\x7f");
    headless::push_key("\xe9");
    headless::push_key(key::UP);
    headless::push_keys("\r");
    EXPECT_EQ(PROMPT(""), "\x7f\xe9\xffH");
    EXPECT_TRUE(row_shows(1, "\x7f\xe9\xffH"));
}

TEST_F(Prompt, StartsAtTheCursorAndKeepsColoursAndEarlierText) {
    TEXT_PRINT("before", true);
    TEXT_PRINT("Name:", false);
    headless::push_keys("ok\r");
    EXPECT_EQ(PROMPT(" "), "ok");
    EXPECT_TRUE(row_shows(1, "before"));
    EXPECT_TRUE(row_shows(2, "Name: ok"));
    EXPECT_EQ(SCREEN_FOREGROUND(), 0xFFFFFFFFu);
}

TEST_F(Prompt, PollsWithOneMillisecondSleepUntilAKeyArrives) {
    for (int i = 0; i < 250; ++i) headless::push_key("");  // polls that find no key
    headless::push_keys("a\r");
    const size_t polls_before = headless::poll_count();
    EXPECT_EQ(PROMPT(""), "a");
    EXPECT_EQ(headless::poll_count() - polls_before, 252u);
    EXPECT_DOUBLE_EQ(headless::clock(), 0.252);
}

TEST_F(Prompt, EntryColumnStaysPutAtTheRightEdge) {
    // The label fills 39 columns, so the entry column is the last one; the frame
    // printed there wraps the cursor, and the typed text must still land in column 40.
    const std::string label(39, '.');
    headless::push_keys("xy\r");
    EXPECT_EQ(PROMPT(label), "xy");
    EXPECT_TRUE(row_shows(1, label + "x"));
    EXPECT_TRUE(row_shows(2, "y"));

    // On the last row the first frame scrolls the page up one row and the entry
    // follows it; the line break of Enter scrolls once more.
    SCREEN_CLEAR();
    TEXT_LOCATE(30, 1);
    headless::push_keys("x\b\bz\r");
    EXPECT_EQ(PROMPT(label), "z");
    EXPECT_TRUE(row_shows(28, label + "z"));
    EXPECT_TRUE(row_shows(29, ""));
    EXPECT_TRUE(row_shows(30, ""));
}

TEST_F(Prompt, BackspaceAcrossARowBoundary) {
    const std::string label(38, '.');
    headless::push_keys("abc\b\bd\r");
    EXPECT_EQ(PROMPT(label), "ad");
    EXPECT_TRUE(row_shows(1, label + "ad"));
    EXPECT_TRUE(row_shows(2, ""));
}

TEST_F(Prompt, EscapeAndWindowCloseEndTheProgram) {
    headless::push_keys("ab\e");
    EXPECT_EXIT(PROMPT("> "), ::testing::ExitedWithCode(0), "");
    headless::push_keys("ab");
    headless::set_close_when_empty(true);
    EXPECT_EXIT(PROMPT("> "), ::testing::ExitedWithCode(0), "");
}

TEST_F(Prompt, CursorFrameFollowsTheClock) {
    const struct {
        double seconds;
        const char* frame;
    } cases[] = {{0.0, "\\"}, {0.24, "\\"}, {0.25, "|"}, {0.5, "/"},
                 {0.75, "-"}, {1.0, "\\"}, {2.6, "/"},  {1000.99, "-"}};
    for (const auto& c : cases) {
        headless::set_clock(c.seconds);
        EXPECT_EQ(ANICURSOR(), c.frame) << c.seconds;
    }
}

}  // namespace
}  // namespace chartest
