// Code page 437, the character set of the built-in font and of typed keys.
#pragma once

namespace chartest {

extern const char32_t CP437_TO_UNICODE[256];
// The code page 437 byte for a Unicode character, or -1 when it has none.
int cp437_from_unicode(char32_t u);

}  // namespace chartest
