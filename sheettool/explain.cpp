// sheettool explain: whether the character test can load a file, and if not, why.
#include <algorithm>
#include <cstdio>

#include "sheettool/command.h"
#include "sheettool/sheet.h"

namespace sheettool {
namespace {

int run_explain(const Args& args) {
    const std::string& path = args.positional[0];
    LoadFailure failure;
    const std::optional<Sheet> sheet = read_sheet(path, failure);
    if (!sheet) {
        // The loader's reason names the header field, its value and the rule it breaks.
        std::printf("%s: the character test cannot load it: %s\n", path.c_str(), failure.reason.c_str());
        return 1;
    }
    const size_t clear = static_cast<size_t>(
        std::count_if(sheet->pixels.begin(), sheet->pixels.end(), [](uint32_t p) { return (p >> 24) == 0; }));
    const size_t opaque = static_cast<size_t>(
        std::count_if(sheet->pixels.begin(), sheet->pixels.end(), [](uint32_t p) { return (p >> 24) == 0xFF; }));
    std::string alpha;
    if (opaque == sheet->pixels.size()) {
        alpha = "every pixel opaque";
    } else {
        alpha = std::to_string(clear) + " of " + std::to_string(sheet->pixels.size()) + " pixels transparent";
        if (clear + opaque != sheet->pixels.size())
            alpha += ", " + std::to_string(sheet->pixels.size() - clear - opaque) + " partly transparent";
    }
    std::printf("%s: the character test loads it: %d x %d pixels, cells %d x %d, %s\n", path.c_str(),
                sheet->width, sheet->height, sheet->cell_width, sheet->cell_height, alpha.c_str());
    if (sheet->cell_width < 1 || sheet->cell_height < 1 || sheet->width % kGrid || sheet->height % kGrid)
        std::printf("note: the size does not fit a 16 x 16 grid; 'sheettool lint' says more\n");
    return 0;
}

}  // namespace

const Command EXPLAIN{
    "explain", "explain FILE.bmp",
    "Says whether the character test can load the file. If it can: the size, the cell\n"
    "size and how much of it is transparent. If not: the header field, its value and the\n"
    "rule it breaks (the line the character test prints before its error report).\n\n"
    "Exit 0 when it loads, 1 when it does not, 2 for a malformed command line.\n",
    {}, 1, 1, run_explain};

}  // namespace sheettool
