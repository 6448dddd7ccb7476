// The message line: prints a message at the text cursor in a VGA colour, shows the work
// page and waits for a key. Escape and the window-close key at the wait end the program.
#pragma once

#include <cstdint>
#include <string>

#include "support/runtime.h"

namespace chartest {

// Prints the CR LF separated lines of MSG, each followed by a line break, in the colour
// that VGA_LOOKUP2 gives for the low 32 bits of VGA; the foreground colour stays set.
// Then copies the work page onto the visible page and polls the keyboard, sleeping 1 ms
// between polls, until a key arrives, which it returns. Escape or the window-close key
// end the program with exit code 0.
//
// A line that is followed by a CR LF and begins with the Escape character is printed
// without that character, and the call returns "" at once: nothing is shown, no key is
// read. MSG is consumed: it keeps the text after the last CR LF reached (the last line
// after a normal call; the lines after the immediate line after an early return).
std::string SIMPLESLEEP(StringTable& VGA_TABLE, std::string& MSG, uint64_t VGA);
// The same with a colour table of its own, loaded on first use and kept for the run.
std::string SIMPLESLEEP(std::string& MSG, uint64_t VGA);

}  // namespace chartest
