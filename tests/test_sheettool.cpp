// The sheettool program, run for real on small sheets written by the tests.
//
// Most cases use a 96 x 96 sheet of 6 x 6 cells: every code from 1 to 255 holds its own
// pattern in the 4 x 4 interior of its cell (white on transparent), so the sheet has no
// findings until a case adds one, and every cell differs from every other.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/bmp.h"
#include "platform/font8x8.h"
#include "platform/png.h"
#include "tests/headless_fixture.h"

namespace chartest {
namespace {

struct ToolRun {
    int exit_code;
    std::string out, err;
    std::vector<std::string> lines() const {
        std::vector<std::string> result;
        std::istringstream in(out);
        for (std::string line; std::getline(in, line);) result.push_back(line);
        return result;
    }
};

std::string quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs sheettool in `dir` with the given arguments; `env` goes before the command.
ToolRun sheettool(const TempDir& dir, const std::vector<std::string>& args, const std::string& env = "") {
    std::string command = "cd " + quoted(dir.path().string()) + " && " + env + " " + quoted(SHEETTOOL_BINARY);
    for (const std::string& a : args) command += " " + quoted(a);
    command += " >" + quoted(dir.file("out.txt")) + " 2>" + quoted(dir.file("err.txt"));
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_file_bytes(dir.file("out.txt")),
            read_file_bytes(dir.file("err.txt"))};
}

constexpr uint32_t kClear = 0x00000000, kWhite = 0xFFFFFFFF;

struct TestSheet {
    int32_t width, height, cell_width, cell_height;
    std::vector<uint32_t> pixels;

    TestSheet(int32_t w, int32_t h, uint32_t fill = kClear)
        : width(w), height(h), cell_width(w / 16), cell_height(h / 16), pixels(static_cast<size_t>(w) * h, fill) {}

