// Colours by VGA index: a colour table read on first use from
// "./Assets/Property/VGA Table.Property", one number per CR LF line. Indices outside
// 0 to 255, and indices the table does not hold, pass through as colours themselves.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/screen.h"
#include "support/runtime.h"

namespace chartest {

// The file the text display reads its colours from.
inline const std::string VGA_TABLE_FILE = "./Assets/Property/VGA Table.Property";

// The shared colour table of the text display: empty until the first lookup loads it.
extern StringTable VGA_TABLE;

// Rebuilds VGA_TABLE from FILENAME: entry k is line k + 1 without the double-quote
// characters at its start and end. A missing, unreadable or empty file leaves the single
// empty entry -1 (bounds -1 to -1), which counts as unloaded.
void VGA_LOAD(StringTable& VGA_TABLE, const std::string& FILENAME);
// The colour of INDEX. Loads the table first when its upper bound is -1. An index outside
// 0 to 255 or outside the table comes back unchanged (sign-extended).
uint64_t VGA_LOOKUP2(StringTable& VGA_TABLE, int32_t INDEX, const std::string& FILENAME);
// VGA_LOOKUP2 with a fresh table of its own and the standard file: reads the file on
// every call.
uint64_t VGA_LOOKUP(int32_t INDEX);
// A 256 x 256 chart owned by the caller: column i shows the colour of index i, opaque in
// row 0 fading to alpha 0 in row 255.
IMAGE VGA_TEST(StringTable& VGA_TABLE);

// The pieces VGA_LOAD and VGA_LOOKUP2 are made of, for tests and fuzzing.
//
// Fills TABLE from the text of a colour table file as VGA_LOAD does after reading it:
// TABLE must be in the state -1 to -1 (or empty) and gets one entry per CR LF line.
void vga_fill_table(StringTable& TABLE, std::string_view TEXT);
// The number an entry holds: "&H", "&O", "&B" (either case) or "&" + octal digits,
// wrapping modulo 2^64, after leading spaces; otherwise decimal after white space with an
// optional sign, saturating at the largest 64-bit value. No digits give 0.
uint64_t vga_parse_number(std::string_view TEXT);

}  // namespace chartest
