// Fuzz target for decode_bmp: any input must decode or fail cleanly, never crash,
// read out of bounds or allocate beyond what the input describes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const chartest::BmpResult r = chartest::decode_bmp(std::span<const uint8_t>(data, size));
    if (r.error == 0) {
        const chartest::BmpImage& img = r.image;
        if (!r.reason.empty() || img.width < 1 || img.height < 1) std::abort();
        if (img.pixels.size() != static_cast<size_t>(img.width) * static_cast<size_t>(img.height)) std::abort();
        // Every pixel comes from at least one bit of the input (1 bit per pixel at most
        // 8 pixels a byte), so the image can never outgrow the bytes that describe it.
        if (img.pixels.size() > size * 8) std::abort();
    } else {
        if (r.error != 3 || r.reason.empty() || r.reason.find('\n') != std::string::npos) std::abort();
        if (!r.image.pixels.empty()) std::abort();
    }
    return 0;
}
