#include "demo/glyph_text.h"

#include <algorithm>
#include <climits>

#include "demo/tables.h"
#include "platform/screen.h"
#include "support/runtime.h"

namespace chartest {

void CHAROFFSET(int32_t FONTINDEX, int32_t INDEX, int32_t& X, int32_t& Y, int32_t& W,
                int32_t& H, int32_t& XS, int32_t& YS, int32_t& XO, int32_t& YO, int32_t XC,
                int32_t YC) {
    const IMAGE sheet = FONT[FONTINDEX].SHEET;
    if (!sheet) fatal_error(ERR_NULL_POINTER);
    W = sheet->WIDTH;
    H = sheet->HEIGHT;
    XS = W / 16;
    YS = H / 16;
    // C++ division truncates and % takes the sign of INDEX, as the layout wants; the
    // masks keep the low four bits, so every code lands inside the grid.
    X = ((INDEX % 16) & 15) * XS;
    Y = ((INDEX / 16) & 15) * YS;
    XO = XC - XS;
    YO = YC - YS;
}

void DISPTEXT(int32_t FONTINDEX, const std::string& V) {
    if (V.empty()) return;
    GlyphPen pen = glyph_pen_at_cursor(FONTINDEX);
    draw_glyph_run(pen, V);
}

GlyphPen glyph_pen_at_cursor(int32_t FONTINDEX) {
    int32_t X, Y, W, H, XS, YS, XO, YO;
    // The cell size, read first: a missing sheet ends the run before anything is drawn.
    CHAROFFSET(FONTINDEX, 0, X, Y, W, H, XS, YS, XO, YO, 8, 8);
    return GlyphPen{FONTINDEX, (TEXT_COLUMN() - 1) * XS, (TEXT_ROW() - 1) * YS};
}

namespace {

// Moves the pen over `count` glyphs that would all fall below the page, doing only what
// drawing them would have done: wrapping, and moving the cursor one row down per wrap
// while there is a row below.
void skip_hidden_glyphs(GlyphPen& pen, int64_t count, int32_t XS, int32_t YS, int32_t SCRW) {
    if (XS <= 0 || count <= 0) return;
    const int64_t to_first_wrap = (int64_t{SCRW} - pen.XP + XS - 1) / XS;
    if (count < to_first_wrap) {
        pen.XP += static_cast<int32_t>(count * XS);
        return;
    }
    const int64_t per_row = (int64_t{SCRW} + XS - 1) / XS;
    const int64_t after_first = count - to_first_wrap;
    const int64_t wraps = 1 + after_first / per_row;
    pen.XP = static_cast<int32_t>((after_first % per_row) * XS);
    pen.YP = static_cast<int32_t>(std::min<int64_t>(pen.YP + wraps * YS, INT32_MAX));
    // TEXT_LOCATE ignores rows outside the grid, so the cursor stops at the last row.
    for (int64_t i = 0; i < wraps; ++i) {
        const int32_t row = TEXT_ROW();
        TEXT_LOCATE(row + 1, 1);
        if (TEXT_ROW() == row) break;
    }
}

}  // namespace

void draw_glyph_run(GlyphPen& pen, std::string_view text) {
    const ScreenInfo screen = SCREEN_INFO();
    const int32_t SCRW = screen.width;
    const int32_t SCRH = screen.height;
    int32_t X, Y, W, H, XS, YS, XO, YO;
    const IMAGE sheet = FONT[pen.font].SHEET;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        CHAROFFSET(pen.font, c, X, Y, W, H, XS, YS, XO, YO, 8, 8);
        if (pen.YP >= SCRH && YS > 0) {
            // Everything from here on is below the page: only the pen and the cursor move.
            skip_hidden_glyphs(pen, static_cast<int64_t>(text.size() - i), XS, YS, SCRW);
            return;
        }
        if (c != 32 && IMAGE_PUT(nullptr, pen.XP, pen.YP, sheet, X, Y, X + XS - 1, Y + YS - 1,
                                 PutMode::Alpha) != 0)
            fatal_error(ERR_ILLEGAL_FUNCTION_CALL);
        pen.XP += XS;
        if (pen.XP >= SCRW) {
            pen.XP = 0;
            pen.YP += YS;
            TEXT_LOCATE(TEXT_ROW() + 1, 1);
        }
    }
}

}  // namespace chartest
