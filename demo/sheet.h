// Loading a font sheet.
#pragma once

#include <string>

#include "platform/screen.h"

namespace chartest {

// Loads the BMP at SBMPFILE into a new image the caller owns. Null when the file
// cannot be opened. A file that is not a readable BMP ends the run with the fatal
// error report (error 3, or 2 when the file vanished meanwhile), after a line
// "chartest: <path>: <reason>" on standard error.
IMAGE LOADBMP(const std::string& SBMPFILE);

}  // namespace chartest
