// How keyboard events of the window become the facility's keys.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace chartest {

// The key for a pressed key: "\r", "\b", "\t", "\x1b" for Enter, Backspace, Tab and
// Escape, "\xFF" + scan code for special keys, "" for keys that arrive as typed text
// or mean nothing here. `keycode` is an SDL_Keycode.
std::string key_for_keycode(int32_t keycode);

// Typed text (UTF-8): one key per character, its code page 437 byte; characters that
// code page 437 lacks, and those that would read as control codes, are dropped.
std::vector<std::string> keys_for_typed_text(const char* utf8);

}  // namespace chartest
