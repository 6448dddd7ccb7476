// Control of the headless back end, for tests and batch mode.
//
// The headless back end shows nothing: the pages live in memory, keys come from a
// script, and the clock is virtual: it starts at 0, moves only when set or when
// SLEEP_MS passes, so tests of timed behaviour are exact and fast.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace chartest::headless {

// Makes the facility use the headless back end from now on (closing any open screen),
// with an empty key script and the clock at 0.
void select();
// True while the headless back end is selected.
bool selected();

// Appends keys to the script. `push_keys` takes the batch encoding (see
// decode_key_script); `push_key` one key exactly as KEY_POLL returns it.
void push_keys(const std::string& encoded);
void push_key(const std::string& key);
// Keys still waiting in the script, and how often KEY_POLL has been called.
size_t pending_keys();
size_t poll_count();
// When the script runs out, KEY_POLL returns the window-close key (batch mode) or
// nothing (the default for tests, so a wait without keys can be detected).
void set_close_when_empty(bool close);

void set_clock(double seconds);
double clock();

}  // namespace chartest::headless

namespace chartest {

// Decodes a key script: every byte is one key, except \e Escape, \r Enter,
// \b Backspace, \t Tab, \\ a backslash, \xHH any byte and \{Name} a special key
// (Up Down Left Right Home End PgUp PgDn Insert Delete F1..F12 Close).
// Returns false with a message for a malformed script.
bool decode_key_script(const std::string& script, std::vector<std::string>& keys,
                       std::string& error);

}  // namespace chartest
