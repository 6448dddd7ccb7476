// The property array display: the listing, the box image and the diagnostics.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "tests/colour_fixture.h"
#include "support/memory_management.h"
#include "support/property_display.h"
#include "support/vga_lookup.h"

namespace chartest {
namespace {

constexpr uint32_t BACKGROUND = 0xFF202020u;

// A database holding exactly these records, in this order (not sorted).
PropertyDb stored(const std::vector<std::pair<std::string, std::string>>& records) {
    PropertyDb db;
    if (records.empty()) return db;
    db.redim(0, static_cast<int32_t>(records.size()) - 1);
    for (size_t i = 0; i < records.size(); ++i) {
        db[static_cast<int32_t>(i)].LABEL = records[i].first;
        db[static_cast<int32_t>(i)].VALUE = records[i].second;
    }
    return db;
}

PropertyDb emptied() {
    PropertyDb db;
    PROPERTY_DATABASE_SET(db, "k", "v");
    PROPERTY_DATABASE_DELETE(db, "k");
    return db;
}

// A copy of the work page's pixels.
std::vector<uint32_t> work_pixels() { return SCREEN_WORK_PAGE()->pixels; }

class PropertyDisplay : public ColourTableScreen {
protected:
    void SetUp() override {
        ColourTableScreen::SetUp();
        SCREEN_COLOR(0, BACKGROUND, COLOR_BACKGROUND);
        SCREEN_CLEAR();
        DBDEBUGENABLED = 0;
    }
    void TearDown() override {
        DBDEBUGENABLED = 0;
        ColourTableScreen::TearDown();
    }
};

TEST_F(PropertyDisplay, ListsEveryRecordInStoredOrder) {
    struct Case {
        const char* what;
        PropertyDb db;
        std::string laid_out;
    };
    std::vector<Case> cases;
    cases.push_back({"never used", PropertyDb(), ""});
    cases.push_back({"emptied: the placeholder", emptied(), "=\r\n"});
    cases.push_back({"two properties", stored({{"a", "1"}, {"b", "2"}}), "a=1\r\nb=2\r\n"});
    cases.push_back({"unsorted, empty label and value",
                     stored({{"b", "2"}, {"", "x"}, {"a", ""}}), "b=2\r\n=x\r\na=\r\n"});
    cases.push_back({"laid out 40 wide",
                     stored({{"long", std::string(45, 'v')}}),
                     "long=" + std::string(34, 'v') + "-\r\n" + std::string(11, 'v') + "\r\n"});
    for (Case& c : cases) {
        headless::push_keys("kz");
        std::string buff = "old";
        IMAGE image = nullptr;
        PROPERTY_SHOW_ARRAY(c.db, buff, image);
        EXPECT_EQ(buff, c.laid_out) << c.what;
        ASSERT_NE(image, nullptr) << c.what;
        EXPECT_EQ(image->WIDTH, 320) << c.what;
        EXPECT_EQ(image->HEIGHT, 240) << c.what;
        // One key: the renderer's wait, nothing more with the diagnostics off.
        EXPECT_EQ(headless::pending_keys(), 1u) << c.what;
        IMAGEDESTROY2(image);
        KEY_POLL();  // drop the spare key
    }
}

TEST_F(PropertyDisplay, ImageHoldsTheBoxAndReplacesTheOldOne) {
    PropertyDb db = stored({{"a", "1"}, {"b", "2"}});
    std::string buff;
    IMAGE image = IMAGE_CREATE(3, 3, 0xFFFFFFFFu);
    headless::push_keys("k");
    PROPERTY_SHOW_ARRAY(db, buff, image);  // the 3 x 3 image is freed (sanitizer runs see it)
    ASSERT_NE(image, nullptr);
    IMAGE want = IMAGE_CREATE(320, 240, 0);
    DRAW_TEXT(want, 0, 0, "a=1", 0xFF00FF00u);
    DRAW_TEXT(want, 0, 8, "b=2", 0xFF00FF00u);
    DRAW_LINE(want, 0, 0, 319, 239, 0x80FF0000u);
    DRAW_LINE(want, 319, 0, 0, 239, 0x80FF0000u);
    EXPECT_TRUE(image->pixels == want->pixels);
    IMAGEDESTROY2(want);
    IMAGEDESTROY2(image);
}

TEST_F(PropertyDisplay, DiagnosticsOffDrawNothingElse) {
    PropertyDb db = stored({{"a", "1"}});
    // The renderer prints its message on row 1; everything below stays as it was.
    const std::vector<uint32_t> before = work_pixels();
    headless::push_keys("kz");
    PROPERTY_SHOW_ARRAY_DIRECT(db);
    PROPERTY_SHOW_ARRAY_BOUNDS(db);
    EXPECT_EQ(headless::pending_keys(), 1u);
    const std::vector<uint32_t> after = work_pixels();
    EXPECT_TRUE(std::equal(before.begin() + 320 * 8, before.end(), after.begin() + 320 * 8));
    EXPECT_EQ(TEXT_ROW(), 2);
}

TEST_F(PropertyDisplay, DiagnosticsOnShowTheBoxAndWaitAgain) {
    DBDEBUGENABLED = 1;
    PropertyDb db = stored({{"a", "1"}});
    TEXT_PRINT("to be cleared");
    headless::push_keys("kz");
    std::string buff;
    IMAGE image = nullptr;
    PROPERTY_SHOW_ARRAY(db, buff, image);
    EXPECT_EQ(headless::pending_keys(), 0u);
    // The screen was cleared and the box blended onto it at the top left corner; the
    // message line after it printed an empty line.
    IMAGE want = IMAGE_CREATE(320, 240, BACKGROUND);
    IMAGE_PUT(want, 0, 0, image);
    EXPECT_TRUE(SCREEN_WORK_PAGE()->pixels == want->pixels);
    EXPECT_TRUE(SCREEN_PAGE(0)->pixels == want->pixels);
    EXPECT_EQ(TEXT_ROW(), 2);
    IMAGEDESTROY2(want);
    IMAGEDESTROY2(image);

    // The direct form waits twice as well.
    headless::push_keys("kzq");
    PROPERTY_SHOW_ARRAY_DIRECT(db);
    EXPECT_EQ(headless::pending_keys(), 1u);
}

TEST_F(PropertyDisplay, BoundsInRedWhileDiagnosticsAreOn) {
    DBDEBUGENABLED = 1;
    struct Case {
        PropertyDb db;
        std::string line;
    };
    std::vector<Case> cases;
    cases.push_back({stored({{"a", "1"}, {"b", "2"}, {"c", "3"}}), "LBound: \"0\" To UBound: \"2\""});
    cases.push_back({emptied(), "LBound: \"-1\" To UBound: \"-1\""});
    cases.push_back({PropertyDb(), "LBound: \"0\" To UBound: \"-1\""});
    for (Case& c : cases) {
        // What printing the expected line in opaque red gives.
        SCREEN_CLEAR();
        SCREEN_COLOR(0xFFFF0000u);
        TEXT_PRINT(c.line);
        const std::vector<uint32_t> want = work_pixels();

        SCREEN_CLEAR();
        SCREEN_COLOR(0xFFFFFFFFu);
        PROPERTY_SHOW_ARRAY_BOUNDS(c.db);
        EXPECT_TRUE(work_pixels() == want) << c.line;
        EXPECT_EQ(SCREEN_FOREGROUND(), 0xFFFF0000u);
        EXPECT_EQ(TEXT_ROW(), 2);
    }
}

TEST_F(PropertyDisplay, EscapeAtEitherWaitEndsTheProgram) {
    PropertyDb db = stored({{"a", "1"}});
    for (const std::string keys : {"\\e", "k\\e"}) {
        EXPECT_EXIT(
            {
                DBDEBUGENABLED = 1;
                headless::push_keys(keys);
                PROPERTY_SHOW_ARRAY_DIRECT(db);
                std::exit(3);
            },
            ::testing::ExitedWithCode(0), "")
            << keys;
    }
}

}  // namespace
}  // namespace chartest
