// The character test: draws every line of chartest.txt with the glyphs of the font
// sheet, followed by the line's byte codes, and waits for a key.

#include <clocale>

#include "demo/chartest_loop.h"
#include "demo/sheet.h"
#include "demo/tables.h"
#include "platform/screen.h"
#include "support/constants.h"
#include "support/runtime.h"

namespace chartest {

// Font sheets live until the process ends. This keeps the sheet reachable after the
// teardown has erased FONT, so that leak checkers do not take it for a leak. (It has
// external linkage so that the compiler keeps the store.)
IMAGE sheet_for_the_whole_run = nullptr;

namespace {

[[noreturn]] void start(int argc, char** argv) {
    // The processor check (a 686-class processor or newer) is met by the build target:
    // every x86-64 processor qualifies, so the message "This program requires at least
    // a 686 to run." and exit code 1 can never occur.

    std::setlocale(LC_ALL, "");  // case conversion follows the user's locale
    collect_command_words(argc, argv);
    FONT.redim(0, 0);
    PROPERTY_TEXT_BUFFER.clear();

    if (SCREEN_OPEN(320, 240, 32, 16, 0, 0) != 0) fatal_error(ERR_ILLEGAL_FUNCTION_CALL);
    SCREEN_PAGES(1, 0);
    SCREEN_COLOR(0xFFFFFFFF);
    SCREEN_CLEAR();

    SPRITEPATH = "./sprites-8-private/Bitmaps/";
    FONT[0].FILE = "Packard Bell PBX-8088 Font 2024";
    FONT[0].SHEET = LOADBMP(SPRITEPATH + "font/" + FONT[0].FILE + ".bmp");
    sheet_for_the_whole_run = FONT[0].SHEET;

    FILE.redim(0, 0);
    FILE[0].MODE = free_file_number();
    FILE[0].FILE = "chartest.txt";

    MAIN();
    end_program(0);
}

}  // namespace
}  // namespace chartest

int main(int argc, char** argv) { chartest::start(argc, argv); }
