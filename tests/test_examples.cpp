// The example programs in batch mode: propedit driven by scripted keys, with the file it
// leaves behind, and palette's snapshot compared with the colour table it reads.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <set>

#include "platform/font8x8.h"
#include "platform/png.h"
#include "tests/headless_fixture.h"

namespace chartest {
namespace {

struct ProgramRun {
    int exit_code;
    std::string err;
};

// Runs `binary` with `args` in `dir` in batch mode with the given key script, the
// snapshot going to `snapshot`. Standard error is kept outside `dir`, so that the test
// sees every file the program leaves there.
ProgramRun run_program(const std::string& binary, const TempDir& dir, const std::string& args,
                       const std::string& keys, const std::string& snapshot) {
    TempDir scratch;
    const std::string err = scratch.file("stderr.txt");
    setenv("CHARTEST_KEYS", keys.c_str(), 1);
    setenv("CHARTEST_SNAPSHOT", snapshot.c_str(), 1);
    const std::string command =
        "cd '" + dir.path().string() + "' && '" + binary + "' " + args + " 2>'" + err + "'";
    const int status = std::system(command.c_str());
    unsetenv("CHARTEST_KEYS");
    unsetenv("CHARTEST_SNAPSHOT");
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_file_bytes(err)};
}

struct Png {
    int32_t w = 0, h = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int32_t x, int32_t y) const { return pixels[static_cast<size_t>(y) * w + x]; }
};

Png load_png(const std::string& path) {
    Png png;
    EXPECT_TRUE(read_png(path, png.w, png.h, png.pixels)) << path;
    return png;
}

// Whether pixel (x, y) of a 320 x 240 page lies on or next to a diagonal of the page,
// where the echo panel's cross replaces the text.
bool near_the_cross(int32_t x, int32_t y) {
    return std::abs(y * 319 - x * 239) <= 319 || std::abs((239 - y) * 319 - x * 239) <= 319;
}

// Whether text row `row` (0-based) shows `text` from column `column` on in the colour
// `ink`: every glyph pixel of the built-in font has that colour and no other pixel of
// the cells has it (pixels next to the diagonals aside).
bool shows_text(const Png& png, int32_t row, int32_t column, const std::string& text,
                uint32_t ink) {
    if (png.w < 8 * (column + static_cast<int32_t>(text.size())) || png.h < 8 * (row + 1))
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto& glyph = FONT_8X8[static_cast<unsigned char>(text[i])];
        for (int32_t y = 0; y < 8; ++y) {
            for (int32_t x = 0; x < 8; ++x) {
                const bool ink_pixel = (glyph[y] >> (7 - x)) & 1;
                const int32_t px = (column + static_cast<int32_t>(i)) * 8 + x, py = row * 8 + y;
                if (near_the_cross(px, py)) continue;
                if ((png.at(px, py) == ink) != ink_pixel) return false;
            }
        }
    }
    return true;
}

std::set<std::string> files_in(const TempDir& dir) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        names.insert(entry.path().filename().string());
    return names;
}

// ---- propedit ---------------------------------------------------------------------------

// Keys for the waits after a command: the database panel (the box renderer's wait, the
// panel's own, the closing Escape-character line), the save's three, the help panel's
// two and the bounds line's one. Any key but Escape will do.
const std::string PANEL = "...";
const std::string SAVE_WAITS = "...";
const std::string HELP_WAITS = "..";
const std::string BOUNDS_WAIT = ".";

