// PNG output of 0xAARRGGBB pixels (libpng), for snapshots, screenshots and charts.
#pragma once

#include <cstdint>
#include <string>

#include "platform/image.h"

namespace chartest {

// Writes an RGBA PNG. Returns false when the file cannot be written.
bool write_png(const std::string& path, const ImageData& image);
// Reads a PNG into 0xAARRGGBB pixels (for tests and tools). Returns false on failure.
bool read_png(const std::string& path, int32_t& width, int32_t& height,
              std::vector<uint32_t>& pixels);

}  // namespace chartest