    uint32_t& at(int code, int32_t x, int32_t y) {
        return pixels[static_cast<size_t>((code / 16) * cell_height + y) * width + (code % 16) * cell_width + x];
    }
    void fill(int code, uint32_t colour) {
        for (int32_t y = 0; y < cell_height; ++y)
            for (int32_t x = 0; x < cell_width; ++x) at(code, x, y) = colour;
    }
    void copy(int to, int from) {
        for (int32_t y = 0; y < cell_height; ++y)
            for (int32_t x = 0; x < cell_width; ++x) at(to, x, y) = at(from, x, y);
    }
    std::string write(const TempDir& dir, const std::string& name) const {
        EXPECT_TRUE(write_bmp32(dir.file(name), width, height, pixels));
        return name;
    }
};

// Codes 1 to 255 drawn as their bits in the interior of 6 x 6 cells; code 0 blank.
TestSheet clean_sheet(int32_t width = 96, int32_t height = 96, uint32_t background = kClear) {
    TestSheet s(width, height, background);
    if (s.cell_width < 6 || s.cell_height < 6) return s;
    for (int code = 1; code < 256; ++code)
        for (int bit = 0; bit < 8; ++bit)
            if (code & (1 << bit)) s.at(code, 1 + bit % 4, 1 + bit / 4) = kWhite;
    return s;
}

BmpImage load(const TempDir& dir, const std::string& name) {
    BmpResult r = load_bmp_file(dir.file(name));
    EXPECT_EQ(r.error, 0) << r.reason;
    return r.image;
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// ---- every command -----------------------------------------------------------------

TEST(Sheettool, HelpAndMissingFiles) {
    TempDir dir;
    struct Case {
        std::vector<std::string> args;
        int exit_code;
    };
    const Case missing[] = {
        {{"grid", "nothere.bmp", "-o", "x.png"}, 1}, {{"lint", "nothere.bmp"}, 2},
        {{"diff", "nothere.bmp", "nothere.bmp"}, 2}, {{"convert", "nothere.bmp", "x.bmp"}, 1},
        {{"explain", "nothere.bmp"}, 1},
    };
    for (const Case& c : missing) {
        const ToolRun run = sheettool(dir, c.args);
        EXPECT_EQ(run.exit_code, c.exit_code) << c.args[0];
        EXPECT_TRUE(contains(run.out + run.err, "nothere.bmp: ") && contains(run.out + run.err, ": no such file"))
            << c.args[0] << ": " << run.out << run.err;
    }
    for (const char* command : {"make", "grid", "lint", "diff", "convert", "explain"}) {
        const ToolRun help = sheettool(dir, {command, "--help"});
        EXPECT_EQ(help.exit_code, 0) << command;
        EXPECT_EQ(help.out.rfind(std::string("usage: sheettool ") + command + " ", 0), 0u) << help.out;
        const ToolRun bare = sheettool(dir, {command});
        EXPECT_EQ(bare.exit_code, 2) << command;
        EXPECT_TRUE(contains(bare.err, "usage: sheettool")) << bare.err;
    }
    EXPECT_EQ(sheettool(dir, {"frobnicate"}).exit_code, 2);
    EXPECT_EQ(sheettool(dir, {"lint", "a.bmp", "--bogus"}).exit_code, 2);
}

// ---- make --------------------------------------------------------------------------

TEST(Sheettool, MakeDrawsTheBuiltInFontWithAlpha) {
    for (int cell : {8, 16}) {
        TempDir dir;
        const ToolRun run = sheettool(dir, {"make", "out.bmp", "--cell", std::to_string(cell)});
        ASSERT_EQ(run.exit_code, 0) << run.err;
        const BmpImage image = load(dir, "out.bmp");
        ASSERT_EQ(image.width, 16 * cell);
        ASSERT_EQ(image.height, 16 * cell);
        const int zoom = cell / 8;
        int wrong = 0;
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                const int code = (y / cell) * 16 + x / cell;
                const bool ink = FONT_8X8[code][(y % cell) / zoom] & (0x80 >> ((x % cell) / zoom));
                wrong += image.pixels[static_cast<size_t>(y) * image.width + x] != (ink ? kWhite : kClear);
            }
        }
        EXPECT_EQ(wrong, 0) << "cell " << cell;
    }
    TempDir dir;
    EXPECT_EQ(sheettool(dir, {"make", "out.bmp", "--cell", "12"}).exit_code, 2);
    EXPECT_EQ(sheettool(dir, {"make", "no/such/folder/out.bmp"}).exit_code, 1);
}

TEST(Sheettool, BundledSheetIsWhatMakeWrites) {
    TempDir dir;
    ASSERT_EQ(sheettool(dir, {"make", "out.bmp"}).exit_code, 0);
    const std::string bundled = std::string(CHARTEST_SOURCE_DIR) +
                                "/workdir/sprites-8-private/Bitmaps/font/Packard Bell PBX-8088 Font 2024.bmp";
    EXPECT_TRUE(read_file_bytes(dir.file("out.bmp")) == read_file_bytes(bundled));
}

// ---- lint --------------------------------------------------------------------------

