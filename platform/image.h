// Images and pages: 32-bit 0xAARRGGBB pixels, rows top to bottom, no padding.
//
// Every write goes through this type so that it can remember which rows changed;
// SCREEN_FLIP uses that to copy only the rows that differ between two pages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace chartest {

struct ImageData {
    int32_t WIDTH = 0;
    int32_t HEIGHT = 0;
    std::vector<uint32_t> pixels;  // WIDTH * HEIGHT, row-major

    // Change tracking. `generation` rises with every write; `row_generation[y]` is the
    // generation of the last write to row y. A page that was filled by copying another
    // page remembers which page and which generation it copied.
    uint64_t generation = 1;
    std::vector<uint64_t> row_generation;
    uint64_t id;                     // unique for the process
    uint64_t copied_from = 0;        // id of the page last copied in, 0 = none
    uint64_t copied_generation = 0;  // of the source, at the copy
    uint64_t own_generation_at_copy = 0;

    ImageData(int32_t w, int32_t h, uint32_t fill);

    uint32_t* row(int32_t y) { return pixels.data() + static_cast<size_t>(y) * WIDTH; }
    const uint32_t* row(int32_t y) const { return pixels.data() + static_cast<size_t>(y) * WIDTH; }

    // Record that rows y0..y1 (inclusive, already clipped) were written.
    void mark_rows(int32_t y0, int32_t y1) {
        ++generation;
        for (int32_t y = y0; y <= y1; ++y) row_generation[y] = generation;
    }
    void mark_all() { mark_rows(0, HEIGHT - 1); }
};

// The handle that callers hold. A null IMAGE means "the screen's work page" wherever
// an operation takes a target.
using IMAGE = ImageData*;

// Pixel work shared by every back end. Coordinates may lie anywhere: everything is clipped.
void fill_image(ImageData& img, uint32_t colour);
void fill_rect(ImageData& img, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour);
void set_pixel(ImageData& img, int32_t x, int32_t y, uint32_t colour);
// -1 (0xFFFFFFFF as int64) outside the image.
int64_t get_pixel(const ImageData& img, int32_t x, int32_t y);
void draw_line(ImageData& img, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);

// Blend rectangle (sx0,sy0)-(sx1,sy1) inclusive of `src` onto `dst` at (dx,dy) with the
// source's per-pixel alpha ("over"). The source rectangle is clipped to the source first.
void blit_alpha(ImageData& dst, int32_t dx, int32_t dy, const ImageData& src, int32_t sx0,
                int32_t sy0, int32_t sx1, int32_t sy1);
// The same rectangle copied without blending.
void blit_copy(ImageData& dst, int32_t dx, int32_t dy, const ImageData& src, int32_t sx0,
               int32_t sy0, int32_t sx1, int32_t sy1);

// Make `dst` equal to `src` (same size), copying only the rows that can differ.
void copy_page(ImageData& dst, const ImageData& src);

// One glyph of the built-in 8x8 font: glyph pixels in `fg`; when `bg` is given the
// rest of the cell is filled with it (text output), otherwise left alone (DRAW_TEXT).
void draw_glyph8(ImageData& img, int32_t x, int32_t y, uint8_t code, uint32_t fg,
                 const uint32_t* bg);

}  // namespace chartest
