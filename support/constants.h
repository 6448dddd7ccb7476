// Values shared by the character test and programs built on the library: the
// command-line table and the base folders.
#pragma once

#include <string>

#include "support/runtime.h"

namespace chartest {

// The command-line words: index 0 is the program's own path, then the arguments in
// order, up to (not including) the first empty argument.
extern StringTable CMD;
// The base folder of bitmaps, "./sprites-8-private/Bitmaps/" after start-up.
extern std::string SPRITEPATH;
// A text buffer for programs built on the library; empty after start-up.
extern std::string PROPERTY_TEXT_BUFFER;

// Fills CMD from the process arguments: it stops at the first empty word.
void collect_command_words(int argc, char** argv);

}  // namespace chartest
