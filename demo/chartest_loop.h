// The character test loop.
#pragma once

#include <string>

namespace chartest {

// Removes every double quote from the start and from the end of `line`.
void strip_outer_quotes(std::string& line);
// The text shown for one input line: "R" is Ascii Seq:c1,c2,... with R's byte codes.
std::string ascii_seq_text(const std::string& R);

// Draws every line of the file FILE(0) with sheet FONT(0), one page copy per line,
// then waits for any key. Fatal error 1 when the file cannot be opened.
void MAIN();

}  // namespace chartest
