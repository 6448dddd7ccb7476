#include "support/vga_lookup.h"

#include <cstdio>
#include <limits>

#include "support/file_support.h"

namespace chartest {

StringTable VGA_TABLE;

void vga_fill_table(StringTable& TABLE, std::string_view TEXT) {
    // Count the lines first and size the table once; the entries and bounds are those of
    // growing it one line at a time from -1 to -1.
    int64_t lines = 0;
    for (size_t start = 0; start < TEXT.size(); ++lines) {
        const size_t crlf = TEXT.find("\r\n", start);
        start = crlf == std::string_view::npos ? TEXT.size() : crlf + 2;
    }
    if (lines == 0) return;
    if (lines > std::numeric_limits<int32_t>::max()) fatal_error(ERR_OUT_OF_MEMORY);
    TABLE.redim_preserve(0, static_cast<int32_t>(lines - 1));

    int32_t index = 0;
    for (size_t start = 0; start < TEXT.size(); ++index) {
        const size_t crlf = TEXT.find("\r\n", start);
        const size_t end = crlf == std::string_view::npos ? TEXT.size() : crlf;
        size_t first = start, last = end;
        while (first < last && TEXT[first] == '"') ++first;
        while (last > first && TEXT[last - 1] == '"') --last;
        TABLE[index].assign(TEXT.substr(first, last - first));
        start = crlf == std::string_view::npos ? TEXT.size() : crlf + 2;
    }
}

void VGA_LOAD(StringTable& VGA_TABLE, const std::string& FILENAME) {
    VGA_TABLE.erase();
    VGA_TABLE.redim(-1, -1);
    if (IS_FILE(std::string(FILENAME)) == 0) return;
    const int32_t FILEMODE = free_file_number();
    if (FILEMODE == 0) return;
    if (!file_open(FILEMODE, FILENAME, FileMode::ReadBinary)) return;

    std::FILE* f = file_stream(FILEMODE);
    std::string RESERVEBUFFER;
    if (std::fseek(f, 0, SEEK_END) != 0) fatal_error(ERR_FILE_IO);
    const long size = std::ftell(f);
    if (size < 0 || std::fseek(f, 0, SEEK_SET) != 0) fatal_error(ERR_FILE_IO);
    if (size > 0) {
        RESERVEBUFFER.resize(static_cast<size_t>(size));
        if (std::fread(RESERVEBUFFER.data(), 1, RESERVEBUFFER.size(), f) != RESERVEBUFFER.size())
            fatal_error(ERR_FILE_IO);
    }
    file_close(FILEMODE);
    vga_fill_table(VGA_TABLE, RESERVEBUFFER);
}

namespace {

int digit_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'z') return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    return 99;
}

// Digits of `base` from `pos` on, wrapping modulo 2^64.
uint64_t read_wrapping(std::string_view text, size_t pos, int base) {
    uint64_t value = 0;
    for (; pos < text.size(); ++pos) {
        const int d = digit_value(text[pos]);
        if (d >= base) break;
        value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
    }
    return value;
}

bool is_white(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

uint64_t vga_parse_number(std::string_view TEXT) {
    size_t pos = 0;
    while (pos < TEXT.size() && TEXT[pos] == ' ') ++pos;
    if (pos < TEXT.size() && TEXT[pos] == '&') {
        ++pos;
        if (pos >= TEXT.size()) return 0;
        switch (TEXT[pos]) {
            case 'H': case 'h': return read_wrapping(TEXT, pos + 1, 16);
            case 'O': case 'o': return read_wrapping(TEXT, pos + 1, 8);
            case 'B': case 'b': return read_wrapping(TEXT, pos + 1, 2);
            default: return read_wrapping(TEXT, pos, 8);
        }
    }
    // Decimal: white space, an optional sign, digits; too large saturates.
    pos = 0;
    while (pos < TEXT.size() && is_white(TEXT[pos])) ++pos;
    bool negative = false;
    if (pos < TEXT.size() && (TEXT[pos] == '+' || TEXT[pos] == '-')) {
        negative = TEXT[pos] == '-';
        ++pos;
    }
    constexpr uint64_t max = std::numeric_limits<uint64_t>::max();
    uint64_t value = 0;
    bool overflow = false;
    for (; pos < TEXT.size() && TEXT[pos] >= '0' && TEXT[pos] <= '9'; ++pos) {
        const uint64_t d = static_cast<uint64_t>(TEXT[pos] - '0');
        if (value > (max - d) / 10) overflow = true;
        else value = value * 10 + d;
    }
    if (overflow) return max;
    return negative ? uint64_t{0} - value : value;
}

uint64_t VGA_LOOKUP2(StringTable& VGA_TABLE, int32_t INDEX, const std::string& FILENAME) {
    if (VGA_TABLE.ubound() == -1) VGA_LOAD(VGA_TABLE, FILENAME);
    const uint64_t passed = static_cast<uint64_t>(int64_t{INDEX});
    if (INDEX < 0 || INDEX > 255) return passed;
    if (INDEX < VGA_TABLE.lbound() || INDEX > VGA_TABLE.ubound()) return passed;
    return vga_parse_number(VGA_TABLE[INDEX]);
}

uint64_t VGA_LOOKUP(int32_t INDEX) {
    StringTable table;
    return VGA_LOOKUP2(table, INDEX, VGA_TABLE_FILE);
}

IMAGE VGA_TEST(StringTable& VGA_TABLE) {
    IMAGE IMG = IMAGE_CREATE(256, 256, 0, 32);
    for (int32_t INDEX = 0; INDEX <= 255; ++INDEX) {
        const uint32_t CRGB =
            static_cast<uint32_t>(VGA_LOOKUP2(VGA_TABLE, INDEX, VGA_TABLE_FILE) & 0xFFFFFFu);
        for (int32_t ALPHA = 0; ALPHA <= 255; ++ALPHA)
            PIXEL_SET(IMG, INDEX, ALPHA, (static_cast<uint32_t>(255 - ALPHA) << 24) | CRGB);
    }
    return IMG;
}

}  // namespace chartest
