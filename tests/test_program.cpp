// The real program in batch mode: exit codes and reports of whole runs.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>

#include "platform/bmp.h"
#include "platform/png.h"
#include "tests/headless_fixture.h"

namespace chartest {
namespace {

const std::string SHEET = "sprites-8-private/Bitmaps/font/Packard Bell PBX-8088 Font 2024.bmp";

struct ProgramRun {
    int exit_code;
    std::string err;
};

// Runs the program in `dir` in batch mode with the given keys.
ProgramRun run_chartest(const TempDir& dir, const std::string& keys = "") {
    const std::string err = dir.file("stderr.txt");
    const std::string command = "cd '" + dir.path().string() + "' && CHARTEST_KEYS='" + keys +
                                "' CHARTEST_SNAPSHOT='" + dir.file("page.png") + "' '" +
                                CHARTEST_BINARY + "' 2>'" + err + "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_file_bytes(err)};
}

void write_sheet(const TempDir& dir) {
    std::vector<uint32_t> pixels(128 * 128, 0xFFFFFFFF);
    std::filesystem::create_directories(dir.path() / "sprites-8-private/Bitmaps/font");
    ASSERT_TRUE(write_bmp32(dir.file(SHEET), 128, 128, pixels));
}

TEST(Program, NormalRunDrawsAndEndsWithZero) {
    TempDir dir;
    write_sheet(dir);
    dir.write("chartest.txt", "abc\n");
    const ProgramRun run = run_chartest(dir);
    EXPECT_EQ(run.exit_code, 0) << run.err;
    int32_t w = 0, h = 0;
    std::vector<uint32_t> pixels;
    ASSERT_TRUE(read_png(dir.file("page.png"), w, h, pixels));
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 240);
    EXPECT_EQ(pixels[0], 0xFFFFFFFFu) << "the first glyph cell of an all-white sheet";
    EXPECT_EQ(pixels[8 * 40 * 8], 0xFF000000u) << "nothing on the second row";
}

TEST(Program, ErrorPaths) {
    {
        TempDir dir;
        write_sheet(dir);
        const ProgramRun run = run_chartest(dir);
        EXPECT_EQ(run.exit_code, 1) << "no chartest.txt";
        EXPECT_NE(run.err.find("(illegal function call)"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("::MAIN()"), std::string::npos) << run.err;
    }
    {
        TempDir dir;
        dir.write("chartest.txt", "x\n");
        const ProgramRun run = run_chartest(dir);
        EXPECT_EQ(run.exit_code, 7) << "no sheet: " << run.err;
        EXPECT_NE(run.err.find("(null pointer access)"), std::string::npos) << run.err;
    }
    {
        TempDir dir;
        dir.write("chartest.txt", "");
        EXPECT_EQ(run_chartest(dir).exit_code, 0) << "no sheet and nothing to draw";
    }
    {
        TempDir dir;
        dir.write("chartest.txt", "x\n");
        dir.write(SHEET, "BM but not really a bitmap");
        const ProgramRun run = run_chartest(dir);
        EXPECT_EQ(run.exit_code, 3);
        EXPECT_NE(run.err.find("chartest: ./" + SHEET + ": "), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("::LOADBMP()"), std::string::npos) << run.err;
    }
}

// A 24-bit BMP header that claims width x height but holds no pixels.
std::string bmp_header_only(int32_t width, int32_t height) {
    std::string h(54, '\0');
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) h[at + i] = static_cast<char>(v >> (8 * i));
    };
    h[0] = 'B';
    h[1] = 'M';
    put32(2, 54);
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    h[26] = 1;
    h[28] = 24;
    return h;
}

TEST(Program, BadInputEndsCleanly) {
    std::string every_byte;
    for (int c = 0; c < 256; ++c) every_byte += static_cast<char>(c);
    enum class Sheet { Good, Folder, Bytes };
    const struct {
        const char* what;
        Sheet sheet;
        std::string sheet_bytes;
        std::string text;
        int exit_code;
    } cases[] = {
        {"sheet is a folder", Sheet::Folder, "", "x\n", 7},
        {"empty sheet file", Sheet::Bytes, "", "x\n", 3},
        {"text file named .bmp", Sheet::Bytes, "hello, I am not a bitmap\n", "x\n", 3},
        {"100000 x 100000 header", Sheet::Bytes, bmp_header_only(100000, 100000), "x\n", 3},
        {"1-byte chartest.txt", Sheet::Good, "", "x", 0},
        {"every byte value", Sheet::Good, "", every_byte, 0},
        {"50 MB on one line", Sheet::Good, "", std::string(50u << 20, 'x'), 0},
    };
    for (const auto& c : cases) {
        TempDir dir;
        switch (c.sheet) {
            case Sheet::Good: write_sheet(dir); break;
            case Sheet::Folder: std::filesystem::create_directories(dir.path() / SHEET); break;
            case Sheet::Bytes: dir.write(SHEET, c.sheet_bytes); break;
        }
        dir.write("chartest.txt", c.text);
        const ProgramRun run = run_chartest(dir);
        EXPECT_EQ(run.exit_code, c.exit_code) << c.what << run.err;
        if (c.exit_code != 0) {
            EXPECT_NE(run.err.find("Aborting due to runtime error"), std::string::npos) << c.what;
        }
    }
}

}  // namespace
}  // namespace chartest
