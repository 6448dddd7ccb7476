// sheettool diff: which cells changed between two versions of a sheet.
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "platform/png.h"
#include "platform/screen.h"
#include "sheettool/chart.h"
#include "sheettool/command.h"

namespace sheettool {
namespace {

constexpr int32_t kTitle = 14;    // band above each chart for its file name
constexpr int32_t kBetween = 12;  // between the two charts
constexpr uint32_t kBackground = 0xFF1E1E1E;
constexpr uint32_t kTitleColour = 0xFFFFFFFF;

// Both charts side by side under their file names, changed cells outlined in both.
bool write_picture(const std::string& out, const Sheet& old_sheet, const Sheet& new_sheet,
                   const std::string& old_path, const std::string& new_path, int scale,
                   const std::vector<bool>& changed, std::string& error) {
    const std::optional<ChartLayout> layout = chart_layout(old_sheet, scale, error);
    if (!layout) return false;
    chartest::IMAGE picture =
        chartest::IMAGE_CREATE(2 * layout->width + kBetween, kTitle + layout->height, kBackground);
    const int32_t max_chars = layout->width / 8;
    const std::pair<const Sheet*, std::string> sides[2] = {{&old_sheet, old_path}, {&new_sheet, new_path}};
    for (int i = 0; i < 2; ++i) {
        const int32_t x = i * (layout->width + kBetween);
        std::string title = std::filesystem::path(sides[i].second).filename().string();
        if (static_cast<int32_t>(title.size()) > max_chars) title.resize(static_cast<size_t>(std::max(0, max_chars)));
        chartest::DRAW_TEXT(picture, x + 4, 4, title, kTitleColour);
        chartest::IMAGE chart = draw_chart(*sides[i].first, *layout, changed);
        chartest::IMAGE_PUT(picture, x, kTitle, chart, chartest::PutMode::Copy);
        chartest::IMAGE_DESTROY(chart);
    }
    const bool ok = chartest::write_png(out, *picture);
    chartest::IMAGE_DESTROY(picture);
    if (!ok) error = "cannot write";
    return ok;
}

int run_diff(const Args& args) {
    const std::string &old_path = args.positional[0], &new_path = args.positional[1];
    const std::optional<Sheet> old_sheet = read_sheet_or_report(old_path);
    const std::optional<Sheet> new_sheet = read_sheet_or_report(new_path);
    if (!old_sheet || !new_sheet) return 2;
    if (old_sheet->cell_width != new_sheet->cell_width || old_sheet->cell_height != new_sheet->cell_height) {
        std::fprintf(stderr, "sheettool: cell sizes differ: %s has %d x %d, %s has %d x %d\n", old_path.c_str(),
                     old_sheet->cell_width, old_sheet->cell_height, new_path.c_str(), new_sheet->cell_width,
                     new_sheet->cell_height);
        return 2;
    }
    if (old_sheet->cell_width < 1 || old_sheet->cell_height < 1) {
        std::fprintf(stderr, "sheettool: cells are %d x %d pixels: a sheet must be at least 16 x 16\n",
                     old_sheet->cell_width, old_sheet->cell_height);
        return 2;
    }
    int scale = default_scale(*old_sheet);
    if (args.has("--scale") && !parse_int(args.get("--scale"), 1, 64, scale))
        return usage_error(DIFF, "--scale must be a whole number from 1 to 64, not '" + args.get("--scale") + "'");

    std::vector<bool> changed(kCodes, false);
    int count = 0;
    for (int code = 0; code < kCodes; ++code) {
        if (old_sheet->cell(code) == new_sheet->cell(code)) continue;
        changed[code] = true;
        ++count;
        std::printf("%s: changed\n", code_name(code).c_str());
    }
    if (count == 0) {
        std::printf("no cell changed (cells %d x %d)\n", old_sheet->cell_width, old_sheet->cell_height);
    } else {
        std::printf("%d of 256 cells changed (cells %d x %d)\n", count, old_sheet->cell_width,
                    old_sheet->cell_height);
    }
    if (args.has("-o")) {
        const std::string out = args.get("-o");
        std::string error;
        if (!write_picture(out, *old_sheet, *new_sheet, old_path, new_path, scale, changed, error)) {
            std::fprintf(stderr, "sheettool: %s: %s\n", out.c_str(), error.c_str());
            return 2;
        }
        std::printf("wrote %s\n", out.c_str());
    }
    return count == 0 ? 0 : 1;
}

}  // namespace

const Command DIFF{
    "diff", "diff OLD.bmp NEW.bmp [-o OUT.png] [--scale K]",
    "Compares two sheets cell by cell and prints 'code NNN (0xHH): changed' for every\n"
    "cell whose pixels differ, then a summary. Pixels with alpha 0 count as equal\n"
    "whatever their colour. The sheets may differ in size as long as their cells do not.\n"
    "With -o it writes both sheets side by side as charts (see 'grid') with the changed\n"
    "cells outlined in red.\n\n"
    "Exit 0 when every cell is equal, 1 when cells differ, 2 when the cell sizes differ,\n"
    "a file cannot be read or written, or the command line is malformed.\n",
    {"-o", "--scale"}, 2, 2, run_diff};

}  // namespace sheettool
