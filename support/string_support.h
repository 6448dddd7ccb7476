// String search and slicing, text buffers, word and line tables, and the console prompt.
//
// Positions are 1-based. In every routine that takes both, the text searched for
// (NEEDLE) comes first and the text searched in (HAYSTACK) second. Comparison is byte
// for byte and case-sensitive; strings may hold any byte, zero included.
#pragma once

#include <cstdint>
#include <string>

#include "support/runtime.h"

namespace chartest {

// ---- Search and slicing --------------------------------------------------------------

// Position of the first occurrence of NEEDLE; 0 when absent or either string is empty.
int32_t STRPOS(const std::string& NEEDLE, const std::string& HAYSTACK);
// Position of the last occurrence of NEEDLE; length of HAYSTACK + 1 (never 0) when
// absent or either string is empty.
int32_t STRRPOS(const std::string& NEEDLE, const std::string& HAYSTACK);
// The text before the first occurrence; all of HAYSTACK when NEEDLE is absent or empty.
std::string PREFIX(const std::string& NEEDLE, const std::string& HAYSTACK);
// The text after the first occurrence; empty when NEEDLE is absent or empty.
std::string SUFFIX(const std::string& NEEDLE, const std::string& HAYSTACK);
// The text before the last occurrence; all of HAYSTACK when NEEDLE is absent or empty.
std::string EXT_PREFIX(const std::string& NEEDLE, const std::string& HAYSTACK);
// The text after the last occurrence; empty when NEEDLE is absent or empty.
std::string EXT_SUFFIX(const std::string& NEEDLE, const std::string& HAYSTACK);

// Label and parameter of a bracketed expression such as "Width(320)": "Width" and
// "320" with OPEN_S "(" and CLOSE_S ")". Both brackets are searched for from the start
// of BUFFER, so a closing bracket before the opening one changes the outcome.
std::string AXISLABEL_S(const std::string& BUFFER, const std::string& OPEN_S,
                        const std::string& CLOSE_S);
std::string AXISPARAM_S(const std::string& BUFFER, const std::string& OPEN_S,
                        const std::string& CLOSE_S);

// Replaces the leftmost NEEDLE in HAYSTACK by REPLACEMENT and searches again from the
// start until no NEEDLE is left (occurrences that a replacement forms with its
// surroundings are replaced too). HAYSTACK holds the result, which is also returned.
// A non-empty REPLACEMENT that contains NEEDLE could never finish while NEEDLE occurs:
// that call ends the program with fatal error 1 (illegal function call). Other pairs can
// also grow a text without end ("ab" by "bbaa" in "aab"): when the text passes 16 MiB
// and four times what replacing each original occurrence once would give, the program
// ends with fatal error 4 (out of memory).
std::string STR_REPLACE(const std::string& NEEDLE, const std::string& REPLACEMENT,
                        std::string& HAYSTACK);
// Number of non-overlapping occurrences of NEEDLE, left to right, that are followed by
// more text (one that ends the remaining text is not counted). Empties HAYSTACK.
int32_t NEEDLECOUNT(const std::string& NEEDLE, std::string& HAYSTACK);
// SUBJECT with every space-separated word capitalised (first byte upper case, the rest
// lower case, by the locale's classification of single bytes). Leading spaces are
// dropped and one of the trailing spaces is. Empties SUBJECT.
std::string UCWORDS(std::string& SUBJECT);
// Adds the line NEWLINE at the end (PACKTEXT) or the front (PACKTEXTREVERSE) of BUFFER,
// joined by CR LF when BUFFER was not empty. BUFFER holds the result, also returned.
std::string PACKTEXT(std::string& BUFFER, const std::string& NEWLINE);
std::string PACKTEXTREVERSE(std::string& BUFFER, const std::string& NEWLINE);

// ---- Text buffers ----------------------------------------------------------------------

// The whole file, byte for byte. When FULLFILENAME is not a readable file it prints
// "Is not a file: "<name>"" in opaque white (the colour stays set) and returns "".
// Returns "" silently when no file number is free or the open fails.
std::string LOAD_BUFFER(const std::string& FULLFILENAME);
// Prints each CR LF separated line of BUFFER with a line break; a CR LF at the very
// end gives no extra empty line, an empty buffer prints nothing.
void DUMP_BUFFER(const std::string& BUFFER);

// ---- Word and line tables --------------------------------------------------------------

// Fills WORDS (index 0 up) with the pieces of TEXT between occurrences of SEP. Adjacent
// separators give empty words; a separator at the very end gives none after it.
void ALLOCATEWORDS(const std::string& TEXT, const std::string& SEP, StringTable& WORDS);
// Packs the words of WORDS into LINES, a new line begun whenever the last line followed
// by the next word would be longer than W characters. Words are joined with nothing
// between them (SEP is not inserted). W 0 means the screen's width in 8-pixel columns.
void ALLOCATELINES(const std::string& SEP, const StringTable& WORDS, StringTable& LINES,
                   int32_t W);

// ---- Console prompt --------------------------------------------------------------------

// The animated cursor frame for the present clock: "\", "|", "/", "-", each for a
// quarter of a second.
std::string ANICURSOR();
// Prints LABEL at the text cursor and reads a line from the keyboard until Enter,
// returning it without the Enter. Backspace removes the last character; text that
// begins with a control character (Tab ...) is ignored; special keys are appended as
// their two-byte code. Escape or closing the window ends the program with exit code 0.
std::string PROMPT(const std::string& LABEL);

}  // namespace chartest
