// The screen and input facility: pages, images, drawing, the text cursor with its
// built-in 8x8 font, the keyboard, a clock and a random source.
//
// One interface, two back ends. The SDL2 back end shows the visible page in a real
// window; the headless back end keeps everything in memory, takes scripted keys and has
// a clock that tests set. Batch mode (environment variable CHARTEST_KEYS) is the
// headless back end fed from that variable. All pixel work is shared (image.h).
//
// Colours are 0xAARRGGBB. Wherever a target image is taken, null means the work page.
#pragma once

#include <cstdint>
#include <string>

#include "platform/image.h"

namespace chartest {

// ---- Screen -----------------------------------------------------------------------

// Opens the screen: `pages` pages of width x height, work page 0 and visible page 0,
// foreground opaque white, background opaque black, cursor at row 1, column 1.
// Returns 0, or non-zero when the screen cannot be opened (or a size is below 1).
int32_t SCREEN_OPEN(int32_t width, int32_t height, int32_t depth, int32_t pages, int32_t flags,
                    int32_t refresh);
bool SCREEN_IS_OPEN();
// Selects the work page (drawing target) and the visible page (shown in the window).
void SCREEN_PAGES(int32_t work_page, int32_t visible_page);
// Copies page `from` onto page `to`; -1 for either means the work page / visible page.
void SCREEN_FLIP(int32_t from = -1, int32_t to = -1);

struct ScreenInfo {
    int32_t width = 0, height = 0, depth = 0, bytes_per_pixel = 0, pitch = 0, rate = 0;
    std::string driver;
};
ScreenInfo SCREEN_INFO();

// Fills the work page with the background colour; cursor to row 1, column 1.
void SCREEN_CLEAR();
enum : int32_t { COLOR_FOREGROUND = 1, COLOR_BACKGROUND = 2 };
void SCREEN_COLOR(uint32_t foreground, uint32_t background = 0,
                  int32_t which = COLOR_FOREGROUND);
uint32_t SCREEN_FOREGROUND();
uint32_t SCREEN_BACKGROUND();

// The work page and page n (null when out of range or no screen).
IMAGE SCREEN_WORK_PAGE();
IMAGE SCREEN_PAGE(int32_t n);

// ---- Text cursor (1-based rows and columns of 8x8 cells) ---------------------------

// Outside the grid the cursor stays where it is.
void TEXT_LOCATE(int32_t row, int32_t column);
int32_t TEXT_ROW();
int32_t TEXT_COLUMN();
// Prints at the cursor in the current colours and advances it, wrapping at the right
// edge and scrolling the work page up one text row below the last row. With
// `line_break` the cursor then goes to column 1 of the next row. Before SCREEN_OPEN the
// text goes to standard output.
void TEXT_PRINT(const std::string& text, bool line_break = true);

// ---- Images -----------------------------------------------------------------------

// Null when a size is below 1. Fatal error 4 when the memory cannot be had.
IMAGE IMAGE_CREATE(int32_t width, int32_t height, uint32_t fill = 0, int32_t depth = 0);
void IMAGE_DESTROY(IMAGE image);
// Loads a BMP into `image`, clipped to both sizes. 0, or 2 (cannot open), 3 (not a
// readable BMP).
int32_t IMAGE_LOAD_BMP(const std::string& path, IMAGE image);

enum class PutMode { Alpha, Copy };
// Blits the whole source. 0, or 1 for a null source.
int32_t IMAGE_PUT(IMAGE target, int32_t x, int32_t y, IMAGE source, PutMode mode = PutMode::Alpha);
// Blits the source rectangle (sx0,sy0)-(sx1,sy1), corners inclusive.
int32_t IMAGE_PUT(IMAGE target, int32_t x, int32_t y, IMAGE source, int32_t sx0, int32_t sy0,
                  int32_t sx1, int32_t sy1, PutMode mode = PutMode::Alpha);

// Built-in font, glyph pixels only.
void DRAW_TEXT(IMAGE image, int32_t x, int32_t y, const std::string& text, uint32_t colour);
void DRAW_LINE(IMAGE image, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);
void PIXEL_SET(IMAGE image, int32_t x, int32_t y, uint32_t colour);
// The colour, or -1 outside the image or with no screen.
int64_t PIXEL_GET(IMAGE image, int32_t x, int32_t y);

// ---- Keyboard, time, randomness ---------------------------------------------------

// "" when no key waits; one byte for an ordinary key; "\xFF" + scan code for a special
// key; "\xFF" "k" when the window was closed.
std::string KEY_POLL();
void SLEEP_MS(int32_t milliseconds);
double CLOCK_SECONDS();
// Next pseudo-random double in [0, 1); the generator starts from a fixed seed.
double RANDOM_UNIT();

// Special key codes (the byte after 0xFF).
namespace key {
inline const std::string ESCAPE = "\x1b";
inline const std::string ENTER = "\r";
inline const std::string BACKSPACE = "\b";
inline const std::string TAB = "\t";
inline const std::string UP = "\xFFH", DOWN = "\xFFP", LEFT = "\xFFK", RIGHT = "\xFFM";
inline const std::string HOME = "\xFFG", END = "\xFFO", PAGE_UP = "\xFFI", PAGE_DOWN = "\xFFQ";
inline const std::string INSERT = "\xFFR", DELETE = "\xFFS";
inline const std::string CLOSE = "\xFFk";
}  // namespace key

// Closes the screen and its window (also done at process exit).
void SCREEN_CLOSE();

}  // namespace chartest