TEST(Propedit, EditsAndTheFileItLeaves) {
    const struct {
        const char* what;
        std::optional<std::string> before;  // notes.Property at the start, if any
        std::string args;
        std::string keys;
        std::optional<std::string> after;  // notes.Property at the end; none: not there
    } cases[] = {
        {"add, replace, delete, add; an empty word quits", std::nullopt, "notes",
         R"(Add\rcolour\rred\r)" + PANEL + R"(Add\rsize\r10\r)" + PANEL +
             R"(Add\rcolour\rblue\r)" + PANEL + R"(Delete\rsize\r)" + PANEL +
             R"(Add\rapple\rgreen\r)" + PANEL + R"(\r)",
         "apple=green\r\ncolour=blue"},
        {"words in any case; Quit", std::nullopt, "notes",
         R"(ADD\rb\r2\r)" + PANEL + R"(add\ra\r1\r)" + PANEL + R"( dElEtE\rb\r)" + PANEL +
             R"(Quit\r)",
         "a=1"},
        {"Escape in the value prompt after a change", std::nullopt, "notes",
         R"(Add\ra\r1\r)" + PANEL + R"(Add\rb\r2\e)", "a=1"},
        {"Escape at the panel right after a change", std::nullopt, "notes",
         R"(Add\ra\r1\r\e)", "a=1"},
        {"Escape in the label prompt after a delete", "a=1\r\nb=2", "notes",
         R"(Delete\ra\r)" + PANEL + R"(Delete\rb\e)", "b=2"},
        {"window closed in the behaviour prompt after a change", std::nullopt, "notes",
         R"(Add\ra\r1\r)" + PANEL + R"(Add)", "a=1"},
        {"lookups, sorting and deleting an absent label create no file", std::nullopt, "notes",
         R"(Retrieve\ra\r)" + PANEL + R"(Delete\ra\r)" + PANEL + R"(Sort\r)" + PANEL + R"(\r)",
         std::nullopt},
        {"a lookup and sorting leave the file's bytes alone", "b=2\r\na=1\r\nno equals sign\r\n",
         "notes", R"(Retrieve\ra\r)" + PANEL + R"(Sort\r)" + PANEL + R"(\r)",
         "b=2\r\na=1\r\nno equals sign\r\n"},
        {"Save writes the file in its own form", "b=2\r\na=1\r\n", "notes",
         R"(Save\r)" + SAVE_WAITS + R"(\r)", "a=1\r\nb=2"},
        {"Help, Bounds and an unknown word change nothing", "a=1", "notes",
         R"(Help\r)" + HELP_WAITS + R"(Bounds\r)" + BOUNDS_WAIT + R"(Frobnicate\r)" +
             HELP_WAITS + R"(Add\rz\r9\r)" + PANEL + R"(\r)",
         "a=1\r\nz=9"},
        {"deleting the last label leaves an empty file", "a=1", "notes",
         R"(Delete\ra\r)" + PANEL + R"(\r)", ""},
        {"the name is cut after its first .Property", "a=1", "'notes.Property.old'",
         R"(Add\rb\r2\r)" + PANEL + R"(\r)", "a=1\r\nb=2"},
        {"a name that has the extension keeps it once", std::nullopt, "notes.Property",
         R"(Add\ra\r1\r)" + PANEL + R"(\r)", "a=1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir, shots;
        if (c.before) dir.write("notes.Property", *c.before);
        const ProgramRun run = run_program(PROPEDIT_BINARY, dir, c.args, c.keys, shots.file("s.png"));
        EXPECT_EQ(run.exit_code, 0) << run.err;
        if (c.after) {
            EXPECT_EQ(read_file_bytes(dir.file("notes.Property")), *c.after);
            // The save goes through a temporary file: nothing else may be left behind.
            EXPECT_EQ(files_in(dir), std::set<std::string>{"notes.Property"});
        } else {
            EXPECT_TRUE(files_in(dir).empty());
        }
    }
}

TEST(Propedit, RetrieveShowsTheValueAndTheDatabaseInThePanel) {
    TempDir dir, shots;
    dir.write("notes.Property", "size=10\r\ncolour=red");
    // The run ends at the panel's last key wait, when the script runs out.
    const ProgramRun run = run_program(PROPEDIT_BINARY, dir, "notes", R"(retrieve\rcolour\r..)",
                                       shots.file("s.png"));
    EXPECT_EQ(run.exit_code, 0) << run.err;
    const Png png = load_png(shots.file("s.png"));
    const uint32_t green = 0xFF00FF00;
    EXPECT_TRUE(shows_text(png, 0, 0, R"(--- Retrieving: "colour": "red" ---)", green));
    EXPECT_TRUE(shows_text(png, 1, 0, "colour=red", green)) << "the database, sorted";
    EXPECT_EQ(read_file_bytes(dir.file("notes.Property")), "size=10\r\ncolour=red");
}

TEST(Propedit, WithoutAFileNameItSaysHowToCallIt) {
    TempDir dir, shots;
    const ProgramRun run = run_program(PROPEDIT_BINARY, dir, "", "", shots.file("s.png"));
    EXPECT_EQ(run.exit_code, 2);
    EXPECT_NE(run.err.find("usage: propedit FILE"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(shots.file("s.png"))) << "no screen opened";
}

// ---- palette ----------------------------------------------------------------------------

const std::string TABLE_PATH = "Assets/Property/VGA Table.Property";

// The colours of a table file of "&H" numbers, one per CR LF line.
std::vector<uint32_t> parse_table(const std::string& text) {
    std::vector<uint32_t> colours;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find("\r\n", at);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(at, end - at);
        EXPECT_EQ(line.rfind("&H", 0), 0u) << line;
        colours.push_back(static_cast<uint32_t>(std::strtoull(line.c_str() + 2, nullptr, 16)));
        at = end + 2;
    }
    return colours;
}

TEST(Palette, SnapshotShowsTheTableAsAChart) {
    // A table in which every index has its own colour, and the bundled one.
    std::string distinct;
    for (uint32_t i = 0; i < 256; ++i) {
        char line[16];
        std::snprintf(line, sizeof line, "&H%08X\r\n",
                      0xFF000000u | i << 16 | (255 - i) << 8 | ((i * 37) & 255));
        distinct += line;
    }
    const std::string bundled =
        read_file_bytes(std::string(CHARTEST_SOURCE_DIR) + "/workdir/" + TABLE_PATH);
    ASSERT_FALSE(bundled.empty());

    for (const std::string& table_text : {distinct, bundled}) {
        const std::vector<uint32_t> table = parse_table(table_text);
        ASSERT_EQ(table.size(), 256u);
        TempDir dir, shots;
        dir.write(TABLE_PATH, table_text);
        const ProgramRun run = run_program(PALETTE_BINARY, dir, "", "", shots.file("s.png"));
        EXPECT_EQ(run.exit_code, 0) << run.err;
        const Png png = load_png(shots.file("s.png"));
        ASSERT_EQ(png.w, 320);
        ASSERT_EQ(png.h, 240);

        EXPECT_TRUE(shows_text(png, 0, 0, "VGA colour table, index 0 to 255", table[15]))
            << "the message line in colour 15 of the table";
        // The chart fills the screen below the message line: each index is 1.25 pixels
        // wide, opaque in the top row, almost transparent over black in the bottom row.
        for (int32_t i : {0, 4, 16, 100, 200, 252}) {
            SCOPED_TRACE(i);
            const int32_t x = i * 5 / 4;  // a multiple of 4 starts exactly at a pixel
            EXPECT_EQ(png.at(x, 8), table[i]);
            const uint32_t bottom = png.at(x, 239);
            EXPECT_EQ(bottom >> 24, 0xFFu);
            for (int shift : {0, 8, 16}) EXPECT_LE((bottom >> shift) & 0xFF, 2u);
        }
        EXPECT_EQ(png.at(319, 8), table[255]);
    }
}

TEST(Palette, WithoutTheTableItSaysSoAndDrawsNoChart) {
    for (const bool empty_file : {false, true}) {
        SCOPED_TRACE(empty_file ? "empty table file" : "no table file");
        TempDir dir, shots;
        if (empty_file) dir.write(TABLE_PATH, "");
        const ProgramRun run = run_program(PALETTE_BINARY, dir, "", "", shots.file("s.png"));
        EXPECT_EQ(run.exit_code, 0) << run.err;
        const Png png = load_png(shots.file("s.png"));
        ASSERT_EQ(png.h, 240);
        EXPECT_TRUE(shows_text(png, 0, 0, "No colour table at", 0xFFFFFFFF));
        EXPECT_TRUE(shows_text(png, 1, 0, "./Assets/Property/VGA Table.Property", 0xFFFFFFFF));
        size_t drawn = 0;
        for (int32_t y = 16; y < png.h; ++y)
            for (int32_t x = 0; x < png.w; ++x) drawn += png.at(x, y) != 0xFF000000u;
        EXPECT_EQ(drawn, 0u) << "pixels below the message";
    }
}

}  // namespace
}  // namespace chartest
