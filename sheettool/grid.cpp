// sheettool grid: the chart of a whole sheet, as a PNG or in a window.
#include <cstdio>

#include "platform/png.h"
#include "platform/screen.h"
#include "sheettool/chart.h"
#include "sheettool/command.h"

namespace sheettool {
namespace {

// Shows the chart until Escape or the window is closed. In batch mode (CHARTEST_KEYS)
// the first key poll writes the snapshot and the script's keys end the wait.
int show_in_window(chartest::IMAGE chart) {
    if (chartest::SCREEN_OPEN(chart->WIDTH, chart->HEIGHT, 32, 1, 0, 0) != 0) {
        std::fprintf(stderr, "sheettool: cannot open a window (is there a display?); use -o OUT.png\n");
        return 1;
    }
    chartest::IMAGE_PUT(nullptr, 0, 0, chart, chartest::PutMode::Copy);
    for (;;) {
        const std::string key = chartest::KEY_POLL();
        if (key == chartest::key::ESCAPE || key == chartest::key::CLOSE) break;
        if (key.empty()) chartest::SLEEP_MS(10);
    }
    chartest::SCREEN_CLOSE();
    return 0;
}

int run_grid(const Args& args) {
    const std::string& path = args.positional[0];
    const std::optional<Sheet> sheet = read_sheet_or_report(path);
    if (!sheet) return 1;
    int scale = default_scale(*sheet);
    if (args.has("--scale") && !parse_int(args.get("--scale"), 1, 64, scale))
        return usage_error(GRID, "--scale must be a whole number from 1 to 64, not '" + args.get("--scale") + "'");
    std::string error;
    const std::optional<ChartLayout> layout = chart_layout(*sheet, scale, error);
    if (!layout) {
        std::fprintf(stderr, "sheettool: %s: %s\n", path.c_str(), error.c_str());
        return 1;
    }
    chartest::IMAGE chart = draw_chart(*sheet, *layout);
    int status = 0;
    if (args.has("-o")) {
        const std::string out = args.get("-o");
        if (chartest::write_png(out, *chart)) {
            std::printf("wrote %s: %d x %d pixels, scale %d\n", out.c_str(), chart->WIDTH, chart->HEIGHT, scale);
        } else {
            std::fprintf(stderr, "sheettool: %s: cannot write\n", out.c_str());
            status = 1;
        }
    } else {
        status = show_in_window(chart);
    }
    chartest::IMAGE_DESTROY(chart);
    return status;
}

}  // namespace

const Command GRID{
    "grid", "grid SHEET.bmp [-o OUT.png] [--scale K]",
    "Shows the whole sheet: the 256 cells in their grid over a checkerboard (so that\n"
    "transparency shows), hex headers for rows and columns (row + column = code) and\n"
    "each cell's decimal code above it. Every sheet pixel becomes K x K chart pixels;\n"
    "the default scale makes a cell at least 24 pixels wide.\n\n"
    "With -o the chart is written as a PNG; without, it opens in a window that Escape or\n"
    "closing it ends (F12 saves a screenshot). With CHARTEST_KEYS set it runs without a\n"
    "window and CHARTEST_SNAPSHOT=FILE.png receives the chart, as with the character test.\n\n"
    "Exit 0, 1 when the sheet cannot be read or the chart not shown or written, 2 for a\n"
    "malformed command line.\n",
    {"-o", "--scale"}, 1, 1, run_grid};

}  // namespace sheettool
