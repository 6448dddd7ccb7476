// Text boxes: laying a text out for a box W characters wide, drawing a laid-out text
// into a new image of W x H cells of the built-in 8x8 font, and the two echo panels that
// show a text on the whole screen and wait for the user.
//
// Line breaks are the pair CR LF; a lone CR or LF is an ordinary character. A space is
// byte 32 only.
#pragma once

#include <cstdint>
#include <string>

#include "platform/screen.h"
#include "support/runtime.h"

namespace chartest {

// Lays BUFFER out in lines of at most W characters, joined by CR LF, with no CR LF after
// the last line. BUFFER is not changed; H is accepted and has no effect (rows beyond H
// are cut off when the box is drawn). An empty BUFFER gives "".
//
// First every run of spaces becomes one space and every run of line breaks one line
// break, so blank lines disappear (a line of spaces alone is not blank and stays as an
// empty row). The text is then taken piece by piece: a word ends at a space, and a
// line-end word is the text before a line break that comes before the next space.
//
// Layout:
//   - Two words on one line are separated by one space, and that space counts in the
//     width: a word joins the current line when line + 1 + word is at most W. Words that
//     do not fit start a new line. Spaces at the start or the end of a line are dropped.
//   - A line-end word joins the current line by the same test (or starts a new line
//     when it does not fit), and the line then ends: the text's own line breaks survive.
//     A line break with nothing before it on its line gives an empty row.
//   - A word longer than W is cut: a cut line ends with "-" and is at most W characters.
//     On an empty line the cut line is the first W - 1 characters and the hyphen. After
//     words on the current line, the cut line is the current line, one space, as many
//     characters as leave room for the hyphen, and "-"; when the current line has no room
//     for a space, one character and the hyphen (it is W - 2 or more characters long),
//     it ends as it is and the word is cut from an empty line. The rest of the word is
//     measured again; a word of exactly W characters is never cut.
//   - For W below 2 no cut can hold a character and a hyphen: a word longer than W is
//     then placed whole on a line of its own, which is longer than W.
// Every character of the text other than the spaces and line breaks dropped above stays
// in the result, in order.
std::string TEXT_BOX_STRING(const std::string& BUFFER, int32_t W, int32_t H);

// Draws BUFFER, split at CR LF, into a new image of W * 8 x H * 8 pixels that the caller
// owns and frees with IMAGEDESTROY2. Before drawing it prints the Escape character on
// the message line in VGA colour 15 and waits for a key (Escape or closing the window
// end the program); the foreground colour is left at that colour.
//
// The image starts transparent black (0x00000000); line Y_SCROLL + 1 is drawn in the top
// row, line Y_SCROLL + r in row r, in opaque green (0xFF00FF00) from pixel column 0, glyph
// pixels only; lines longer than W are cut by the right edge; drawing stops at the first
// line below row H. A CR LF at the very end gives no extra line. Last, a diagonal cross
// of plain lines in 0x80FF0000 (written, not blended) is drawn corner to corner over the
// text. When the image cannot be had (W or H below 1) the program ends with fatal error
// 7 after the key wait, before anything is drawn.
IMAGE TEXT_BOX_RENDER(const std::string& BUFFER, int32_t W, int32_t H, int32_t Y_SCROLL);

// The echo panels. Each renders its buffer as a 40 x 30 box (the renderer waits for a
// key first), replaces the box's cross by one in 0xC400FF00 (same pixels, no blending),
// blends the box over the work page at (0, 0), prints its message on the message line in
// VGA colour 15, shows the work page and waits for a second key, frees the image and
// returns a copy of the buffer. The panel stays on the work page.
//
// SEQ_ECHO_DIRECT's message is the Escape character (shown as the glyph of code 27);
// PROPERTY_ECHO_DIRECT's is empty (an empty line).
std::string SEQ_ECHO_DIRECT(const std::string& SEQ_TEXT_BUFFER);
std::string PROPERTY_ECHO_DIRECT(const std::string& PROPERTY_TEXT_BUFFER);

}  // namespace chartest