TEST(Sheettool, LintFindings) {
    struct Case {
        const char* name;
        int32_t width = 96, height = 96;
        uint32_t background = kClear;
        std::function<void(TestSheet&)> edit = [](TestSheet&) {};
        int exit_code = 1;
        std::vector<std::string> lines{};   // findings, whole lines in this order
        std::string summary_part = "";
    };
    const Case cases[] = {
        {.name = "clean", .exit_code = 0, .summary_part = ": no findings (96 x 96 pixels, cells 6 x 6)"},
        {.name = "width", .width = 100,
         .lines = {"sheet: width 100 is not a multiple of 16: the rightmost 4 pixel columns (384 pixels) are never used"}},
        {.name = "height", .height = 99,
         .lines = {"sheet: height 99 is not a multiple of 16: the bottom 3 pixel rows (288 pixels) are never used"}},
        {.name = "tiny cells", .width = 8, .height = 96,
         .lines = {"sheet: width 8 is not a multiple of 16: the rightmost 8 pixel columns (768 pixels) are never used",
                   "sheet: cells are 0 x 6 pixels, smaller than 1 pixel: a sheet must be at least 16 x 16"}},
        {.name = "opaque", .background = 0xFF000000,
         .lines = {"sheet: no transparent pixel: glyph backgrounds will cover what lies beneath them"}},
        {.name = "blank printable", .edit = [](TestSheet& s) { s.fill(65, kClear); },
         .lines = {"code 65 (0x41): blank: no pixel differs from the cell's background"}},
        {.name = "blank in an opaque colour", .edit = [](TestSheet& s) { s.fill(126, 0xFF0000FF); },
         .lines = {"code 126 (0x7E): blank: no pixel differs from the cell's background"}},
        {.name = "blank outside 33..126 and blank twice", .edit = [](TestSheet& s) { s.fill(32, kClear), s.fill(200, kClear); },
         .exit_code = 0},
        {.name = "same pixels", .edit = [](TestSheet& s) { s.copy(200, 65), s.copy(97, 65); },
         .lines = {"code 97 (0x61): same pixels as code 65", "code 200 (0xC8): same pixels as code 65"}},
        {.name = "invisible colours do not count", .edit = [](TestSheet& s) { s.at(66, 5, 2) = 0x00FF00FF; },
         .exit_code = 0},
        {.name = "ink on edges",
         .edit = [](TestSheet& s) { s.at(66, 5, 2) = kWhite, s.at(67, 0, 0) = kWhite, s.at(68, 3, 5) = 0x80FFFFFF, s.at(200, 5, 5) = kWhite; },
         .lines = {"code 66 (0x42): ink on the right column of the cell: it will touch its neighbour",
                   "code 67 (0x43): ink on the top row and left column of the cell: it will touch its neighbour",
                   "code 68 (0x44): ink on the bottom row of the cell: it will touch its neighbour"}},
        {.name = "ink means other than the cell's own background",
         .edit = [](TestSheet& s) {
             for (int32_t y = 0; y < 6; ++y)
                 for (int32_t x = 0; x < 6; ++x)
                     if (s.at(70, x, y) == kClear) s.at(70, x, y) = 0xFF0000FF;
         },
         .exit_code = 0},
        {.name = "an edge most glyphs ink is how the font is drawn",
         .edit = [](TestSheet& s) {
             for (int code = 33; code <= 126; ++code) s.at(code, 0, 4) = kWhite;
             s.at(66, 5, 2) = kWhite;
         },
         .lines = {"code 66 (0x42): ink on the right column of the cell: it will touch its neighbour"},
         .summary_part = "most glyphs ink the left column"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        TestSheet sheet = clean_sheet(c.width, c.height, c.background);
        c.edit(sheet);
        const ToolRun run = sheettool(dir, {"lint", sheet.write(dir, "s.bmp")});
        EXPECT_EQ(run.exit_code, c.exit_code) << c.name << "\n" << run.out << run.err;
        std::vector<std::string> lines = run.lines();
        ASSERT_FALSE(lines.empty()) << c.name;
        const std::string summary = lines.back();
        lines.pop_back();
        EXPECT_EQ(lines, c.lines) << c.name;
        EXPECT_TRUE(contains(summary, c.summary_part)) << c.name << ": " << summary;
        if (!c.lines.empty()) {
            EXPECT_TRUE(contains(summary, std::to_string(c.lines.size()) + " finding")) << summary;
        }
    }

    TempDir dir;
    dir.write("bad.bmp", "PK not a bitmap at all");
    const ToolRun bad = sheettool(dir, {"lint", "bad.bmp"});
    EXPECT_EQ(bad.exit_code, 2);
    EXPECT_EQ(bad.err, "sheettool: bad.bmp: signature is \"PK\", must be \"BM\"\n");
}

// ---- diff --------------------------------------------------------------------------

TEST(Sheettool, DiffNamesChangedCells) {
    TempDir dir;
    const TestSheet old_sheet = clean_sheet();
    old_sheet.write(dir, "old.bmp");

    TestSheet same = old_sheet;
    same.at(0, 2, 2) = 0x00123456;  // another colour, but invisible
    same.write(dir, "same.bmp");
    const ToolRun equal = sheettool(dir, {"diff", "old.bmp", "same.bmp"});
    EXPECT_EQ(equal.exit_code, 0) << equal.out;
    EXPECT_EQ(equal.lines(), std::vector<std::string>{"no cell changed (cells 6 x 6)"});

    TestSheet changed = clean_sheet(100, 96);  // larger, but with the same cells
    changed.at(5, 0, 0) = kWhite;
    changed.at(200, 3, 3) = 0xFEFFFFFF;
    changed.write(dir, "new.bmp");
    const ToolRun run = sheettool(dir, {"diff", "old.bmp", "new.bmp"});
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.lines(), (std::vector<std::string>{"code 5 (0x05): changed", "code 200 (0xC8): changed",
                                                     "2 of 256 cells changed (cells 6 x 6)"}));

    clean_sheet(112, 96).write(dir, "wider.bmp");
    const ToolRun sizes = sheettool(dir, {"diff", "old.bmp", "wider.bmp"});
    EXPECT_EQ(sizes.exit_code, 2);
    EXPECT_TRUE(contains(sizes.err, "cell sizes differ: old.bmp has 6 x 6, wider.bmp has 7 x 6")) << sizes.err;

    dir.write("bad.bmp", "BM");
    EXPECT_EQ(sheettool(dir, {"diff", "old.bmp", "bad.bmp"}).exit_code, 2);
}

