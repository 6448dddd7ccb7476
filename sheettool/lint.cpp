// sheettool lint: mistakes a font author can fix, one finding per line.
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "sheettool/command.h"
#include "sheettool/sheet.h"

namespace sheettool {
namespace {

constexpr int kFirstPrintable = 33, kLastPrintable = 126;

bool printable(int code) { return code >= kFirstPrintable && code <= kLastPrintable; }

// The colour most pixels of the cell have (the lower value on a tie).
uint32_t background_of(const std::vector<uint32_t>& cell) {
    std::map<uint32_t, size_t> counts;
    for (uint32_t p : cell) ++counts[p];
    return std::max_element(counts.begin(), counts.end(),
                            [](const auto& a, const auto& b) { return a.second < b.second; })
        ->first;
}

enum Edge { kTop = 1, kBottom = 2, kLeft = 4, kRight = 8 };
const std::pair<Edge, const char*> kEdges[] = {
    {kTop, "top row"}, {kBottom, "bottom row"}, {kLeft, "left column"}, {kRight, "right column"}};

// Which of the cell's outermost rows and columns hold ink (a pixel that is not background).
int inked_edges(const std::vector<uint32_t>& cell, int32_t w, int32_t h, uint32_t background) {
    auto ink = [&](int32_t x, int32_t y) { return cell[static_cast<size_t>(y) * w + x] != background; };
    int edges = 0;
    for (int32_t x = 0; x < w; ++x) edges |= (ink(x, 0) ? kTop : 0) | (ink(x, h - 1) ? kBottom : 0);
    for (int32_t y = 0; y < h; ++y) edges |= (ink(0, y) ? kLeft : 0) | (ink(w - 1, y) ? kRight : 0);
    return edges;
}

// "top row, left column and right column"
std::string edge_names(int edges) {
    std::vector<std::string> names;
    for (const auto& [edge, name] : kEdges)
        if (edges & edge) names.push_back(name);
    std::string text;
    for (size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
    return text;
}

std::vector<std::string> sheet_findings(const Sheet& s) {
    std::vector<std::string> found;
    if (s.width % kGrid != 0) {
        const int32_t unused = s.width % kGrid;
        found.push_back("width " + std::to_string(s.width) + " is not a multiple of 16: the rightmost " +
                        std::to_string(unused) + " pixel columns (" + std::to_string(int64_t{unused} * s.height) +
                        " pixels) are never used");
    }
    if (s.height % kGrid != 0) {
        const int32_t unused = s.height % kGrid;
        found.push_back("height " + std::to_string(s.height) + " is not a multiple of 16: the bottom " +
                        std::to_string(unused) + " pixel rows (" + std::to_string(int64_t{unused} * s.width) +
                        " pixels) are never used");
    }
    if (s.cell_width < 1 || s.cell_height < 1)
        found.push_back("cells are " + std::to_string(s.cell_width) + " x " + std::to_string(s.cell_height) +
                        " pixels, smaller than 1 pixel: a sheet must be at least 16 x 16");
    if (std::none_of(s.pixels.begin(), s.pixels.end(), [](uint32_t p) { return (p >> 24) == 0; }))
        found.push_back("no transparent pixel: glyph backgrounds will cover what lies beneath them");
    return found;
}

struct CellFindings {
    std::vector<std::pair<int, std::string>> found;
    int drawing_edges = 0;  // edges that most printable glyphs ink, not reported
};

CellFindings cell_findings(const Sheet& s) {
    CellFindings result;
    if (s.cell_width < 1 || s.cell_height < 1) return result;
    std::vector<std::pair<int, std::string>> found;
    std::map<std::vector<uint32_t>, int> first_with;  // non-blank cell pixels -> lowest code
    int edges[kCodes] = {};
    for (int code = 0; code < kCodes; ++code) {
        const std::vector<uint32_t> cell = s.cell(code);
        const bool blank = std::all_of(cell.begin(), cell.end(), [&](uint32_t p) { return p == cell[0]; });
        if (blank) {
            if (printable(code))
                found.emplace_back(code, "blank: no pixel differs from the cell's background");
            continue;
        }
        const auto [it, inserted] = first_with.emplace(cell, code);
        if (!inserted) found.emplace_back(code, "same pixels as code " + std::to_string(it->second));
        if (printable(code)) edges[code] = inked_edges(cell, s.cell_width, s.cell_height, background_of(cell));
    }

    // Many fonts draw every glyph from the top-left corner and keep their spacing on the
    // right and bottom (the 8 x 8 VGA fonts do). Ink on an edge that more than half of
    // the printable codes ink is how the font is drawn: two glyphs then touch only where
    // one of them inks the opposite edge, which is reported on that glyph.
    constexpr int kPrintables = kLastPrintable - kFirstPrintable + 1;
    for (const auto& [edge, name] : kEdges) {
        int count = 0;
        for (int code = kFirstPrintable; code <= kLastPrintable; ++code) count += (edges[code] & edge) != 0;
        if (2 * count > kPrintables) result.drawing_edges |= edge;
    }
    for (int code = kFirstPrintable; code <= kLastPrintable; ++code) {
        const int reported = edges[code] & ~result.drawing_edges;
        if (reported != 0)
            found.emplace_back(code, "ink on the " + edge_names(reported) + " of the cell: it will touch its neighbour");
    }
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    result.found = std::move(found);
    return result;
}

int run_lint(const Args& args) {
    const std::string& path = args.positional[0];
    const std::optional<Sheet> sheet = read_sheet_or_report(path);
    if (!sheet) return 2;

    size_t count = 0;
    for (const std::string& f : sheet_findings(*sheet)) {
        std::printf("sheet: %s\n", f.c_str());
        ++count;
    }
    const CellFindings cells = cell_findings(*sheet);
    for (const auto& [code, f] : cells.found) {
        std::printf("%s: %s\n", code_name(code).c_str(), f.c_str());
        ++count;
    }
    const std::string what = count == 0 ? "no findings" : count == 1 ? "1 finding" : std::to_string(count) + " findings";
    std::string drawn;
    if (cells.drawing_edges != 0)
        drawn = "; most glyphs ink the " + edge_names(cells.drawing_edges) + ", not counted as touching";
    std::printf("%s: %s (%d x %d pixels, cells %d x %d%s)\n", path.c_str(), what.c_str(), sheet->width,
                sheet->height, sheet->cell_width, sheet->cell_height, drawn.c_str());
    return count == 0 ? 0 : 1;
}

}  // namespace

const Command LINT{
    "lint", "lint SHEET.bmp",
    "Checks a sheet for mistakes; prints one finding per line, then a summary line:\n"
    "  sheet: width or height not a multiple of 16 (pixels that are never used)\n"
    "  sheet: cells smaller than 1 pixel\n"
    "  sheet: no transparent pixel (glyph backgrounds cover what lies beneath)\n"
    "  code NNN (0xHH): blank, for a printable code 33 to 126 (the cell is one colour)\n"
    "  code NNN (0xHH): same pixels as code MMM, for a cell that is not blank (reported\n"
    "                   on the higher code)\n"
    "  code NNN (0xHH): ink on the outermost row or column of the cell, for codes 33 to\n"
    "                   126 (it will touch its neighbour); ink is any pixel other than\n"
    "                   the cell's most common colour. An edge that most of these codes\n"
    "                   ink (as fonts drawn from the top-left corner ink the top row and\n"
    "                   left column) is how the font is drawn and not reported\n"
    "Pixels with alpha 0 count as equal whatever their colour.\n\n"
    "Exit 0 without findings, 1 with findings, 2 when the file cannot be read as a sheet\n"
    "or the command line is malformed.\n",
    {}, 1, 1, run_lint};

}  // namespace sheettool
