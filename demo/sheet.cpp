#include "demo/sheet.h"

#include <cstdio>

#include "platform/bmp.h"
#include "support/runtime.h"

namespace chartest {

IMAGE LOADBMP(const std::string& SBMPFILE) {
    const int32_t F = free_file_number();
    if (!file_open(F, SBMPFILE, FileMode::ReadBinary)) return nullptr;
    file_close(F);

    // The whole file is decoded and checked before any image is made, so a header that
    // claims more pixels than the file holds cannot make us allocate them.
    BmpResult bmp = load_bmp_file(SBMPFILE);
    if (bmp.error != 0) {
        std::fprintf(stderr, "chartest: %s: %s\n", SBMPFILE.c_str(), bmp.reason.c_str());
        fatal_error(bmp.error);
    }
    IMAGE PTEMP = IMAGE_CREATE(bmp.image.width, bmp.image.height, 0x00000001);
    PTEMP->pixels = std::move(bmp.image.pixels);
    PTEMP->mark_all();
    return PTEMP;
}

}  // namespace chartest
