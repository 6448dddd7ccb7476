// Fuzz target for the colour table parser: any file text splits into entries, and any
// entry converts to a number, without reading beyond the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "support/vga_lookup.h"

using namespace chartest;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    StringTable table;
    table.redim(-1, -1);
    vga_fill_table(table, text);
    size_t total = 0;
    for (int32_t i = 0; i <= table.ubound(); ++i) {
        const std::string& entry = table[i];
        if (entry.find("\r\n") != std::string::npos) std::abort();
        if (!entry.empty() && (entry.front() == '"' || entry.back() == '"')) std::abort();
        total += entry.size();
        volatile uint64_t v = vga_parse_number(entry);
        (void)v;
    }
    if (total > size) std::abort();
    if (size > 0 && table.lbound() != 0) std::abort();
    // The whole text as one entry, and lookups through the table.
    volatile uint64_t v = vga_parse_number(text);
    (void)v;
    for (int32_t index : {-1, 0, 1, 255, 256})
        if (table.ubound() >= 0) (void)VGA_LOOKUP2(table, index, "");
    return 0;
}
