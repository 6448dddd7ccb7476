#include "platform/png.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace chartest {

bool write_png(const std::string& path, const ImageData& image) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.WIDTH);
    png.height = static_cast<png_uint_32>(image.HEIGHT);
    // 0xAARRGGBB in memory on a little-endian machine is B, G, R, A.
    png.format = PNG_FORMAT_BGRA;
    const bool ok = png_image_write_to_stdio(&png, f, 0, image.pixels.data(),
                                             image.WIDTH * 4, nullptr) != 0;
    const bool closed = std::fclose(f) == 0;
    if (!ok || !closed) std::remove(path.c_str());
    return ok && closed;
}

bool read_png(const std::string& path, int32_t& width, int32_t& height,
              std::vector<uint32_t>& pixels) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) return false;
    png.format = PNG_FORMAT_BGRA;
    pixels.assign(static_cast<size_t>(png.width) * png.height, 0);
    if (!png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr)) {
        png_image_free(&png);
        return false;
    }
    width = static_cast<int32_t>(png.width);
    height = static_cast<int32_t>(png.height);
    return true;
}

}  // namespace chartest
