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

}  // namespace
}  // namespace chartest
