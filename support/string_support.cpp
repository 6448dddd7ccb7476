// String search and slicing, text buffers, word and line tables, and the console prompt.
//
// The routines that take pieces off the front of a text one by one (NEEDLECOUNT,
// UCWORDS, DUMP_BUFFER, ALLOCATEWORDS) walk the text with an offset instead of copying
// the rest after every piece, and STR_REPLACE rewrites in a single pass; every result
// is the same as that of the piece-by-piece description in the header.
#include "support/string_support.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string_view>

#include "platform/screen.h"
#include "support/file_support.h"

namespace chartest {

namespace {

constexpr std::string_view CRLF = "\r\n";
constexpr size_t MIN_REPLACE_LIMIT = size_t{16} << 20;

// The first K characters of S: empty for K <= 0, all of S for K >= its length.
std::string left_part(const std::string& s, int64_t k) {
    if (k <= 0) return {};
    return s.substr(0, static_cast<size_t>(std::min<int64_t>(k, s.size())));
}

// S from 1-based position P, N characters; a negative N takes the rest. Empty when P
// lies outside S or N is 0.
std::string mid_part(const std::string& s, int64_t p, int64_t n) {
    if (p < 1 || p > static_cast<int64_t>(s.size()) || n == 0) return {};
    const size_t start = static_cast<size_t>(p - 1);
    return n < 0 ? s.substr(start) : s.substr(start, static_cast<size_t>(n));
}

// Adds one element at the upper end of a table, keeping contents and lower bound.
void grow_by_one(StringTable& table) { table.redim_preserve(table.lbound(), table.ubound() + 1); }

// Case conversion of one byte: a-z and A-Z by their fixed pairs whatever the locale
// says (command words must convert the same everywhere), other bytes by the locale that
// the program selected.
unsigned char upper_byte(unsigned char c) {
    if (c < 0x80) return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
    return static_cast<unsigned char>(std::toupper(c));
}
unsigned char lower_byte(unsigned char c) {
    if (c < 0x80) return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
    return static_cast<unsigned char>(std::tolower(c));
}

}  // namespace

// ---- Search and slicing --------------------------------------------------------------

int32_t STRPOS(const std::string& NEEDLE, const std::string& HAYSTACK) {
    if (NEEDLE.empty() || HAYSTACK.empty()) return 0;
    const size_t at = HAYSTACK.find(NEEDLE);
    return at == std::string::npos ? 0 : static_cast<int32_t>(at + 1);
}

int32_t STRRPOS(const std::string& NEEDLE, const std::string& HAYSTACK) {
    const int32_t absent = static_cast<int32_t>(HAYSTACK.size() + 1);
    if (NEEDLE.empty() || HAYSTACK.empty()) return absent;
    const size_t at = HAYSTACK.rfind(NEEDLE);
    return at == std::string::npos ? absent : static_cast<int32_t>(at + 1);
}

std::string PREFIX(const std::string& NEEDLE, const std::string& HAYSTACK) {
    const int32_t at = STRPOS(NEEDLE, HAYSTACK);
    return at == 0 ? HAYSTACK : HAYSTACK.substr(0, static_cast<size_t>(at - 1));
}

std::string SUFFIX(const std::string& NEEDLE, const std::string& HAYSTACK) {
    const int32_t at = STRPOS(NEEDLE, HAYSTACK);
    if (at == 0) return {};
    return mid_part(HAYSTACK, int64_t{at} + static_cast<int64_t>(NEEDLE.size()), -1);
}

std::string EXT_PREFIX(const std::string& NEEDLE, const std::string& HAYSTACK) {
    return left_part(HAYSTACK, int64_t{STRRPOS(NEEDLE, HAYSTACK)} - 1);
}

std::string EXT_SUFFIX(const std::string& NEEDLE, const std::string& HAYSTACK) {
    const int64_t at = STRRPOS(NEEDLE, HAYSTACK);
    return mid_part(HAYSTACK, at + static_cast<int64_t>(NEEDLE.size()), -1);
}

std::string AXISLABEL_S(const std::string& BUFFER, const std::string& OPEN_S,
                        const std::string& CLOSE_S) {
    const int64_t o1 = STRPOS(OPEN_S, BUFFER);
    const int64_t o2 = STRPOS(CLOSE_S, BUFFER);
    if (o1 > 0 && o2 == 0) return left_part(BUFFER, o1 - 1);
    // With no opening bracket this is the empty string, not the whole buffer.
    if (o2 > o1) return left_part(BUFFER, o1 - 1);
    return BUFFER;
}

std::string AXISPARAM_S(const std::string& BUFFER, const std::string& OPEN_S,
                        const std::string& CLOSE_S) {
    const int64_t o1 = STRPOS(OPEN_S, BUFFER);
    const int64_t o2 = STRPOS(CLOSE_S, BUFFER);
    if (o1 > 0 && o2 > o1) {
        const int64_t open_len = static_cast<int64_t>(OPEN_S.size());
        // A negative count (the first CLOSE_S starts inside OPEN_S) takes the rest.
        return mid_part(BUFFER, o1 + open_len, o2 - o1 - open_len);
    }
    return {};
}

std::string STR_REPLACE(const std::string& NEEDLE, const std::string& REPLACEMENT,
                        std::string& HAYSTACK) {
    if (STRPOS(NEEDLE, HAYSTACK) == 0) return HAYSTACK;
    // Every replacement would bring the needle back, so the rewriting could never end.
    if (REPLACEMENT.find(NEEDLE) != std::string::npos) fatal_error(ERR_ILLEGAL_FUNCTION_CALL);

    // Replacing the leftmost occurrence and searching again from the start is the same
    // as moving the text byte by byte onto `done` (which never holds an occurrence) and,
    // whenever `done` ends with the needle, taking the needle off again and feeding the
    // replacement back in ahead of the unread text: the first occurrence to be completed
    // is always the leftmost one of the whole current text.
    const std::string source = HAYSTACK;  // HAYSTACK may be REPLACEMENT or NEEDLE itself
    const std::string needle = NEEDLE;
    const std::string replacement = REPLACEMENT;
    const size_t n = needle.size();
    std::string done;
    std::string pending;  // replacement bytes still to feed, the next one at the back
    size_t next = 0;      // next unread byte of `source`
    const size_t limit = std::max(
        MIN_REPLACE_LIMIT, 4 * (source.size() + source.size() / n * replacement.size()));
    try {
        done.reserve(source.size());
        while (!pending.empty() || next < source.size()) {
            if (!pending.empty()) {
                done.push_back(pending.back());
                pending.pop_back();
            } else {
                done.push_back(source[next++]);
            }
            if (done.size() >= n && std::memcmp(done.data() + done.size() - n, needle.data(), n) == 0) {
                done.resize(done.size() - n);
                pending.append(replacement.rbegin(), replacement.rend());
                // Some needle and replacement pairs rewrite a text forever without the
                // replacement holding the needle ("ab" to "bbaa" grows "aab" without
                // end). A text that grows far past what replacing every original
                // occurrence once could give is taken as running out of memory rather
                // than left to exhaust the machine.
                if (done.size() + pending.size() > limit) fatal_error(ERR_OUT_OF_MEMORY);
            }
        }
    } catch (const std::bad_alloc&) {
        fatal_error(ERR_OUT_OF_MEMORY);
    } catch (const std::length_error&) {
        fatal_error(ERR_OUT_OF_MEMORY);
    }
    HAYSTACK = std::move(done);
    return HAYSTACK;
}

int32_t NEEDLECOUNT(const std::string& NEEDLE, std::string& HAYSTACK) {
    int32_t count = 0;
    if (!NEEDLE.empty()) {
        // `rest` is where the remaining text starts; an occurrence counts when text
        // follows it.
        size_t rest = 0;
        for (;;) {
            const size_t at = HAYSTACK.find(NEEDLE, rest);
            if (at == std::string::npos) break;
            rest = at + NEEDLE.size();
            if (rest >= HAYSTACK.size()) break;
            ++count;
        }
    }
    HAYSTACK.clear();
    return count;
}

std::string UCWORDS(std::string& SUBJECT) {
    std::string value;
    size_t rest = 0;  // the remaining subject starts here
    const size_t size = SUBJECT.size();
    while (rest < size) {
        if (!value.empty()) value.push_back(' ');
        size_t end = SUBJECT.find(' ', rest);
        const bool last = end == std::string::npos;
        if (last) end = size;
        if (end > rest) {
            value.push_back(static_cast<char>(upper_byte(static_cast<unsigned char>(SUBJECT[rest]))));
            for (size_t i = rest + 1; i < end; ++i)
                value.push_back(static_cast<char>(lower_byte(static_cast<unsigned char>(SUBJECT[i]))));
        }
        rest = last ? size : end + 1;
    }
    SUBJECT.clear();
    return value;
}

std::string PACKTEXT(std::string& BUFFER, const std::string& NEWLINE) {
    const std::string line = NEWLINE;  // the same string may be passed as both
    if (!BUFFER.empty()) BUFFER += CRLF;
    BUFFER += line;
    return BUFFER;
}

std::string PACKTEXTREVERSE(std::string& BUFFER, const std::string& NEWLINE) {
    std::string joined = NEWLINE;
    if (!BUFFER.empty()) {
        joined += CRLF;
        joined += BUFFER;
    }
    BUFFER = std::move(joined);
    return BUFFER;
}

// ---- Text buffers ----------------------------------------------------------------------

std::string LOAD_BUFFER(const std::string& FULLFILENAME) {
    if (IS_FILE(FULLFILENAME) == 0) {
        SCREEN_COLOR(0xFFFFFFFFu, SCREEN_BACKGROUND(), COLOR_FOREGROUND);
        TEXT_PRINT("Is not a file: \"" + FULLFILENAME + "\"", true);
        return {};
    }
    int32_t FILEMODE = free_file_number();
    if (FILEMODE == 0) return {};
    if (!file_open(FILEMODE, FULLFILENAME, FileMode::ReadBinary)) return {};
    std::FILE* f = file_stream(FILEMODE);

    std::string buffer;
    long size = -1;
    if (std::fseek(f, 0, SEEK_END) == 0) size = std::ftell(f);
    if (size < 0 || std::fseek(f, 0, SEEK_SET) != 0) fatal_error(ERR_FILE_IO);
    if (size > 0) {
        try {
            buffer.resize(static_cast<size_t>(size));
        } catch (const std::bad_alloc&) {
            fatal_error(ERR_OUT_OF_MEMORY);
        } catch (const std::length_error&) {
            fatal_error(ERR_OUT_OF_MEMORY);
        }
        if (std::fread(buffer.data(), 1, buffer.size(), f) != buffer.size()) fatal_error(ERR_FILE_IO);
    }
    file_close(FILEMODE);
    FILEMODE = 0;
    return buffer;
}

void DUMP_BUFFER(const std::string& BUFFER) {
    size_t rest = 0;
    while (rest < BUFFER.size()) {
        const size_t at = BUFFER.find(CRLF, rest);
        if (at == std::string::npos) {
            TEXT_PRINT(BUFFER.substr(rest), true);
            break;
        }
        TEXT_PRINT(BUFFER.substr(rest, at - rest), true);
        rest = at + CRLF.size();
    }
}

// ---- Word and line tables --------------------------------------------------------------

void ALLOCATEWORDS(const std::string& TEXT, const std::string& SEP, StringTable& WORDS) {
    WORDS.erase();
    size_t rest = 0;
    while (rest < TEXT.size()) {
        const size_t at = SEP.empty() ? std::string::npos : TEXT.find(SEP, rest);
        grow_by_one(WORDS);
        if (at == std::string::npos) {
            WORDS[WORDS.ubound()] = TEXT.substr(rest);
            break;
        }
        WORDS[WORDS.ubound()] = TEXT.substr(rest, at - rest);
        rest = at + SEP.size();
    }
}

void ALLOCATELINES(const std::string& SEP, const StringTable& WORDS, StringTable& LINES,
                   int32_t W) {
    const int32_t screen_width = SCREEN_INFO().width;
    // Characters of 8 pixels, rounded to nearest with halves to the even neighbour.
    if (W == 0) W = static_cast<int32_t>(std::nearbyint(screen_width / 8.0));
    // A copy, so that the same table may be passed as WORDS and LINES.
    const StringTable words = WORDS;
    LINES.erase();
    int64_t words_on_last_line = 0;
    for (int32_t index = words.lbound(); index <= words.ubound(); ++index) {
        const std::string& word = words[index];
        if (LINES.empty()) grow_by_one(LINES);
        // The separator goes between the words of a line and counts toward the width.
        const int64_t joined = static_cast<int64_t>(LINES[LINES.ubound()].size()) +
                               (words_on_last_line > 0 ? static_cast<int64_t>(SEP.size()) : 0) +
                               static_cast<int64_t>(word.size());
        if (joined > W) {
            grow_by_one(LINES);
            words_on_last_line = 0;
        }
        std::string& line = LINES[LINES.ubound()];
        if (words_on_last_line > 0) line += SEP;
        line += word;
        ++words_on_last_line;
    }
}

// ---- Console prompt --------------------------------------------------------------------

namespace {

// Moves the text cursor one cell back. At column 1 the cell before is the last column
// of the row above: after printing in the last column the cursor has wrapped (and on
// the last row the page has scrolled up, which leaves that cell in the row above too).
void cursor_back() {
    const int32_t row = TEXT_ROW();
    const int32_t column = TEXT_COLUMN();
    if (column > 1) {
        TEXT_LOCATE(row, column - 1);
    } else if (row > 1) {
        TEXT_LOCATE(row - 1, SCREEN_INFO().width / 8);
    }
}

}  // namespace

std::string ANICURSOR() {
    static const char frames[] = "\\|/-";
    const double quarters = std::floor(CLOCK_SECONDS() * 4.0);
    int64_t f = static_cast<int64_t>(std::fmod(quarters, 4.0));
    if (f < 0) f += 4;
    return std::string(1, frames[f]);
}

std::string PROMPT(const std::string& LABEL) {
    std::string value;
    TEXT_LOCATE(TEXT_ROW(), TEXT_COLUMN());
    TEXT_PRINT(LABEL, false);
    for (;;) {
        std::string ci;
        while (ci.empty()) {
            // The frame is drawn at the entry column and the cursor put back onto it.
            TEXT_PRINT(ANICURSOR(), false);
            cursor_back();
            ci = KEY_POLL();
            SLEEP_MS(1);
            if (ci == key::ESCAPE || ci == key::CLOSE) end_program(0);
        }
        if (ci == key::BACKSPACE) {
            if (!value.empty()) {
                value.pop_back();
                // Blank the removed character and the frame after it, then stand on the
                // removed character's cell: the next character is typed there.
                cursor_back();
                TEXT_PRINT("  ", false);
                cursor_back();
                cursor_back();
            }
        } else if (ci == key::ENTER) {
            TEXT_PRINT(" ", true);  // covers the cursor frame
            return value;
        } else if (static_cast<unsigned char>(ci[0]) >= 0x20) {
            // Printable text, code 127, bytes above 127 and special keys (first byte 255).
            value += ci;
            TEXT_PRINT(ci, false);
        }
        // Anything else begins with a control character and is ignored.
    }
}

}  // namespace chartest
