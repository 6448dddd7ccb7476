#include "support/memory_management.h"

namespace chartest {

IMAGE IMAGEDESTROY2(IMAGE& IMAGE) {
    if (IMAGE) {
        IMAGE_DESTROY(IMAGE);
        IMAGE = nullptr;
    }
    return IMAGE;
}

}  // namespace chartest
