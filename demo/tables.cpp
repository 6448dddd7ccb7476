#include "demo/tables.h"

namespace chartest {

// Defined in this order so that the teardown at exit erases FILE first, then FONT
// (static objects are destroyed in reverse order of definition).
DynArray<SHEETTYPE> FONT;
DynArray<FILETYPE> FILE;

}  // namespace chartest
