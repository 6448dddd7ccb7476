#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/screen.h"
#include "support/string_support.h"
#include "tests/headless_fixture.h"

namespace chartest {
namespace {

using namespace std::string_literals;

// ---- Search and slicing -----------------------------------------------------------------

TEST(Search, FirstAndLastOccurrence) {
    const struct {
        std::string needle, haystack;
        int32_t first, last;
    } cases[] = {
        {"b", "abcb", 2, 4},
        {"x", "abc", 0, 4},         // absent: 0 against length + 1
        {"", "abc", 0, 4},          // empty needle
        {"a", "", 0, 1},            // empty haystack
        {"", "", 0, 1},
        {"abcd", "abc", 0, 4},      // needle longer than haystack
        {"abc", "abc", 1, 1},
        {"aa", "aaaa", 1, 3},       // overlapping matches: rightmost start
        {"\0"s, "a\0b\0"s, 2, 4},   // zero bytes are ordinary bytes
        {"\r\n", "a\r\nb\r\n", 2, 5},
        {"A", "abc", 0, 4},         // case-sensitive
    };
    for (const auto& c : cases) {
        EXPECT_EQ(STRPOS(c.needle, c.haystack), c.first) << c.needle << " in " << c.haystack;
        EXPECT_EQ(STRRPOS(c.needle, c.haystack), c.last) << c.needle << " in " << c.haystack;
    }
}

TEST(Slicing, AroundFirstAndLastSeparator) {
    const struct {
        std::string needle, haystack, prefix, suffix, ext_prefix, ext_suffix;
    } cases[] = {
        {".", "a.b.c", "a", "b.c", "a.b", "c"},
        {".", "abc", "abc", "", "abc", ""},
        {".", ".abc", "", "abc", "", "abc"},
        {".", "abc.", "abc", "", "abc", ""},
        {".", ".", "", "", "", ""},
        {"", "abc", "abc", "", "abc", ""},
        {".", "", "", "", "", ""},
        {"\r\n", "a\r\nb", "a", "b", "a", "b"},
        {"\r\n", "a\r\n\r\nb", "a", "\r\nb", "a\r\n", "b"},
        {"ab", "xabyabz", "x", "yabz", "xaby", "z"},
        {"aa", "aaa", "", "a", "a", ""},  // last match starts at 2 and ends the text
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("needle '" + c.needle + "' haystack '" + c.haystack + "'");
        EXPECT_EQ(PREFIX(c.needle, c.haystack), c.prefix);
        EXPECT_EQ(SUFFIX(c.needle, c.haystack), c.suffix);
        EXPECT_EQ(EXT_PREFIX(c.needle, c.haystack), c.ext_prefix);
        EXPECT_EQ(EXT_SUFFIX(c.needle, c.haystack), c.ext_suffix);
    }
}

TEST(Slicing, PrefixSuffixLoopYieldsEveryPiece) {
    // The splitting loop that the parsers use: adjacent separators give empty pieces,
    // the last piece is included, a trailing separator adds nothing.
    std::string rest = ",a,,b,";
    std::vector<std::string> pieces;
    while (!rest.empty()) {
        pieces.push_back(PREFIX(",", rest));
        rest = SUFFIX(",", rest);
    }
    EXPECT_EQ(pieces, (std::vector<std::string>{"", "a", "", "b"}));
}

TEST(Brackets, LabelAndParameter) {
    const struct {
        std::string buffer, label, param;
    } cases[] = {
        {"Width(320)", "Width", "320"},
        {"Width(320", "Width", ""},
        {"Width", "Width", ""},
        {"Width)", "", ""},
        {"a)b(c", "a)b(c", ""},
        {"f(a)(b)", "f", "a"},
        {"f((a))", "f", "(a"},
        {"()", "", ""},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AXISLABEL_S(c.buffer, "(", ")"), c.label) << c.buffer;
        EXPECT_EQ(AXISPARAM_S(c.buffer, "(", ")"), c.param) << c.buffer;
    }
    // Multi-character brackets; a first CLOSE_S that begins inside OPEN_S gives a
    // negative count, which takes the rest after OPEN_S.
    EXPECT_EQ(AXISLABEL_S("x[[1]]", "[[", "]]"), "x");
    EXPECT_EQ(AXISPARAM_S("x[[1]]", "[[", "]]"), "1");
    EXPECT_EQ(AXISLABEL_S("x<<>tail", "<<", "<>"), "x");
    EXPECT_EQ(AXISPARAM_S("x<<>tail", "<<", "<>"), ">tail");
}

// ---- Rewriting routines --------------------------------------------------------------------

// The routines exactly as their step-by-step description reads, for comparison with
// the single-pass versions. The replacement gives up (false) after `limit` passes:
// some replacements grow the text without end ('aab' with 'ab' by 'bbaa').
bool replace_step_by_step(const std::string& needle, const std::string& replacement,
                          std::string& haystack, int limit = 100) {
    for (int pass = 0; STRPOS(needle, haystack) != 0; ++pass) {
        if (pass == limit) return false;
        haystack = PREFIX(needle, haystack) + replacement + SUFFIX(needle, haystack);
    }
    return true;
}
int32_t count_step_by_step(const std::string& needle, std::string haystack) {
    int32_t count = 0;
    for (haystack = SUFFIX(needle, haystack); !haystack.empty(); haystack = SUFFIX(needle, haystack))
        ++count;
    return count;
}
std::string ucwords_step_by_step(std::string subject) {
    std::string value;
    while (!subject.empty()) {
        if (!value.empty()) value += " ";
        const std::string word = PREFIX(" ", subject);
        for (size_t i = 0; i < word.size(); ++i)
            value += static_cast<char>(i == 0 ? std::toupper(word[i]) : std::tolower(word[i]));
        subject = SUFFIX(" ", subject);
    }
    return value;
}

std::string random_text(std::mt19937& gen, const std::string& alphabet, size_t max_len) {
    std::string s(std::uniform_int_distribution<size_t>(0, max_len)(gen), ' ');
    for (char& c : s) c = alphabet[std::uniform_int_distribution<size_t>(0, alphabet.size() - 1)(gen)];
    return s;
}

TEST(StrReplace, ReplacesUntilNoOccurrenceIsLeft) {
    const struct {
        std::string needle, replacement, haystack, result;
    } cases[] = {
        {"ab", "a", "aabb", "aa"},        // occurrences formed by a replacement go too
        {"x", "yy", "axbxc", "ayybyyc"},
        {"x", "", "xxaxx", "a"},
        {"q", "z", "abc", "abc"},         // absent: unchanged
        {"", "z", "abc", "abc"},          // empty needle: unchanged
        {"a", "z", "", ""},
        {"\r\n", "\n", "a\r\nb\r\n", "a\nb\n"},
        {"ab", "bba", "aab", "bbbbaa"},
    };
    for (const auto& c : cases) {
        std::string haystack = c.haystack;
        EXPECT_EQ(STR_REPLACE(c.needle, c.replacement, haystack), c.result) << c.haystack;
        EXPECT_EQ(haystack, c.result) << "HAYSTACK holds the result";
    }
}

TEST(StrReplace, SameResultsAsReplacingOneOccurrenceAtATime) {
    std::mt19937 gen(7);
    for (int i = 0; i < 3000; ++i) {
        const std::string needle = random_text(gen, "ab", 3);
        const std::string replacement = random_text(gen, "abc", 3);
        std::string haystack = random_text(gen, "abc", 14);
        if (!needle.empty() && replacement.find(needle) != std::string::npos) continue;
        std::string expected = haystack;
        if (!replace_step_by_step(needle, replacement, expected)) continue;
        EXPECT_EQ(STR_REPLACE(needle, replacement, haystack), expected) << needle << "/" << replacement;
    }
}

TEST(StrReplaceDeathTest, ReplacementHoldingTheNeedleIsAnIllegalCall) {
    std::string haystack = "a.b";
    EXPECT_EXIT(STR_REPLACE(".", "..", haystack), ::testing::ExitedWithCode(1),
                "runtime error 1 \\(illegal function call\\).*::STR_REPLACE\\(\\)");
    // Without an occurrence the call finishes at once and changes nothing.
    EXPECT_EQ(STR_REPLACE("x", "xx", haystack), "a.b");
}

TEST(StrReplaceDeathTest, EndlessGrowthEndsAsOutOfMemory) {
    // "ab" -> "bbaa" never holds "ab" itself, yet every rewrite of "aab" makes a new one.
    std::string haystack = "aab";
    EXPECT_EXIT(STR_REPLACE("ab", "bbaa", haystack), ::testing::ExitedWithCode(4),
                "runtime error 4 \\(out of memory\\).*::STR_REPLACE\\(\\)");
}

TEST(NeedleCount, CountsOccurrencesFollowedByTextAndEmptiesHaystack) {
    const struct {
        std::string needle, haystack;
        int32_t count;
    } cases[] = {
        {",", "a,b,c", 2}, {",", "a,b,", 1}, {",", ",", 0},   {"aa", "aaaa", 1},
        {"aa", "aaaaa", 2}, {"", "abc", 0},  {"x", "abc", 0}, {",", "", 0},
        {",", ",,", 1},    {"\r\n", "a\r\n\r\nb", 2},
    };
    for (const auto& c : cases) {
        std::string haystack = c.haystack;
        EXPECT_EQ(NEEDLECOUNT(c.needle, haystack), c.count) << c.needle << " in " << c.haystack;
        EXPECT_EQ(haystack, "");
    }
    std::mt19937 gen(11);
    for (int i = 0; i < 2000; ++i) {
        const std::string needle = random_text(gen, "ab", 2);
        std::string haystack = random_text(gen, "ab", 12);
        const int32_t expected = count_step_by_step(needle, haystack);
        EXPECT_EQ(NEEDLECOUNT(needle, haystack), expected);
    }
}

TEST(UcWords, CapitalisesSpaceSeparatedWordsAndEmptiesSubject) {
    const struct {
        std::string subject, result;
    } cases[] = {
        {"hELLO wORLD", "Hello World"},
        {"", ""},
        {"1st", "1st"},
        {"a  b", "A  B"},       // inner runs of spaces survive
        {"  ab", "Ab"},         // leading spaces are dropped
        {"ab ", "Ab"},          // of n trailing spaces n - 1 remain
        {"ab  ", "Ab "},
        {"   ", ""},
        {"x\ty-z", "X\ty-z"},   // only the space separates words
        {"\xE9t\xC9", "\xE9t\xC9"s},  // bytes above 127 unchanged in the "C" locale
    };
    for (const auto& c : cases) {
        std::string subject = c.subject;
        EXPECT_EQ(UCWORDS(subject), c.result) << "'" << c.subject << "'";
        EXPECT_EQ(subject, "");
    }
    std::mt19937 gen(13);
    for (int i = 0; i < 2000; ++i) {
        std::string subject = random_text(gen, "aB ", 10);
        const std::string expected = ucwords_step_by_step(subject);
        EXPECT_EQ(UCWORDS(subject), expected);
    }
}

TEST(PackText, JoinsLinesWithCrLf) {
    std::string buffer;
    EXPECT_EQ(PACKTEXT(buffer, "a"), "a");
    EXPECT_EQ(PACKTEXT(buffer, "b"), "a\r\nb");
    EXPECT_EQ(PACKTEXT(buffer, ""), "a\r\nb\r\n");
    EXPECT_EQ(buffer, "a\r\nb\r\n");

    buffer = "a";
    EXPECT_EQ(PACKTEXTREVERSE(buffer, "b"), "b\r\na");
    EXPECT_EQ(PACKTEXTREVERSE(buffer, ""), "\r\nb\r\na");
    EXPECT_EQ(buffer, "\r\nb\r\na");
    std::string empty;
    EXPECT_EQ(PACKTEXTREVERSE(empty, "x"), "x");

    // The same string as both arguments adds a copy of the line as it was.
    buffer = "ab";
    EXPECT_EQ(PACKTEXT(buffer, buffer), "ab\r\nab");
    buffer = "ab";
    EXPECT_EQ(PACKTEXTREVERSE(buffer, buffer), "ab\r\nab");
}

// ---- Word and line tables ------------------------------------------------------------------

std::vector<std::string> contents(const StringTable& table) {
    EXPECT_EQ(table.lbound(), 0);
    return table.storage();
}

TEST(AllocateWords, PiecesBetweenSeparators) {
    const struct {
        std::string text, sep;
        std::vector<std::string> words;
    } cases[] = {
        {"a b c", " ", {"a", "b", "c"}},
        {"a  b", " ", {"a", "", "b"}},
        {" a", " ", {"", "a"}},
        {"a b ", " ", {"a", "b"}},
        {"", " ", {}},
        {"a,b", "", {"a,b"}},
        {"a\r\nb", "\r\n", {"a", "b"}},
    };
    StringTable words;
    words.redim(3, 9);  // earlier content and bounds are replaced
    for (const auto& c : cases) {
        const std::string text = c.text;
        ALLOCATEWORDS(text, c.sep, words);
        EXPECT_EQ(contents(words), c.words) << "'" << c.text << "'";
        EXPECT_EQ(words.ubound(), static_cast<int32_t>(c.words.size()) - 1);
        EXPECT_EQ(text, c.text);
    }
}

StringTable table_of(const std::vector<std::string>& items) {
    StringTable t;
    for (const std::string& s : items) {
        t.redim_preserve(0, t.ubound() + 1);
        t[t.ubound()] = s;
    }
    return t;
}

TEST(AllocateLines, PacksWordsIntoLinesOfAtMostW) {
    const struct {
        std::vector<std::string> words;
        int32_t w;
        std::vector<std::string> lines;
    } cases[] = {
        {{}, 10, {}},
        {{"abcd", "e"}, 3, {"", "abcd", "e"}},  // a first word too long leaves line 0 empty
        {{"a", "b", "c"}, -1, {"", "a", "b", "c"}},
        {{"the", "quick", "brown", "fox"}, 9, {"the quick", "brown fox"}},
        {{"the", "quick", "brown", "fox"}, 8, {"the", "quick", "brown", "fox"}},
        {{"ab", "", "cd"}, 5, {"ab ", "cd"}},    // an empty word still takes its separator
        {{"", "ab"}, 2, {"", "ab"}},
    };
    StringTable lines = table_of({"old"});
    for (const auto& c : cases) {
        const StringTable words = table_of(c.words);
        ALLOCATELINES(" ", words, lines, c.w);
        EXPECT_EQ(contents(lines), c.lines) << "W " << c.w;
    }
    // Without a separator the words of a line run together.
    ALLOCATELINES("", table_of({"ab", "cd", "e"}), lines, 4);
    EXPECT_EQ(contents(lines), (std::vector<std::string>{"abcd", "e"}));
}

class LinesOnScreen : public HeadlessScreen {};

TEST_F(LinesOnScreen, WidthZeroMeansScreenColumns) {
    StringTable words = table_of({std::string(20, 'a'), std::string(19, 'b'), "c"});
    StringTable lines;
    ALLOCATELINES(" ", words, lines, 0);  // 320 pixels: 40 characters
    EXPECT_EQ(contents(lines),
              (std::vector<std::string>{std::string(20, 'a') + " " + std::string(19, 'b'), "c"}));
    // The same table as words and lines.
    ALLOCATELINES(" ", words, words, 0);
    EXPECT_EQ(words.count(), 2);
}

// ---- Text buffers --------------------------------------------------------------------------


class TextBuffers : public HeadlessScreen {
protected:
    void SetUp() override {
        HeadlessScreen::SetUp();
        SCREEN_CLEAR();
    }
    TempDir dir;
};

TEST_F(TextBuffers, LoadGivesEveryByteOfTheFile) {
    const std::string bytes = "one\r\ntwo\0\r\nlone\rcr\nlf\r\n"s;
    const std::string path = dir.write("text.txt", bytes);
    EXPECT_EQ(LOAD_BUFFER(path), bytes);
    EXPECT_EQ(LOAD_BUFFER(dir.write("empty.txt", "")), "");
    EXPECT_EQ(TEXT_ROW(), 1) << "nothing printed";
    EXPECT_EQ(TEXT_COLUMN(), 1);
    EXPECT_NE(free_file_number(), 0);
    EXPECT_EQ(file_stream(1), nullptr) << "the file is closed again";
}

TEST_F(TextBuffers, LoadOfNoFilePrintsInWhite) {
    SCREEN_COLOR(0xFF00FF00);
    const std::string folder = dir.path().string();
    for (const std::string& name : {dir.file("missing"), folder, std::string()}) {
        SCREEN_CLEAR();
        SCREEN_COLOR(0xFF00FF00);
        EXPECT_EQ(LOAD_BUFFER(name), "");
        EXPECT_EQ(SCREEN_FOREGROUND(), 0xFFFFFFFFu) << "the colour stays set";
        EXPECT_GT(TEXT_ROW(), 1) << "followed by a line break";
        EXPECT_EQ(TEXT_COLUMN(), 1);
    }
    SCREEN_CLEAR();
    SCREEN_COLOR(0xFF00FF00);
    LOAD_BUFFER("nofile");
    EXPECT_TRUE(row_shows(1, "Is not a file: \"nofile\""));
    EXPECT_EQ(TEXT_ROW(), 2);
    TEXT_PRINT("next", false);
    EXPECT_TRUE(row_shows(2, "next")) << "later output is white too";
}

TEST_F(TextBuffers, DumpPrintsEachCrLfLine) {
    const struct {
        std::string buffer;
        std::vector<std::string> rows;
    } cases[] = {
        {"a\r\nb", {"a", "b"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a", {"a"}},
        {"\r\n", {""}},
        {"", {}},
        {"x\ry\nz", {"x\ry\nz"}},  // lone CR and LF are ordinary characters
    };
    for (const auto& c : cases) {
        SCREEN_CLEAR();
        const std::string buffer = c.buffer;
        DUMP_BUFFER(buffer);
        EXPECT_EQ(buffer, c.buffer);
        EXPECT_EQ(TEXT_ROW(), static_cast<int32_t>(c.rows.size()) + 1) << "'" << c.buffer << "'";
        for (size_t i = 0; i < c.rows.size(); ++i)
            EXPECT_TRUE(row_shows(static_cast<int32_t>(i) + 1, c.rows[i])) << "row " << i + 1;
    }
    // It prints at the cursor in the current colours, without clearing.
    SCREEN_CLEAR();
    TEXT_PRINT("> ", false);
    DUMP_BUFFER("a");
    EXPECT_TRUE(row_shows(1, "> a"));
}

}  // namespace
}  // namespace chartest
