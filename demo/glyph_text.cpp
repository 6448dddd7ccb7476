#include "demo/glyph_text.h"

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
    const int32_t SCRW = SCREEN_INFO().width;
    if (V.empty()) return;
    int32_t X, Y, W, H, XS, YS, XO, YO;
    // The cell size, read first: a missing sheet ends the run before anything is drawn.
    CHAROFFSET(FONTINDEX, 0, X, Y, W, H, XS, YS, XO, YO, 8, 8);
    const IMAGE sheet = FONT[FONTINDEX].SHEET;
    int32_t XP = (TEXT_COLUMN() - 1) * XS;
    int32_t YP = (TEXT_ROW() - 1) * YS;
    for (unsigned char c : V) {
        CHAROFFSET(FONTINDEX, c, X, Y, W, H, XS, YS, XO, YO, 8, 8);
        if (c != 32 &&
            IMAGE_PUT(nullptr, XP, YP, sheet, X, Y, X + XS - 1, Y + YS - 1, PutMode::Alpha) != 0)
            fatal_error(ERR_ILLEGAL_FUNCTION_CALL);
        XP += XS;
        if (XP >= SCRW) {
            XP = 0;
            YP += YS;
            TEXT_LOCATE(TEXT_ROW() + 1, 1);
        }
    }
}

}  // namespace chartest
