// Drawing text with the glyphs of a font sheet.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace chartest {

// Locates glyph INDEX of sheet FONT(FONTINDEX): W x H is the sheet's size, XS x YS
// the cell size (sizes / 16, rounded down), (X, Y) the cell's top-left corner, and
// XO, YO how much smaller the cell is than an XC x YC text cell.
// Fatal error 6 for a FONTINDEX outside FONT, 7 for a sheet without an image.
void CHAROFFSET(int32_t FONTINDEX, int32_t INDEX, int32_t& X, int32_t& Y, int32_t& W,
                int32_t& H, int32_t& XS, int32_t& YS, int32_t& XO, int32_t& YO, int32_t XC,
                int32_t YC);

// Draws V glyph by glyph onto the work page from the text cursor's cell, with the
// sheet's alpha. Spaces are not drawn but take a cell. At the right edge of the
// screen the pen wraps to the next row and the cursor moves to column 1 of the row
// below; otherwise the cursor does not move.
void DISPTEXT(int32_t FONTINDEX, const std::string& V);

// DISPTEXT in pieces: a pen placed at the text cursor, then runs of text drawn one
// after another exactly as DISPTEXT draws their concatenation, so that a long text
// need not be built in memory first.
struct GlyphPen {
    int32_t font = 0;
    int32_t XP = 0, YP = 0;  // the next glyph's top-left corner on the page
};
GlyphPen glyph_pen_at_cursor(int32_t FONTINDEX);
void draw_glyph_run(GlyphPen& pen, std::string_view text);

}  // namespace chartest