TEST(Sheettool, DiffPictureOutlinesChangedCellsOnBothSides) {
    TempDir dir;
    TestSheet sheet = clean_sheet();
    sheet.write(dir, "old.bmp");
    sheet.at(65, 2, 2) = 0xFF00FF00;
    sheet.write(dir, "new.bmp");
    ASSERT_EQ(sheettool(dir, {"diff", "old.bmp", "old.bmp", "-o", "equal.png"}).exit_code, 0);
    ASSERT_EQ(sheettool(dir, {"diff", "old.bmp", "new.bmp", "-o", "changed.png"}).exit_code, 1);
    int32_t w0, h0, w1, h1;
    std::vector<uint32_t> equal, changed;
    ASSERT_TRUE(read_png(dir.file("equal.png"), w0, h0, equal));
    ASSERT_TRUE(read_png(dir.file("changed.png"), w1, h1, changed));
    ASSERT_EQ(w0, w1);
    ASSERT_EQ(h0, h1);
    // The file names in the titles differ in length, so only rows below them are compared.
    int left = 0, right = 0;
    for (int32_t y = 16; y < h0; ++y)
        for (int32_t x = 0; x < w0; ++x)
            if (equal[static_cast<size_t>(y) * w0 + x] != changed[static_cast<size_t>(y) * w0 + x])
                ++(x < w0 / 2 ? left : right);
    EXPECT_GT(left, 0) << "the unchanged old sheet gets an outline too";
    EXPECT_GT(right, left) << "the new side also shows the changed pixel";
}

// ---- convert -----------------------------------------------------------------------

