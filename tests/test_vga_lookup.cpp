// The VGA colour table: loading, number forms, lookups and the chart.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/headless_fixture.h"
#include "support/vga_lookup.h"

namespace chartest {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> entries(StringTable& t) {
    std::vector<std::string> out;
    for (int32_t i = t.lbound(); i <= t.ubound(); ++i) out.push_back(t[i]);
    return out;
}

TEST(VgaNumber, Forms) {
    const uint64_t max = ~uint64_t{0};
    struct Case {
        std::string text;
        uint64_t value;
    };
    for (const Case& c : std::vector<Case>{
             {"16", 16}, {"&H10", 16}, {"&h1f", 31}, {"&HfF", 255}, {"&O20", 16}, {"&o20", 16},
             {"&B10000", 16}, {"&b11", 3}, {"&17", 15}, {"&9", 0}, {"&", 0}, {"&H", 0},
             {"   &H10", 16}, {"12", 12}, {"   12", 12}, {"\t12", 12}, {"12abc", 12},
             {"+12", 12}, {"-1", max}, {"-42", uint64_t{0} - 42}, {"abc", 0}, {"", 0},
             {"\t&H10", 0},  // only spaces come before "&"
             {"&HFF000000", 0xFF000000u}, {"&H1FFFFFFFFFFFFFFFF", max},  // wraps
             {"&H10000000000000001", 1}, {"18446744073709551615", max},
             {"18446744073709551616", max}, {"99999999999999999999999", max},
             {"1 2", 1}, {"&B102", 2}, {"&O78", 7}, {std::string("1\0" "2", 3), 1},
         }) {
        EXPECT_EQ(vga_parse_number(c.text), c.value) << c.text;
    }
}

TEST(VgaTable, FillSplitsAtCrlfAndStripsQuotes) {
    struct Case {
        std::string text;
        std::vector<std::string> entries;
    };
    for (const Case& c : std::vector<Case>{
             {"\"16\"\r\n\"&H10\"\r\n\"&O20\"\r\n\"&B10000\"", {"16", "&H10", "&O20", "&B10000"}},
             {"1\r\n2\r\n", {"1", "2"}},
             {"1\r\n\r\n2", {"1", "", "2"}},
             {"\"\"a\"b\"\"\r\n\"\"\"", {"a\"b", ""}},
             {"1\n2\r3", {"1\n2\r3"}},
             {"\r\n", {""}},
         }) {
        StringTable t;
        t.redim(-1, -1);
        vga_fill_table(t, c.text);
        EXPECT_EQ(t.lbound(), 0) << c.text;
        EXPECT_EQ(entries(t), c.entries) << c.text;
    }
}

class VgaFiles : public HeadlessScreen {
protected:
    std::string write_table(const std::string& text) { return dir_.write("t.Property", text); }
    TempDir dir_;
};

TEST_F(VgaFiles, LoadAndLookup) {
    const std::string file = write_table("\"16\"\r\n\"&H10\"\r\n\"&O20\"\r\n\"&B10000\"\r\n");
    StringTable t;
    for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(VGA_LOOKUP2(t, i, file), 16u) << i;
    EXPECT_EQ(t.lbound(), 0);
    EXPECT_EQ(t.ubound(), 3);
    EXPECT_EQ(VGA_LOOKUP2(t, 4, file), 4u);
    EXPECT_EQ(VGA_LOOKUP2(t, -1, file), ~uint64_t{0});
    EXPECT_EQ(static_cast<uint32_t>(VGA_LOOKUP2(t, -1, file)), 0xFFFFFFFFu);
    EXPECT_EQ(VGA_LOOKUP2(t, 300, file), 300u);

    // Once loaded, the table is not read again.
    write_table("99");
    EXPECT_EQ(VGA_LOOKUP2(t, 0, file), 16u);
    // A load always starts afresh.
    VGA_LOAD(t, file);
    EXPECT_EQ(entries(t), (std::vector<std::string>{"99"}));
}

TEST_F(VgaFiles, MissingOrEmptyFileCountsAsUnloaded) {
    StringTable t;
    const std::string missing = dir_.file("none.Property");
    EXPECT_EQ(VGA_LOOKUP2(t, 15, missing), 15u);
    EXPECT_EQ(t.lbound(), -1);
    EXPECT_EQ(t.ubound(), -1);
    const std::string empty = dir_.write("empty.Property", "");
    EXPECT_EQ(VGA_LOOKUP2(t, 15, empty), 15u);
    EXPECT_EQ(t.ubound(), -1);
    // A directory is not a file.
    EXPECT_EQ(VGA_LOOKUP2(t, 3, dir_.path().string()), 3u);
    // Each lookup tries again: once the file appears it is loaded.
    dir_.write("none.Property", "1\r\n2");
    EXPECT_EQ(VGA_LOOKUP2(t, 1, missing), 2u);
    EXPECT_EQ(t.ubound(), 1);
}

TEST_F(VgaFiles, LookupReadsTheStandardFileEveryTime) {
    const fs::path old_cwd = fs::current_path();
    fs::current_path(dir_.path());
    EXPECT_EQ(VGA_LOOKUP(15), 15u);
    dir_.write("Assets/Property/VGA Table.Property", "0\r\n&HFF0000AA");
    EXPECT_EQ(VGA_LOOKUP(1), 0xFF0000AAu);
    dir_.write("Assets/Property/VGA Table.Property", "0\r\n7");
    EXPECT_EQ(VGA_LOOKUP(1), 7u);
    fs::current_path(old_cwd);
}

TEST_F(VgaFiles, Chart) {
    const fs::path old_cwd = fs::current_path();
    fs::current_path(dir_.path());
    dir_.write("Assets/Property/VGA Table.Property", "&H12345678\r\n&HFFABCDEF\r\n-1");
    StringTable t;
    IMAGE img = VGA_TEST(t);
    fs::current_path(old_cwd);
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->WIDTH, 256);
    EXPECT_EQ(img->HEIGHT, 256);
    EXPECT_EQ(PIXEL_GET(img, 0, 0), 0xFF345678);
    EXPECT_EQ(PIXEL_GET(img, 0, 255), 0x00345678);
    EXPECT_EQ(PIXEL_GET(img, 1, 0), 0xFFABCDEF);
    EXPECT_EQ(PIXEL_GET(img, 1, 128), 0x7FABCDEF);
    EXPECT_EQ(PIXEL_GET(img, 2, 0), 0xFFFFFFFF);
    // Indices beyond the table are their own colour.
    EXPECT_EQ(PIXEL_GET(img, 200, 0), 0xFF0000C8);
    IMAGE_DESTROY(img);
}

