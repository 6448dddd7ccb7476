// The character test's tables: the font sheets and the input files.
#pragma once

#include <cstdint>
#include <string>

#include "platform/screen.h"
#include "support/runtime.h"

namespace chartest {

// A font sheet: 256 glyphs in a 16 x 16 grid of equal cells, glyph code = row * 16 +
// column. Copies share the image; no routine frees a sheet, it lives until the end.
struct SHEETTYPE {
    IMAGE SHEET = nullptr;
    std::string FILE;  // the sheet's name, without folder and extension
};

// A file slot: the number a file is opened under (0 = none) and its path.
struct FILETYPE {
    int32_t MODE = 0;
    std::string FILE;
};

extern DynArray<SHEETTYPE> FONT;
extern DynArray<FILETYPE> FILE;

}  // namespace chartest