TEST(Sheettool, ConvertKeyRules) {
    constexpr uint32_t kBlue = 0xFF0000FF, kYellow = 0xFFFFFF00, kGreen = 0xFF00FF00;
    // Blue background, a yellow glyph in every code from 1, a green first pixel in some cases.
    auto opaque = [&](bool green_corner) {
        TestSheet s(32, 32, kBlue);
        for (int code = 1; code < 256; ++code) s.at(code, 1, 1) = kYellow;
        if (green_corner) s.at(0, 0, 0) = kGreen;
        return s;
    };
    struct Case {
        std::string key;
        bool green_corner;
        std::string printed;
        uint32_t blue, yellow, green;  // what each colour becomes
    };
    const Case cases[] = {
        {"auto", false, "key 0000FF (auto: cell 0 is all this colour)", kClear, kYellow, 0},
        {"auto", true, "key 0000FF (auto: cell 0 is not one colour, so the most common colour of the sheet (768 of 1024 pixels))",
         kClear, kYellow, kGreen},
        {"top-left", true, "key 00FF00 (top-left: the sheet's first pixel)", kBlue, kYellow, kClear},
        {"ffff00", true, "key FFFF00 (given)", kBlue, kClear, kGreen},
        {"grey", true, "key grey: every pixel white, its brightness (0.299 R + 0.587 G + 0.114 B) as alpha",
         0x1DFFFFFF, 0xE2FFFFFF, 0x96FFFFFF},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const TestSheet in = opaque(c.green_corner);
        in.write(dir, "in.bmp");
        const ToolRun run = sheettool(dir, {"convert", "in.bmp", "out.bmp", "--key", c.key});
        ASSERT_EQ(run.exit_code, 0) << c.key << run.err;
        EXPECT_EQ(run.lines().at(0), c.printed);
        const BmpImage out = load(dir, "out.bmp");
        ASSERT_EQ(out.pixels.size(), in.pixels.size());
        for (size_t i = 0; i < in.pixels.size(); ++i) {
            const uint32_t want = in.pixels[i] == kBlue ? c.blue : in.pixels[i] == kYellow ? c.yellow : c.green;
            ASSERT_EQ(out.pixels[i], want) << c.key << " pixel " << i << " was " << std::hex << in.pixels[i];
        }
    }

    TempDir dir;
    opaque(false).write(dir, "in.bmp");
    const ToolRun bad = sheettool(dir, {"convert", "in.bmp", "out.bmp", "--key", "pink"});
    EXPECT_EQ(bad.exit_code, 2);
    EXPECT_TRUE(contains(bad.err, "--key must be auto, top-left, grey or a colour RRGGBB")) << bad.err;
    const ToolRun none = sheettool(dir, {"convert", "in.bmp", "out.bmp", "--key", "123456"});
    EXPECT_EQ(none.exit_code, 0);
    EXPECT_TRUE(contains(none.out, "0 of 1024 pixels transparent\nnote: no pixel has the key colour")) << none.out;
}

// ---- explain -----------------------------------------------------------------------

TEST(Sheettool, ExplainNamesTheBrokenHeaderField) {
    TempDir dir;
    clean_sheet().write(dir, "good.bmp");
    const std::string good = read_file_bytes(dir.file("good.bmp"));
    auto patched = [&](size_t at, uint32_t value) {
        std::string b = good;
        for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(value >> (8 * i));
        return b;
    };
    struct Case {
        const char* name;
        std::string bytes;
        int exit_code;
        std::string said;
    };
    const Case cases[] = {
        {"loads", good, 0, "the character test loads it: 96 x 96 pixels, cells 6 x 6, "},
        {"offset", patched(10, 100000), 1,
         "the character test cannot load it: pixel data offset 100000 is past the end of the file (" +
             std::to_string(good.size()) + " bytes)"},
        {"height", patched(22, 0), 1, "the character test cannot load it: height is 0, must not be 0"},
        {"compression", patched(30, 9), 1, "the character test cannot load it: unknown compression 9"},
        {"truncated", good.substr(0, 1000), 1, "the character test cannot load it: pixel data is truncated"},
        {"signature", "GIF89a" + good.substr(6), 1, "signature is \"GI\", must be \"BM\""},
    };
    for (const Case& c : cases) {
        dir.write("f.bmp", c.bytes);
        const ToolRun run = sheettool(dir, {"explain", "f.bmp"});
        EXPECT_EQ(run.exit_code, c.exit_code) << c.name;
        EXPECT_TRUE(contains(run.out, "f.bmp: ") && contains(run.out, c.said)) << c.name << ": " << run.out;
    }
}

