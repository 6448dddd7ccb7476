#include "demo/chartest_loop.h"

#include <array>
#include <cstdint>

#include "demo/glyph_text.h"
#include "demo/tables.h"
#include "platform/screen.h"
#include "support/runtime.h"

namespace chartest {

void strip_outer_quotes(std::string& line) {
    const size_t first = line.find_first_not_of('"');
    if (first == std::string::npos) {
        line.clear();
        return;
    }
    const size_t last = line.find_last_not_of('"');
    line.erase(last + 1);
    line.erase(0, first);
}

namespace {

// "0" to "255" as ready-made texts: building the code list is the hot path of a long
// input file.
struct DecimalCodes {
    std::array<std::array<char, 4>, 256> text{};
    std::array<uint8_t, 256> length{};
    DecimalCodes() {
        for (int c = 0; c < 256; ++c) {
            const std::string s = std::to_string(c);
            for (size_t i = 0; i < s.size(); ++i) text[c][i] = s[i];
            length[c] = static_cast<uint8_t>(s.size());
        }
    }
};

const DecimalCodes& decimal_codes() {
    static const DecimalCodes codes;
    return codes;
}

// Appends the decimal code of c, with a "," before it unless it is the first.
inline void append_code(std::string& out, unsigned char c, bool first) {
    const DecimalCodes& codes = decimal_codes();
    if (!first) out += ',';
    out.append(codes.text[c].data(), codes.length[c]);
}

constexpr std::string_view SEQ_LABEL = "\" is Ascii Seq:";

}  // namespace

std::string ascii_seq_text(const std::string& R) {
    std::string V;
    V.reserve(R.size() * 5 + SEQ_LABEL.size() + 1);
    V += '"';
    V += R;
    V += SEQ_LABEL;
    for (size_t i = 0; i < R.size(); ++i) append_code(V, static_cast<unsigned char>(R[i]), i == 0);
    return V;
}

namespace {

// Draws ascii_seq_text(R) with sheet 0 as DISPTEXT would, building the code list a
// piece at a time so that a long line costs no more than its own size in memory.
void draw_line_text(const std::string& R) {
    constexpr size_t PIECE = 64 * 1024;
    GlyphPen pen = glyph_pen_at_cursor(0);
    draw_glyph_run(pen, "\"");
    draw_glyph_run(pen, R);
    draw_glyph_run(pen, SEQ_LABEL);
    std::string codes;
    codes.reserve(PIECE + 4);
    for (size_t i = 0; i < R.size(); ++i) {
        append_code(codes, static_cast<unsigned char>(R[i]), i == 0);
        if (codes.size() >= PIECE) {
            draw_glyph_run(pen, codes);
            codes.clear();
        }
    }
    draw_glyph_run(pen, codes);
}

}  // namespace

void MAIN() {
    const FILETYPE& input = FILE[0];
    if (!file_open(input.MODE, input.FILE, FileMode::ReadText)) {
        // Closing a number under which nothing is open is an illegal function call.
        fatal_error(ERR_ILLEGAL_FUNCTION_CALL);
    }
    SCREEN_COLOR(0xFFFFFFFF);
    SCREEN_CLEAR();
    TEXT_LOCATE(1, 1);

    std::string R;
    while (file_read_line(input.MODE, R)) {
        strip_outer_quotes(R);
        draw_line_text(R);
        SCREEN_FLIP();
    }
    file_close(input.MODE);

    // Any key ends the wait, special keys and closing the window included.
    while (KEY_POLL().empty()) SLEEP_MS(1);
}

}  // namespace chartest
