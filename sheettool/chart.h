// The chart of a whole sheet, drawn with the facility: the 256 cells at an integer
// scale over a checkerboard (so that transparency shows), hex headers for rows and
// columns, and each cell's decimal code above it in the built-in font.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/image.h"
#include "sheettool/sheet.h"

namespace sheettool {

struct ChartLayout {
    int32_t scale = 1;
    int32_t cell_width = 0, cell_height = 0;  // a cell as drawn, scale included
    int32_t slot_width = 0, slot_height = 0;  // a cell with its label and the gap after it
    int32_t width = 0, height = 0;            // the whole chart

    // Top-left corner of the drawn cell of `code`.
    int32_t cell_x(int code) const;
    int32_t cell_y(int code) const;
};

// The scale that makes a cell at least as wide as its three-digit label.
int32_t default_scale(const Sheet& sheet);
// The layout, or nothing with a message when the chart would be too large to draw.
std::optional<ChartLayout> chart_layout(const Sheet& sheet, int32_t scale, std::string& error);

// Draws the chart into a new image (the caller owns it). Cells whose entry in
// `outlined` is true get a red frame and a red label.
chartest::IMAGE draw_chart(const Sheet& sheet, const ChartLayout& layout,
                           const std::vector<bool>& outlined = {});

}  // namespace sheettool
