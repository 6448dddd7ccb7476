#include "sheettool/sheet.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/bmp.h"

namespace sheettool {

std::vector<uint32_t> Sheet::cell(int code) const {
    std::vector<uint32_t> out;
    out.reserve(static_cast<size_t>(cell_width) * cell_height);
    const int32_t x0 = (code % kGrid) * cell_width, y0 = (code / kGrid) * cell_height;
    for (int32_t y = 0; y < cell_height; ++y)
        for (int32_t x = 0; x < cell_width; ++x) out.push_back(seen(at(x0 + x, y0 + y)));
    return out;
}

namespace {

// The loader only says "cannot open"; the file system can say why.
std::string open_failure(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found) return "no such file";
    if (status.type() == fs::file_type::directory) return "is a folder, not a file";
    return "cannot open (no permission to read it?)";
}

}  // namespace

std::optional<Sheet> read_sheet(const std::string& path, LoadFailure& failure) {
    chartest::BmpResult bmp = chartest::load_bmp_file(path);
    if (bmp.error != 0) {
        failure.error = bmp.error;
        failure.reason = bmp.error == 2 ? open_failure(path) : bmp.reason;
        return std::nullopt;
    }
    Sheet sheet;
    sheet.width = bmp.image.width;
    sheet.height = bmp.image.height;
    sheet.cell_width = sheet.width / kGrid;
    sheet.cell_height = sheet.height / kGrid;
    sheet.pixels = std::move(bmp.image.pixels);
    return sheet;
}

std::optional<Sheet> read_sheet_or_report(const std::string& path) {
    LoadFailure failure;
    std::optional<Sheet> sheet = read_sheet(path, failure);
    if (!sheet) std::fprintf(stderr, "sheettool: %s: %s\n", path.c_str(), failure.reason.c_str());
    return sheet;
}

std::string code_name(int code) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "code %d (0x%02X)", code, code);
    return buf;
}

std::string rgb_hex(uint32_t colour) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%06X", colour & 0xFFFFFFu);
    return buf;
}

}  // namespace sheettool
