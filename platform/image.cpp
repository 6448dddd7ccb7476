#include "platform/image.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/font8x8.h"

namespace chartest {

namespace {
uint64_t next_image_id = 1;
}

ImageData::ImageData(int32_t w, int32_t h, uint32_t fill)
    : WIDTH(w),
      HEIGHT(h),
      pixels(static_cast<size_t>(w) * static_cast<size_t>(h), fill),
      row_generation(static_cast<size_t>(h), 1),
      id(next_image_id++) {}

void fill_image(ImageData& img, uint32_t colour) {
    std::fill(img.pixels.begin(), img.pixels.end(), colour);
    img.mark_all();
}

void fill_rect(ImageData& img, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour) {
    int64_t x0 = std::max<int64_t>(x, 0), y0 = std::max<int64_t>(y, 0);
    int64_t x1 = std::min<int64_t>(int64_t{x} + w, img.WIDTH);
    int64_t y1 = std::min<int64_t>(int64_t{y} + h, img.HEIGHT);
    if (x0 >= x1 || y0 >= y1) return;
    for (int64_t yy = y0; yy < y1; ++yy) {
        uint32_t* r = img.row(static_cast<int32_t>(yy));
        std::fill(r + x0, r + x1, colour);
    }
    img.mark_rows(static_cast<int32_t>(y0), static_cast<int32_t>(y1 - 1));
}

void set_pixel(ImageData& img, int32_t x, int32_t y, uint32_t colour) {
    if (x < 0 || y < 0 || x >= img.WIDTH || y >= img.HEIGHT) return;
    img.row(y)[x] = colour;
    img.mark_rows(y, y);
}

int64_t get_pixel(const ImageData& img, int32_t x, int32_t y) {
    if (x < 0 || y < 0 || x >= img.WIDTH || y >= img.HEIGHT) return -1;
    return img.row(y)[x];
}

namespace {

// floor((2n + d) / 2d) for d > 0: n / d rounded to the nearest, halves upward.
int64_t div_round(__int128 n, __int128 d) {
    __int128 num = 2 * n + d, den = 2 * d;
    __int128 q = num / den;
    if ((num % den != 0) && (num < 0)) --q;
    return static_cast<int64_t>(q);
}

}  // namespace

void draw_line(ImageData& img, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
    // Each pixel is computed directly from the major coordinate, so only the part of
    // the line that crosses the image is walked, however far away its end points lie,
    // and the pixels inside are the same whether or not the line was clipped.
    const int64_t dx = int64_t{x2} - x1, dy = int64_t{y2} - y1;
    const bool x_major = (dx < 0 ? -dx : dx) >= (dy < 0 ? -dy : dy);
    // Walk along the major axis a (from a1 by da) and derive the minor axis b.
    const int64_t a1 = x_major ? x1 : y1, b1 = x_major ? y1 : x1;
    const int64_t da = x_major ? dx : dy, db = x_major ? dy : dx;
    const int64_t a_size = x_major ? img.WIDTH : img.HEIGHT, b_size = x_major ? img.HEIGHT : img.WIDTH;
    const int64_t lo_a = std::max<int64_t>(std::min(a1, a1 + da), 0);
    const int64_t hi_a = std::min<int64_t>(std::max(a1, a1 + da), a_size - 1);
    int32_t lo = img.HEIGHT, hi = -1;
    for (int64_t a = lo_a; a <= hi_a; ++a) {
        const int64_t t = a - a1;
        const int64_t b = da == 0 ? b1 : b1 + div_round(static_cast<__int128>(t) * db * (da < 0 ? -1 : 1),
                                                        da < 0 ? -da : da);
        if (b < 0 || b >= b_size) continue;
        const int32_t x = static_cast<int32_t>(x_major ? a : b), y = static_cast<int32_t>(x_major ? b : a);
        img.row(y)[x] = colour;
        lo = std::min(lo, y);
        hi = std::max(hi, y);
    }
    if (hi >= lo) img.mark_rows(lo, hi);
}

namespace {

// Clips a blit of source rectangle (sx0,sy0)-(sx1,sy1) inclusive placed at (dx,dy).
// On success the rectangle is rewritten as an origin and size inside both images.
struct BlitRect {
    int32_t sx, sy, dx, dy, w, h;
};

bool clip_blit(const ImageData& dst, int32_t dx, int32_t dy, const ImageData& src, int32_t sx0,
               int32_t sy0, int32_t sx1, int32_t sy1, BlitRect& out) {
    // Corners are inclusive; a second corner before the first describes nothing.
    int64_t ax = sx0, ay = sy0, bx = sx1, by = sy1, px = dx, py = dy;
    // Clip to the source.
    if (ax < 0) { px -= ax; ax = 0; }
    if (ay < 0) { py -= ay; ay = 0; }
    bx = std::min<int64_t>(bx, src.WIDTH - 1);
    by = std::min<int64_t>(by, src.HEIGHT - 1);
    // Clip to the destination.
    if (px < 0) { ax -= px; px = 0; }
    if (py < 0) { ay -= py; py = 0; }
    bx = std::min<int64_t>(bx, ax + (dst.WIDTH - 1 - px));
    by = std::min<int64_t>(by, ay + (dst.HEIGHT - 1 - py));
    if (ax > bx || ay > by) return false;
    out = {static_cast<int32_t>(ax), static_cast<int32_t>(ay), static_cast<int32_t>(px),
           static_cast<int32_t>(py), static_cast<int32_t>(bx - ax + 1),
           static_cast<int32_t>(by - ay + 1)};
    return true;
}

// (a * b) / 255 rounded, exact for 0..255 inputs.
inline uint32_t mul255(uint32_t a, uint32_t b) {
    uint32_t t = a * b + 128;
    return (t + (t >> 8)) >> 8;
}

// Source "over" destination with the source's alpha. Fully transparent and fully
// opaque pixels, which make up nearly all of a font sheet, take the short paths.
inline uint32_t blend_over(uint32_t s, uint32_t d) {
    const uint32_t a = s >> 24;
    if (a == 255) return s;
    if (a == 0) return d;
    const uint32_t ia = 255 - a;
    const uint32_t r = mul255((s >> 16) & 255, a) + mul255((d >> 16) & 255, ia);
    const uint32_t g = mul255((s >> 8) & 255, a) + mul255((d >> 8) & 255, ia);
    const uint32_t b = mul255(s & 255, a) + mul255(d & 255, ia);
    const uint32_t da = a + mul255(d >> 24, ia);
    return (da << 24) | (r << 16) | (g << 8) | b;
}

}  // namespace

void blit_alpha(ImageData& dst, int32_t dx, int32_t dy, const ImageData& src, int32_t sx0,
                int32_t sy0, int32_t sx1, int32_t sy1) {
    BlitRect r;
    if (!clip_blit(dst, dx, dy, src, sx0, sy0, sx1, sy1, r)) return;
    for (int32_t y = 0; y < r.h; ++y) {
        const uint32_t* s = src.row(r.sy + y) + r.sx;
        uint32_t* d = dst.row(r.dy + y) + r.dx;
        for (int32_t x = 0; x < r.w; ++x) d[x] = blend_over(s[x], d[x]);
    }
    dst.mark_rows(r.dy, r.dy + r.h - 1);
}

void blit_copy(ImageData& dst, int32_t dx, int32_t dy, const ImageData& src, int32_t sx0,
               int32_t sy0, int32_t sx1, int32_t sy1) {
    BlitRect r;
    if (!clip_blit(dst, dx, dy, src, sx0, sy0, sx1, sy1, r)) return;
    for (int32_t y = 0; y < r.h; ++y)
        std::memmove(dst.row(r.dy + y) + r.dx, src.row(r.sy + y) + r.sx,
                     static_cast<size_t>(r.w) * sizeof(uint32_t));
    dst.mark_rows(r.dy, r.dy + r.h - 1);
}

void copy_page(ImageData& dst, const ImageData& src) {
    if (&dst == &src) return;
    const size_t row_bytes = static_cast<size_t>(src.WIDTH) * sizeof(uint32_t);
    // Rows written in `src` since `dst` last received it are all that can differ, as
    // long as `dst` itself has not been written since.
    const bool incremental = dst.copied_from == src.id &&
                             dst.own_generation_at_copy == dst.generation &&
                             dst.WIDTH == src.WIDTH && dst.HEIGHT == src.HEIGHT;
    if (incremental) {
        int32_t lo = src.HEIGHT, hi = -1;
        for (int32_t y = 0; y < src.HEIGHT; ++y) {
            if (src.row_generation[y] > dst.copied_generation) {
                std::memcpy(dst.row(y), src.row(y), row_bytes);
                lo = std::min(lo, y);
                hi = y;
            }
        }
        if (hi >= lo) dst.mark_rows(lo, hi);
    } else {
        if (dst.WIDTH == src.WIDTH && dst.HEIGHT == src.HEIGHT) {
            std::memcpy(dst.pixels.data(), src.pixels.data(), row_bytes * src.HEIGHT);
            dst.mark_all();
        } else {
            blit_copy(dst, 0, 0, src, 0, 0, src.WIDTH - 1, src.HEIGHT - 1);
        }
    }
    dst.copied_from = src.id;
    dst.copied_generation = src.generation;
    dst.own_generation_at_copy = dst.generation;
}

void draw_glyph8(ImageData& img, int32_t x, int32_t y, uint8_t code, uint32_t fg,
                 const uint32_t* bg) {
    if (x <= -8 || y <= -8 || x >= img.WIDTH || y >= img.HEIGHT) return;
    const uint8_t* rows = FONT_8X8[code];
    int32_t lo = img.HEIGHT, hi = -1;
    for (int32_t r = 0; r < 8; ++r) {
        const int32_t py = y + r;
        if (py < 0 || py >= img.HEIGHT) continue;
        uint32_t* line = img.row(py);
        for (int32_t c = 0; c < 8; ++c) {
            const int32_t px = x + c;
            if (px < 0 || px >= img.WIDTH) continue;
            if (rows[r] & (0x80u >> c))
                line[px] = fg;
            else if (bg)
                line[px] = *bg;
        }
        lo = std::min(lo, py);
        hi = py;
    }
    if (hi >= lo) img.mark_rows(lo, hi);
}

}  // namespace chartest
