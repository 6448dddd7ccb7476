#include <gtest/gtest.h>

#include <string>

#include "support/runtime.h"
#include "tests/headless_fixture.h"

namespace chartest {
namespace {

TEST(FatalReport, ExactTextNamesLineFileAndRoutine) {
    const std::source_location here = std::source_location::current();
    EXPECT_EQ(fatal_report(ERR_OUT_OF_BOUNDS, here),
              "\nAborting due to runtime error 6 (out of bounds array access) at line " +
                  std::to_string(here.line()) + " of tests/test_runtime.cpp::TESTBODY()\n\n");
}

TEST(FatalReport, TextsOfEveryErrorNumber) {
    const struct {
        int32_t error;
        const char* text;
    } cases[] = {{1, "illegal function call"}, {2, "file not found"},   {3, "file I/O error"},
                 {4, "out of memory"},         {6, "out of bounds array access"},
                 {7, "null pointer access"}};
    for (const auto& c : cases) EXPECT_STREQ(error_text(c.error), c.text) << c.error;
}

void LOAD_SOMETHING() { fatal_error(ERR_FILE_IO); }

TEST(FatalReportDeathTest, WritesReportAndExitsWithErrorNumber) {
    EXPECT_EXIT(LOAD_SOMETHING(), ::testing::ExitedWithCode(3),
                "^\nAborting due to runtime error 3 \\(file I/O error\\) at line [0-9]+ of "
                "tests/test_runtime.cpp::LOAD_SOMETHING\\(\\)\n\n$");
}

int32_t READ_PAST_END(const DynArray<int32_t>& a) { return a[a.ubound() + 1]; }

TEST(DynArrayDeathTest, IndexOutsideBoundsReportsTheCallersRoutine) {
    DynArray<int32_t> a;
    a.redim(-2, 2);
    EXPECT_EXIT(READ_PAST_END(a), ::testing::ExitedWithCode(6),
                "runtime error 6 \\(out of bounds array access\\) at line [0-9]+ of "
                "tests/test_runtime.cpp::READ_PAST_END\\(\\)");
    DynArray<std::string> empty;
    EXPECT_EXIT(empty[0], ::testing::ExitedWithCode(6), "out of bounds");
}

TEST(RoutineName, TakesTheIdentifierBeforeTheParameterList) {
    EXPECT_EQ(routine_name(std::source_location::current()), "TESTBODY");
    // A check inside a lambda is reported as the routine that holds the lambda.
    auto lambda = [] { return routine_name(std::source_location::current()); };
    EXPECT_EQ(lambda(), "TESTBODY");
}

TEST(DynArray, BoundsAndPreservingResize) {
    DynArray<std::string> a;
    EXPECT_EQ(a.lbound(), 0);
    EXPECT_EQ(a.ubound(), -1);
    a.redim(0, 2);
    a[0] = "x";
    a[1] = "y";
    a[2] = "z";
    a.redim_preserve(5, 8);  // new bounds; elements kept in order from the start
    EXPECT_EQ(a.lbound(), 5);
    EXPECT_EQ(a.ubound(), 8);
    EXPECT_EQ(a[5], "x");
    EXPECT_EQ(a[7], "z");
    EXPECT_EQ(a[8], "");
    a.redim_preserve(-1, -1);  // shrinking keeps the first element
    EXPECT_EQ(a[-1], "x");
    a.redim(0, 1);  // fresh elements
    EXPECT_EQ(a[0], "");
    a.erase();
    EXPECT_EQ(a.lbound(), 0);
    EXPECT_EQ(a.ubound(), -1);
    for (int32_t i = 0; i < 1000; ++i) a.redim_preserve(0, i), a[i] = std::to_string(i);
    EXPECT_EQ(a[999], "999");
    EXPECT_EQ(a[0], "0");
}

TEST(FileNumbers, LowestFreeFirstAndCloseReports) {
    TempDir dir;
    const std::string path = dir.write("a.txt", "x");
    const int32_t first = free_file_number();
    ASSERT_GE(first, 1);
    ASSERT_TRUE(file_open(first, path, FileMode::ReadBinary));
    EXPECT_FALSE(file_open(first, path, FileMode::ReadBinary)) << "number in use";
    const int32_t second = free_file_number();
    EXPECT_GT(second, first);
    EXPECT_TRUE(file_close(first));
    EXPECT_EQ(free_file_number(), first);
    EXPECT_FALSE(file_close(first)) << "nothing open under it any more";
    EXPECT_FALSE(file_open(first, dir.path().string(), FileMode::ReadBinary)) << "a folder";
    EXPECT_FALSE(file_open(0, path, FileMode::ReadBinary));
    EXPECT_FALSE(file_open(256, path, FileMode::ReadBinary));
}

TEST(FileNumbers, AllInUseGivesZero) {
    TempDir dir;
    const std::string path = dir.write("a.txt", "x");
    std::vector<int32_t> opened;
    while (int32_t n = free_file_number()) {
        ASSERT_TRUE(file_open(n, path, FileMode::ReadBinary));
        opened.push_back(n);
    }
    EXPECT_EQ(opened.size(), 255u);
    EXPECT_EQ(free_file_number(), 0);
    for (int32_t n : opened) file_close(n);
}

TEST(ReadLine, BreaksAndBytes) {
    const struct {
        std::string content;
        std::vector<std::string> lines;
    } cases[] = {
        {"", {}},
        {"abc", {"abc"}},
        {"abc\n", {"abc"}},
        {"a\nb\r\nc", {"a", "b", "c"}},
        {"a\r\n\r\n", {"a", ""}},
        {"a\rb\n", {"a\rb"}},             // a CR inside a line stays
        {"a\r", {"a"}},                   // a final CR ends the last line
        {"a\r\r\n", {"a\r"}},             // only the CR right before the LF goes
        {std::string("a\0b\n", 4), {std::string("a\0b", 3)}},
        {std::string(100000, 'x') + "\ny", {std::string(100000, 'x'), "y"}},
    };
    TempDir dir;
    for (const auto& c : cases) {
        const std::string path = dir.write("lines.txt", c.content);
        const int32_t n = free_file_number();
        ASSERT_TRUE(file_open(n, path, FileMode::ReadText));
        std::vector<std::string> got;
        std::string line;
        while (file_read_line(n, line)) got.push_back(line);
        file_close(n);
        EXPECT_EQ(got, c.lines) << testing::PrintToString(c.content.substr(0, 20));
    }
}

}  // namespace
}  // namespace chartest
