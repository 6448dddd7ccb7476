// The shorthand operations and the tinker command, on real databases.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tests/colour_fixture.h"
#include "support/property_shorthand.h"
#include "support/vga_lookup.h"
#include "tests/property_fixture.h"

namespace chartest {
namespace {

namespace fs = std::filesystem;

PropertyDb with(const Pairs& properties) {
    PropertyDb db;
    for (const auto& [label, value] : properties) PROPERTY_DATABASE_SET(db, label, value);
    return db;
}

// A headless screen, a colour table and a temporary working directory.
class Shorthand : public ColourTableScreen {
protected:
    void SetUp() override {
        ColourTableScreen::SetUp();
        old_cwd_ = fs::current_path();
        fs::current_path(dir_.path());
    }
    void TearDown() override {
        fs::current_path(old_cwd_);
        DBDEBUGENABLED = 0;
        ColourTableScreen::TearDown();
    }
    TempDir dir_;
    fs::path old_cwd_;
};

TEST_F(Shorthand, GetSetQuerySort) {
    PropertyDb db;
    const PROPERTY_DB_TYPE set = SH_SET(db, "b", "2");
    EXPECT_EQ(set.ITERATOR, 0);
    EXPECT_EQ(set.VALUE, "2");
    EXPECT_EQ(SH_SET(db, "a", "1").ITERATOR, 0);
    EXPECT_EQ(SH_GET(db, "b").VALUE, "2");
    EXPECT_EQ(SH_GET(db, "zz").ITERATOR, -1);

    EXPECT_EQ(SH_QUERY(db, "a"), "a:\"1\"");
    EXPECT_EQ(SH_QUERY(db, "zz"), "zz:\"\"");
    EXPECT_EQ(SH_QUERY(db, ""), ":\"\"");

    db[0].LABEL = "z";  // out of order
    SH_SORT(db);
    EXPECT_EQ(pairs(db), (Pairs{{"b", "2"}, {"z", "1"}}));
}

TEST_F(Shorthand, EchoAddsACaptionLine) {
    std::string buffer;
    EXPECT_EQ(SH_ECHO(buffer, "one"), "--- one ---");
    EXPECT_EQ(buffer, "");

    buffer = "--- one ---";
    EXPECT_EQ(SH_ECHO(buffer, "two"), "--- one ---\r\n--- two ---");
    EXPECT_EQ(buffer, "--- one ---\r\n");
    SH_ECHO(buffer, "three");
    EXPECT_EQ(buffer, "--- one ---\r\n\r\n");

    std::string echo;
    echo = SH_ECHO(echo, "a");
    echo = SH_ECHO(echo, "b");
    EXPECT_EQ(echo, "--- a ---\r\n--- b ---");
}

TEST_F(Shorthand, LoadPutsTheExtensionOnTheName) {
    dir_.write("db.Property", "a=1\r\nb=2");
    const size_t polls = headless::poll_count();
    const std::vector<std::pair<std::string, std::string>> names = {
        {"db", "db.Property"},
        {"db.Property", "db.Property"},
        {"db.Property.old", "db.Property"},
    };
    for (const auto& [given, used] : names) {
        PropertyDb db = with({{"x", "9"}});
        std::string name = given;
        SH_LOAD(db, name);
        EXPECT_EQ(name, used) << given;
        EXPECT_EQ(pairs(db), (Pairs{{"a", "1"}, {"b", "2"}})) << given;
    }
    // A name that finds no file leaves no properties.
    PropertyDb db = with({{"x", "9"}});
    std::string name;
    SH_LOAD(db, name);
    EXPECT_EQ(name, ".Property");
    EXPECT_EQ(db.ubound(), -1);
    EXPECT_EQ(headless::poll_count(), polls);  // a load waits for nothing
}

TEST_F(Shorthand, SaveUsesTheNameAsGiven) {
    PropertyDb db = with({{"b", "2"}, {"a", "1"}});
    headless::push_keys("123");
    SH_SAVE(db, "out");
    EXPECT_EQ(headless::pending_keys(), 0u);
    EXPECT_EQ(read_file_bytes(dir_.file("out")), "a=1\r\nb=2");
    EXPECT_FALSE(fs::exists(dir_.file("out.Property")));
}

TEST_F(Shorthand, DirectShowsThePanelAndWaitsThreeTimes) {
    PropertyDb db;
    db.redim(0, 1);
    db[0].LABEL = "b", db[0].VALUE = "2";
    db[1].LABEL = "a", db[1].VALUE = "1";
    std::string echo = "--- Adding: \"a\" ---";
    // Something on the work page that the clear removes.
    fill_rect(*SCREEN_WORK_PAGE(), 0, 0, 320, 240, 0xFFABCDEFu);
    headless::push_keys("123x");
    EXPECT_EQ(SH_DIRECT(db, echo), "");
    EXPECT_EQ(echo, "");
    EXPECT_EQ(headless::pending_keys(), 1u);
    EXPECT_EQ(pairs(db), (Pairs{{"a", "1"}, {"b", "2"}}));  // sorted by the export
    EXPECT_NE(PIXEL_GET(nullptr, 300, 120), 0xFFABCDEFu);

    // The panel showed the echo text followed by the database; rows 1 to 3 of the text
    // box lie under the message lines, so compare a box drawn the same way.
    IMAGE box = IMAGE_CREATE(320, 240, SCREEN_BACKGROUND());
    DRAW_TEXT(box, 0, 0, "--- Adding: \"a\" ---", 0xFF00FF00u);
    DRAW_TEXT(box, 0, 8, "a=1", 0xFF00FF00u);
    DRAW_TEXT(box, 0, 16, "b=2", 0xFF00FF00u);
    for (int32_t x = 24; x < 160; ++x)  // right of the message glyphs, above the cross
        for (int32_t y = 0; y < 24; ++y)
            if (PIXEL_GET(box, x, y) == 0xFF00FF00u) {
                EXPECT_EQ(PIXEL_GET(nullptr, x, y), 0xFF00FF00u) << x << "," << y;
            }
    IMAGE_DESTROY(box);
}

TEST_F(Shorthand, BoundsWaitsOnceAndDropsTheEcho) {
    PropertyDb db = with({{"a", "1"}});
    std::string echo = "--- Sorting ---";
    headless::push_keys("1x");
    EXPECT_EQ(SH_BOUNDS(db, echo), "");
    EXPECT_EQ(echo, "");
    EXPECT_EQ(headless::pending_keys(), 1u);
    EXPECT_EQ(TEXT_ROW(), 2);  // the Escape glyph only: no bounds with diagnostics off

    DBDEBUGENABLED = 1;
    headless::push_keys("1");
    SH_BOUNDS(db, echo);
    EXPECT_EQ(TEXT_ROW(), 4);  // the bounds line, then the message
}

TEST_F(Shorthand, EscapeAtAnyWaitEndsTheProgram) {
    for (const std::string keys : {"\\e", "1\\e", "12\\e"}) {
        EXPECT_EXIT(
            {
                PropertyDb db = with({{"a", "1"}});
                std::string echo;
                headless::push_keys(keys);
                SH_DIRECT(db, echo);
                std::exit(3);
            },
            ::testing::ExitedWithCode(0), "")
            << keys;
    }
    EXPECT_EXIT(
        {
            PropertyDb db;
            std::string echo;
            headless::push_keys("\\{Close}");
            SH_BOUNDS(db, echo);
            std::exit(3);
        },
        ::testing::ExitedWithCode(0), "");
}

// ---- Tinker ------------------------------------------------------------------------------

struct TinkerCase {
    std::string behavior, label, value;
    std::string echo;   // returned and left in the echo variable
    std::string value_after;
    Pairs db_after;
};

TEST_F(Shorthand, TinkerCarriesOutTheBehaviourWord) {
    const std::string old_echo = "--- one ---\r\n--- two ---";
    const Pairs start = {{"a", "1"}, {"b", "2"}};
    const std::vector<TinkerCase> cases = {
        {"retrieve", "zz", "junk", "--- Retrieving: \"zz\": \"\" ---", "", start},
        {"Retrieve", "a", "junk", "--- Retrieving: \"a\": \"1\" ---", "1", start},
        {"ADD", "a", "9", "--- Adding: \"a\" ---", "9", {{"a", "9"}, {"b", "2"}}},
        {"Add", "c", "3", "--- Adding: \"c\" ---", "3", {{"a", "1"}, {"b", "2"}, {"c", "3"}}},
        {"aDD", "c", "", "--- Adding: \"c\" ---", "", {{"a", "1"}, {"b", "2"}, {"c", ""}}},
        {"delete", "a", "x", "--- Deleting: \"a\" ---", "", {{"b", "2"}}},
        {"Delete", "zz", "x", "--- Deleting: \"zz\" ---", "", start},
        {" sort", "", "keep", "--- Sorting ---", "keep", start},
        {"SORT ", "", "keep", "--- Sorting ---", "keep", start},
        {"sort  ", "", "x", old_echo, "", start},
        {"so rt", "", "x", old_echo, "", start},
        {"Fly", "a", "x", old_echo, "", start},
        {"", "a", "x", old_echo, "", start},
    };
    for (const TinkerCase& c : cases) {
        PropertyDb db = with(start);
        std::string echo = old_echo;
        std::string behavior = c.behavior;
        std::string value = c.value;
        EXPECT_EQ(SH_TINKER(db, echo, behavior, c.label, value), c.echo) << c.behavior;
        EXPECT_EQ(echo, c.echo) << c.behavior;
        EXPECT_EQ(behavior, "") << c.behavior;
        EXPECT_EQ(value, c.value_after) << c.behavior;
        EXPECT_EQ(pairs(db), c.db_after) << c.behavior;
    }
}

TEST_F(Shorthand, TinkerSortSortsTheRecords) {
    PropertyDb db;
    db.redim(0, 2);
    db[0].LABEL = "c", db[1].LABEL = "a", db[2].LABEL = "b";
    std::string echo, behavior = "sort", value;
    SH_TINKER(db, echo, behavior, "", value);
    EXPECT_EQ(pairs(db), (Pairs{{"a", ""}, {"b", ""}, {"c", ""}}));
    EXPECT_EQ(echo, "--- Sorting ---");
}

}  // namespace
}  // namespace chartest
