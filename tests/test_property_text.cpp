// The ".Property" text form: export and import.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/headless_fixture.h"
#include "support/property_core.h"

namespace chartest {
namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs pairs(PropertyDb& db) {
    Pairs out;
    for (int32_t i = 0; i <= db.ubound(); ++i) {
        EXPECT_EQ(db[i].ITERATOR, -1);
        EXPECT_EQ(db[i].IMAGE, nullptr);
        out.emplace_back(db[i].LABEL, db[i].VALUE);
    }
    return out;
}

PropertyDb imported(std::string text) {
    PropertyDb db;
    PROPERTY_DATABASE_IMPORT(db, text);
    EXPECT_EQ(text, "");
    return db;
}

TEST(PropertyText, CrlfBuffer) {
    std::string empty;
    EXPECT_EQ(PROPERTY_DB_CRLF_BUFFER(empty), "");
    EXPECT_EQ(empty, "");
    std::string text = "a";
    EXPECT_EQ(PROPERTY_DB_CRLF_BUFFER(text), "a\r\n");
    EXPECT_EQ(text, "a\r\n");
}

TEST(PropertyText, Export) {
    PropertyDb db;
    PROPERTY_DATABASE_SET(db, "b", "2");
    PROPERTY_DATABASE_SET(db, "a", "1");
    PROPERTY_DATABASE_SET(db, "no value", "");
    PROPERTY_DATABASE_SET(db, "", "no label");
    PROPERTY_DATABASE_SET(db, " s ", " = x\r\ny ");
    std::string buffer;
    EXPECT_EQ(PROPERTY_DATABASE_EXPORT(db, buffer), " s = = x\r\ny \r\na=1\r\nb=2");
    EXPECT_EQ(buffer, " s = = x\r\ny \r\na=1\r\nb=2");

    // Appends after what the buffer holds, separated by CR LF.
    buffer = "head";
    PROPERTY_DATABASE_EXPORT(db, buffer);
    EXPECT_EQ(buffer, "head\r\n s = = x\r\ny \r\na=1\r\nb=2");

    // An empty database (never used, emptied, or holding nothing exportable) leaves the
    // buffer as it was.
    for (int state = 0; state < 3; ++state) {
        PropertyDb e;
        if (state >= 1) PROPERTY_DATABASE_SET(e, "k", "");
        if (state == 2) PROPERTY_DATABASE_DELETE(e, "k");
        buffer = "keep";
        EXPECT_EQ(PROPERTY_DATABASE_EXPORT(e, buffer), "keep") << state;
    }
}

TEST(PropertyText, ExportSortsTheCallersDatabase) {
    PropertyDb db;
    PROPERTY_INC_CAPACITY(db, 2);
    db[0].LABEL = "b";
    db[0].VALUE = "2";
    db[1].LABEL = "a";
    db[1].VALUE = "1";
    std::string buffer;
    PROPERTY_DATABASE_EXPORT(db, buffer);
    EXPECT_EQ(buffer, "a=1\r\nb=2");
    EXPECT_EQ(db[0].LABEL, "a");
}

TEST(PropertyText, ImportCases) {
    struct Case {
        std::string text;
        Pairs expected;
    };
    const std::vector<Case> cases = {
        {"a=1\r\n\r\nx\r\nb=c=d\r\n", {{"a", "1"}, {"b", "c=d"}}},
        {"k=1\nj=2\nz", {{"k", "1\nj=2\nz"}}},                          // LF alone is data
        {"k=first\r\na=0\r\nk=second", {{"a", "0"}, {"k", "first"}, {"k", "second"}}},
        {" a = 1 \r\n=empty label\r\nempty value=", {{"", "empty label"}, {" a ", " 1 "}, {"empty value", ""}}},
        {"x\r\ny\r\n", {}},
        {"\r\n\r\n", {}},
        {"a=1\r", {{"a", "1\r"}}},
        {"\r\na=1\r\r\n\nb=2", {{"\nb", "2"}, {"a", "1\r"}}},
        {std::string("z\0=\0\r\ny=1", 9), {{"y", "1"}, {std::string("z\0", 2), std::string("\0", 1)}}},
    };
    for (const Case& c : cases) {
        PropertyDb db = imported(c.text);
        EXPECT_EQ(pairs(db), c.expected) << c.text;
    }
}

TEST(PropertyText, ImportReplacesAndEmpties) {
    PropertyDb db = imported("a=1\r\nb=2");
    std::string text = "c=3";
    PROPERTY_DATABASE_IMPORT(db, text);
    EXPECT_EQ(pairs(db), (Pairs{{"c", "3"}}));

    text.clear();
    PROPERTY_DATABASE_IMPORT(db, text);
    EXPECT_EQ(db.lbound(), -1);
    EXPECT_EQ(db.ubound(), -1);

    PropertyDb never;
    PROPERTY_DATABASE_IMPORT(never, text);
    EXPECT_EQ(never.lbound(), 0);
    EXPECT_EQ(never.ubound(), -1);
}

TEST(PropertyText, RoundTrip) {
    PropertyDb db;
    uint32_t x = 99;
    for (int i = 0; i < 500; ++i) {
        x = x * 1103515245u + 12345u;
        std::string label = "L" + std::to_string(x % 10007), value(1 + x % 7, static_cast<char>(x >> 24));
        if (value.find_first_of("\r\n") != std::string::npos) value = "v";
        PROPERTY_DATABASE_SET(db, label, value);
    }
    std::string text;
    PROPERTY_DATABASE_EXPORT(db, text);
    const std::string first = text;
    PropertyDb back = imported(text);
    EXPECT_EQ(pairs(back).size(), static_cast<size_t>(db.count()));
    for (int32_t i = 0; i <= db.ubound(); ++i) {
        EXPECT_EQ(back[i].LABEL, db[i].LABEL);
        EXPECT_EQ(back[i].VALUE, db[i].VALUE);
    }
    std::string again;
    PROPERTY_DATABASE_EXPORT(back, again);
    EXPECT_EQ(again, first);

    // A value holding CR LF comes back cut; the rest is a property only with an "=".
    PropertyDb cut;
    PROPERTY_DATABASE_SET(cut, "a", "1\r\nrest");
    PROPERTY_DATABASE_SET(cut, "b", "2\r\nc=3");
    text.clear();
    PROPERTY_DATABASE_EXPORT(cut, text);
    PropertyDb cut_back = imported(text);
    EXPECT_EQ(pairs(cut_back), (Pairs{{"a", "1"}, {"b", "2"}, {"c", "3"}}));
}

// With diagnostics on, each property is shown in light green and waits for a key.
class PropertyTextDebug : public HeadlessScreen {
protected:
    void TearDown() override {
        DBDEBUGENABLED = 0;
        HeadlessScreen::TearDown();
    }
};

TEST_F(PropertyTextDebug, ImportShowsEachPropertyAndWaits) {
    DBDEBUGENABLED = 1;
    headless::push_keys("xy");
    PropertyDb db = imported("b=2\r\nnothing\r\na=1");
    EXPECT_EQ(pairs(db), (Pairs{{"a", "1"}, {"b", "2"}}));
    EXPECT_EQ(headless::pending_keys(), 0u);
    // Two lines printed plus the two empty message lines: the cursor is on row 5.
    EXPECT_EQ(TEXT_ROW(), 5);
    // The first character printed, the double quote, is in light green on row 1; the
    // message line then switched the colour to index 15 without a table.
    bool green = false;
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 8; ++x) green = green || PIXEL_GET(nullptr, x, y) == 0xFF3FFF3F;
    EXPECT_TRUE(green);
    EXPECT_EQ(SCREEN_FOREGROUND(), 0x0000000Fu);
}

TEST_F(PropertyTextDebug, EscapeDuringTheImportEndsTheProgram) {
    DBDEBUGENABLED = 1;
    EXPECT_EXIT(
        {
            headless::push_keys("\\e");
            imported("a=1\r\nb=2");
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace chartest
