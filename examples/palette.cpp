// palette: shows the VGA colour table as a chart and waits for a key.
//
// Run it where ./Assets/Property/VGA Table.Property is (the bundled workdir/ has one).
// Each column of the chart is one index, 0 on the left to 255 on the right, opaque at
// the top and fading to transparent (black) at the bottom.

#include <clocale>
#include <string>

#include "platform/screen.h"
#include "support/constants.h"
#include "support/memory_management.h"
#include "support/runtime.h"
#include "support/simple_input.h"
#include "support/vga_lookup.h"

namespace {

using namespace chartest;

constexpr int32_t SCREEN_W = 320, SCREEN_H = 240;
constexpr int32_t MESSAGE_H = 8;  // the message line takes the top text row

// Draws IMAGE on the work page at (0, TOP), stretched to the screen's width and the
// rows below TOP, nearest pixel, blended over what is there by its alpha.
void draw_stretched(IMAGE image, int32_t top) {
    const int32_t w = SCREEN_W, h = SCREEN_H - top;
    IMAGE stretched = IMAGE_CREATE(w, h);
    for (int32_t y = 0; y < h; ++y) {
        const int32_t source_y = y * image->HEIGHT / h;
        for (int32_t x = 0; x < w; ++x) {
            const int64_t colour = PIXEL_GET(image, x * image->WIDTH / w, source_y);
            PIXEL_SET(stretched, x, y, static_cast<uint32_t>(colour));
        }
    }
    IMAGE_PUT(nullptr, 0, top, stretched);
    IMAGEDESTROY2(stretched);
}

[[noreturn]] void run() {
    std::setlocale(LC_ALL, "");
    if (SCREEN_OPEN(SCREEN_W, SCREEN_H, 32, 2, 0, 0) != 0) fatal_error(ERR_ILLEGAL_FUNCTION_CALL);
    SCREEN_PAGES(1, 0);  // draw on page 1; the message line copies it onto page 0
    SCREEN_CLEAR();

    VGA_LOAD(VGA_TABLE, VGA_TABLE_FILE);
    if (VGA_TABLE.ubound() == -1) {
        // Without a table every index stands for itself, so a chart would show nothing
        // but near-black. Index 15 would look up near-black too: the message gives its
        // colour directly (an opaque colour is outside 0 to 255 as a signed index).
        std::string message = "No colour table at\r\n" + VGA_TABLE_FILE;
        SIMPLESLEEP(VGA_TABLE, message, 0xFFFFFFFF);
        end_program(0);
    }

    IMAGE chart = VGA_TEST(VGA_TABLE);
    draw_stretched(chart, MESSAGE_H);
    IMAGEDESTROY2(chart);

    std::string message = "VGA colour table, index 0 to 255";
    SIMPLESLEEP(VGA_TABLE, message, 15);  // shows the page and waits for a key
    end_program(0);
}

}  // namespace

int main(int argc, char** argv) {
    chartest::collect_command_words(argc, argv);
    run();
}