// The bundled table: 256 opaque colours, the standard palette's landmarks in place.
TEST(VgaBundledTable, StandardPalette) {
    const std::string file =
        std::string(CHARTEST_SOURCE_DIR) + "/workdir/Assets/Property/VGA Table.Property";
    StringTable t;
    VGA_LOAD(t, file);
    ASSERT_EQ(t.lbound(), 0);
    ASSERT_EQ(t.ubound(), 255);
    for (int32_t i = 0; i <= 255; ++i) {
        EXPECT_EQ(t[i].substr(0, 2), "&H") << i;
        EXPECT_EQ(VGA_LOOKUP2(t, i, file) >> 24, 0xFFu) << i;
    }
    struct Landmark {
        int32_t index;
        uint32_t colour;
    };
    for (const Landmark& l : std::vector<Landmark>{
             {0, 0xFF000000}, {1, 0xFF0000AA}, {6, 0xFFAA5500}, {7, 0xFFAAAAAA},
             {8, 0xFF555555}, {14, 0xFFFFFF55}, {15, 0xFFFFFFFF}, {16, 0xFF000000},
             {31, 0xFFFFFFFF}, {32, 0xFF0000FF}, {36, 0xFFFF00FF}, {40, 0xFFFF0000},
             {44, 0xFFFFFF00}, {48, 0xFF00FF00}, {52, 0xFF00FFFF}, {255, 0xFF000000}}) {
        EXPECT_EQ(VGA_LOOKUP2(t, l.index, file), l.colour) << l.index;
    }
}

}  // namespace
}  // namespace chartest
