// Releasing images: the one routine through which the library frees an image that it
// or its caller created (text boxes, panels, images attached to property records).
#pragma once

#include "platform/screen.h"
#include "support/runtime.h"

namespace chartest {

// Frees the image that IMAGE holds (nothing when it is null) and sets the variable to
// null. Returns null; callers write `X = IMAGEDESTROY2(X)` so that both are null.
// Other copies of the handle are not touched and must not be used afterwards.
IMAGE IMAGEDESTROY2(IMAGE& IMAGE);

}  // namespace chartest
