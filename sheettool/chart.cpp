#include "sheettool/chart.h"

#include <algorithm>
#include <cstdio>

#include "platform/screen.h"

namespace sheettool {
namespace {

using chartest::IMAGE;

constexpr int32_t kGlyph = 8;                  // the built-in font's cell
constexpr int32_t kLabelWidth = 3 * kGlyph;    // "255"
constexpr int32_t kMargin = 4;
constexpr int32_t kRowHeader = 2 * kGlyph + 6;  // "F0" and a gap
constexpr int32_t kColumnHeader = kGlyph + 4;
constexpr int32_t kLabel = kGlyph + 3;          // a label and the gap below it
constexpr int32_t kGap = 6;                     // between cells; room for a frame
constexpr int32_t kChecker = 4;                 // checkerboard square, chart pixels
constexpr int64_t kMaxChartPixels = int64_t{1} << 26;

constexpr uint32_t kBackground = 0xFF1E1E1E;
constexpr uint32_t kCheckerDark = 0xFF3A3A3A;
constexpr uint32_t kCheckerLight = 0xFF5C5C5C;
constexpr uint32_t kHeader = 0xFFFFD75F;
constexpr uint32_t kLabelColour = 0xFFA8A8A8;
constexpr uint32_t kOutline = 0xFFFF3B30;

int32_t slot_inner(const ChartLayout& l) { return std::max(l.cell_width, kLabelWidth); }
int32_t slot_x(const ChartLayout& l, int code) { return kMargin + kRowHeader + (code % kGrid) * l.slot_width; }
int32_t slot_y(const ChartLayout& l, int code) { return kMargin + kColumnHeader + (code / kGrid) * l.slot_height; }

void draw_centred(IMAGE image, int32_t x, int32_t width, int32_t y, const std::string& text, uint32_t colour) {
    const int32_t text_width = static_cast<int32_t>(text.size()) * kGlyph;
    chartest::DRAW_TEXT(image, x + (width - text_width) / 2, y, text, colour);
}

void frame(IMAGE image, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour) {
    chartest::DRAW_LINE(image, x0, y0, x1, y0, colour);
    chartest::DRAW_LINE(image, x0, y1, x1, y1, colour);
    chartest::DRAW_LINE(image, x0, y0, x0, y1, colour);
    chartest::DRAW_LINE(image, x1, y0, x1, y1, colour);
}

}  // namespace

int32_t ChartLayout::cell_x(int code) const { return slot_x(*this, code) + (slot_inner(*this) - cell_width) / 2; }
int32_t ChartLayout::cell_y(int code) const { return slot_y(*this, code) + kLabel; }

int32_t default_scale(const Sheet& sheet) {
    if (sheet.cell_width < 1) return 1;
    return std::clamp((kLabelWidth + sheet.cell_width - 1) / sheet.cell_width, 1, 8);
}

std::optional<ChartLayout> chart_layout(const Sheet& sheet, int32_t scale, std::string& error) {
    if (sheet.cell_width < 1 || sheet.cell_height < 1) {
        error = "cells are " + std::to_string(sheet.cell_width) + " x " + std::to_string(sheet.cell_height) +
                " pixels: a sheet must be at least 16 x 16";
        return std::nullopt;
    }
    ChartLayout l;
    l.scale = scale;
    const int64_t cw = int64_t{sheet.cell_width} * scale, ch = int64_t{sheet.cell_height} * scale;
    const int64_t slot_w = std::max<int64_t>(cw, kLabelWidth) + kGap, slot_h = kLabel + ch + kGap;
    const int64_t width = 2 * kMargin + kRowHeader + kGrid * slot_w - kGap;
    const int64_t height = 2 * kMargin + kColumnHeader + kGrid * slot_h - kGap;
    if (width * height > kMaxChartPixels) {
        error = "the chart would be " + std::to_string(width) + " x " + std::to_string(height) +
                " pixels, too large; try a smaller --scale";
        return std::nullopt;
    }
    l.cell_width = static_cast<int32_t>(cw);
    l.cell_height = static_cast<int32_t>(ch);
    l.slot_width = static_cast<int32_t>(slot_w);
    l.slot_height = static_cast<int32_t>(slot_h);
    l.width = static_cast<int32_t>(width);
    l.height = static_cast<int32_t>(height);
    return l;
}

IMAGE draw_chart(const Sheet& sheet, const ChartLayout& l, const std::vector<bool>& outlined) {
    IMAGE chart = chartest::IMAGE_CREATE(l.width, l.height, kBackground);

    // The sheet enlarged once; each cell is then blended over its checkerboard with the
    // same per-pixel alpha as the character test draws glyphs.
    IMAGE big = chartest::IMAGE_CREATE(kGrid * l.cell_width, kGrid * l.cell_height, 0);
    for (int32_t y = 0; y < big->HEIGHT; ++y) {
        const int32_t sy = (y / l.cell_height) * sheet.cell_height + (y % l.cell_height) / l.scale;
        uint32_t* row = big->row(y);
        for (int32_t x = 0; x < big->WIDTH; ++x)
            row[x] = sheet.at((x / l.cell_width) * sheet.cell_width + (x % l.cell_width) / l.scale, sy);
    }
    big->mark_all();

    char text[8];
    for (int c = 0; c < kGrid; ++c) {
        std::snprintf(text, sizeof text, "%X", c);
        draw_centred(chart, slot_x(l, c), slot_inner(l), kMargin, text, kHeader);
    }
    for (int r = 0; r < kGrid; ++r) {
        std::snprintf(text, sizeof text, "%X0", r);
        // Beside the middle of the cells, or of cells and labels when cells are short.
        const int32_t y = l.cell_height >= kGlyph ? l.cell_y(r * kGrid) + (l.cell_height - kGlyph) / 2
                                                  : slot_y(l, r * kGrid) + (kLabel + l.cell_height - kGlyph) / 2;
        chartest::DRAW_TEXT(chart, kMargin, y, text, kHeader);
    }

    for (int code = 0; code < kCodes; ++code) {
        const bool marked = code < static_cast<int>(outlined.size()) && outlined[code];
        const int32_t x = l.cell_x(code), y = l.cell_y(code);
        std::snprintf(text, sizeof text, "%d", code);
        draw_centred(chart, slot_x(l, code), slot_inner(l), slot_y(l, code), text,
                     marked ? kOutline : kLabelColour);
        for (int32_t cy = 0; cy < l.cell_height; cy += kChecker)
            for (int32_t cx = 0; cx < l.cell_width; cx += kChecker)
                chartest::fill_rect(*chart, x + cx, y + cy, std::min(kChecker, l.cell_width - cx),
                                    std::min(kChecker, l.cell_height - cy),
                                    ((cx + cy) / kChecker) % 2 ? kCheckerLight : kCheckerDark);
        const int32_t bx = (code % kGrid) * l.cell_width, by = (code / kGrid) * l.cell_height;
        chartest::IMAGE_PUT(chart, x, y, big, bx, by, bx + l.cell_width - 1, by + l.cell_height - 1);
        if (marked) {
            frame(chart, x - 2, y - 2, x + l.cell_width + 1, y + l.cell_height + 1, kOutline);
            frame(chart, x - 3, y - 3, x + l.cell_width + 2, y + l.cell_height + 2, kOutline);
        }
    }
    chartest::IMAGE_DESTROY(big);
    return chart;
}

}  // namespace sheettool
