#include "support/simple_input.h"

#include "platform/screen.h"
#include "support/vga_lookup.h"

namespace chartest {

std::string SIMPLESLEEP(StringTable& VGA_TABLE, std::string& MSG, uint64_t VGA) {
    const int32_t index = static_cast<int32_t>(static_cast<uint32_t>(VGA));
    SCREEN_COLOR(static_cast<uint32_t>(VGA_LOOKUP2(VGA_TABLE, index, VGA_TABLE_FILE)));

    // Walk the lines with an offset and cut MSG once at the end, instead of copying the
    // rest of the message for every line.
    size_t start = 0;
    for (size_t crlf = MSG.find("\r\n"); crlf != std::string::npos;
         crlf = MSG.find("\r\n", start)) {
        const size_t line_start = start;
        start = crlf + 2;
        if (crlf > line_start && MSG[line_start] == '\x1b') {
            TEXT_PRINT(MSG.substr(line_start + 1, crlf - line_start - 1), true);
            MSG.erase(0, start);
            return std::string();
        }
        TEXT_PRINT(MSG.substr(line_start, crlf - line_start), true);
    }
    MSG.erase(0, start);
    TEXT_PRINT(MSG, true);
    SCREEN_FLIP();

    for (;;) {
        const std::string CI = KEY_POLL();
        if (CI.empty()) {
            SLEEP_MS(1);
            continue;
        }
        if (CI == key::ESCAPE || CI == key::CLOSE) end_program(0);
        return CI;
    }
}

std::string SIMPLESLEEP(std::string& MSG, uint64_t VGA) {
    // Exists for the whole run; loaded by the first call that needs a colour.
    static StringTable own_table;
    return SIMPLESLEEP(own_table, MSG, VGA);
}

}  // namespace chartest