// ---- grid --------------------------------------------------------------------------

struct Picture {
    int32_t width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int32_t x, int32_t y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

struct Box {
    int32_t left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;  // inclusive
    int32_t width() const { return right - left + 1; }
    int32_t height() const { return bottom - top + 1; }
    int32_t centre_x() const { return (left + right) / 2; }
};

Box box_of(const Picture& p, uint32_t colour) {
    Box b;
    for (int32_t y = 0; y < p.height; ++y)
        for (int32_t x = 0; x < p.width; ++x)
            if (p.at(x, y) == colour)
                b.left = std::min(b.left, x), b.right = std::max(b.right, x), b.top = std::min(b.top, y),
                b.bottom = std::max(b.bottom, y);
    return b;
}

// Every place where `text` is drawn in the built-in font in one colour over another.
std::vector<Box> find_text(const Picture& p, const std::string& text) {
    std::vector<Box> found;
    const int32_t w = static_cast<int32_t>(text.size()) * 8;
    for (int32_t y = 0; y + 8 <= p.height; ++y) {
        for (int32_t x = 0; x + w <= p.width; ++x) {
            int64_t ink = -1, paper = -1;
            bool match = true;
            for (int32_t gy = 0; gy < 8 && match; ++gy) {
                for (int32_t gx = 0; gx < w && match; ++gx) {
                    const bool on = FONT_8X8[static_cast<uint8_t>(text[gx / 8])][gy] & (0x80 >> (gx % 8));
                    int64_t& want = on ? ink : paper;
                    const uint32_t got = p.at(x + gx, y + gy);
                    if (want < 0) want = got;
                    match = want == got;
                }
            }
            if (match && ink != paper) found.push_back({x, y, x + w - 1, y + 7});
        }
    }
    return found;
}

// Whether all of `texts` are found on one line (same top) or in one column (same left);
// returns the boxes in that order.
std::vector<Box> aligned(const Picture& p, const std::vector<std::string>& texts, bool row) {
    std::vector<std::vector<Box>> all;
    for (const std::string& t : texts) all.push_back(find_text(p, t));
    for (const Box& first : all[0]) {
        std::vector<Box> line{first};
        for (size_t i = 1; i < all.size(); ++i) {
            auto it = std::find_if(all[i].begin(), all[i].end(), [&](const Box& b) {
                return row ? b.top == first.top && b.left > line.back().left
                           : b.left == first.left && b.top > line.back().top;
            });
            if (it == all[i].end()) break;
            line.push_back(*it);
        }
        if (line.size() == texts.size()) return line;
    }
    return {};
}

TEST(Sheettool, GridChart) {
    constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF;
    TempDir dir;
    TestSheet sheet(32, 32);  // 2 x 2 cells
    sheet.fill(0x41, kRed);
    sheet.at(0x42, 0, 0) = kGreen;
    sheet.at(0x43, 1, 1) = 0x80FF0000;
    sheet.fill(0x51, kBlue);
    sheet.write(dir, "s.bmp");

    for (int scale : {1, 4}) {
        SCOPED_TRACE("scale " + std::to_string(scale));
        const ToolRun run = sheettool(dir, {"grid", "s.bmp", "-o", "chart.png", "--scale", std::to_string(scale)});
        ASSERT_EQ(run.exit_code, 0) << run.err;
        Picture p;
        ASSERT_TRUE(read_png(dir.file("chart.png"), p.width, p.height, p.pixels));
        const uint32_t background = p.at(0, 0);

        const Box red = box_of(p, kRed), green = box_of(p, kGreen), blue = box_of(p, kBlue);
        EXPECT_EQ(red.width(), 2 * scale);
        EXPECT_EQ(red.height(), 2 * scale);
        EXPECT_EQ(green.width(), scale) << "one sheet pixel";
        EXPECT_EQ(green.top, red.top) << "0x42 on the row of 0x41";
        EXPECT_GT(green.left, red.right);
        EXPECT_EQ(blue.left, red.left) << "0x51 below 0x41";
        EXPECT_GT(blue.top, red.bottom);

        // The transparent rest of 0x42 shows the checkerboard, 0x43 a blend of red over it.
        std::set<uint32_t> under;
        for (int32_t y = green.top; y < green.top + 2 * scale; ++y)
            for (int32_t x = green.left; x < green.left + 2 * scale; ++x)
                if (p.at(x, y) != kGreen) under.insert(p.at(x, y));
        EXPECT_EQ(under.count(background), 0u);
        EXPECT_EQ(under.size(), scale == 4 ? 2u : 1u);
        const int32_t cell_step = green.left - red.left;
        const uint32_t blended = p.at(green.left + cell_step + scale, green.top + scale);
        EXPECT_GT((blended >> 16) & 0xFF, 0x80u) << std::hex << blended;
        EXPECT_LT((blended >> 16) & 0xFF, 0xFFu) << std::hex << blended;
        EXPECT_LT((blended >> 8) & 0xFF, 0x80u) << std::hex << blended;

        // Hex headers: "0".."F" in a row with "1" over 0x41, "00".."F0" in a column with
        // "40" beside it; the code 65 right above the cell.
        std::vector<std::string> columns, rows;
        for (const char* digit = "0123456789ABCDEF"; *digit; ++digit) {
            columns.emplace_back(1, *digit);
            rows.push_back(std::string(1, *digit) + "0");
        }
        const auto over_red = [&](const Box& b) { return std::abs(b.centre_x() - red.centre_x()) <= 1; };
        const std::vector<Box> header = aligned(p, columns, true);
        ASSERT_EQ(header.size(), 16u);
        EXPECT_TRUE(over_red(header[1]));
        const std::vector<Box> side = aligned(p, rows, false);
        ASSERT_EQ(side.size(), 16u);
        const std::vector<Box> labels = find_text(p, "65");
        const auto label = std::find_if(labels.begin(), labels.end(), [&](const Box& b) {
            return over_red(b) && b.bottom < red.top && red.top - b.bottom <= 4 && b.top > header[1].bottom;
        });
        ASSERT_NE(label, labels.end());
        EXPECT_LT(side[4].right, red.left);
        EXPECT_TRUE(side[4].bottom >= label->top && side[4].top <= red.bottom);
    }

    // The window in batch mode shows the same chart and ends by itself.
    ASSERT_EQ(sheettool(dir, {"grid", "s.bmp", "-o", "chart.png"}).exit_code, 0);
    const ToolRun window = sheettool(dir, {"grid", "s.bmp"}, "CHARTEST_KEYS= CHARTEST_SNAPSHOT=snap.png");
    EXPECT_EQ(window.exit_code, 0) << window.err;
    Picture file, snap;
    ASSERT_TRUE(read_png(dir.file("chart.png"), file.width, file.height, file.pixels));
    ASSERT_TRUE(read_png(dir.file("snap.png"), snap.width, snap.height, snap.pixels));
    EXPECT_TRUE(file.width == snap.width && file.height == snap.height && file.pixels == snap.pixels);

    EXPECT_EQ(sheettool(dir, {"grid", "s.bmp", "-o", "x.png", "--scale", "0"}).exit_code, 2);
    TestSheet(8, 8).write(dir, "tiny.bmp");
    const ToolRun tiny = sheettool(dir, {"grid", "tiny.bmp", "-o", "x.png"});
    EXPECT_EQ(tiny.exit_code, 1);
    EXPECT_TRUE(contains(tiny.err, "cells are 0 x 0 pixels")) << tiny.err;
}

}  // namespace
}  // namespace chartest
