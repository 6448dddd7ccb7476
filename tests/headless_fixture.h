// A headless screen for tests: 320 x 240, 16 pages, work page 1 and visible page 0,
// no keys scripted, clock at 0.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/headless.h"
#include "platform/screen.h"

namespace chartest {

class HeadlessScreen : public ::testing::Test {
protected:
    void SetUp() override {
        headless::select();
        ASSERT_EQ(SCREEN_OPEN(320, 240, 32, 16, 0, 0), 0);
        SCREEN_PAGES(1, 0);
    }
    void TearDown() override { SCREEN_CLOSE(); }
};

// A fresh, empty folder under the system's temporary folder, removed at destruction.
class TempDir {
public:
    TempDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "chartest-XXXXXX").string();
        path_ = mkdtemp(tmpl.data());
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    // Writes `bytes` to `name` inside the folder and returns its path.
    std::string write(const std::string& name, const std::string& bytes) const {
        const std::filesystem::path p = path_ / name;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
        return p.string();
    }

private:
    std::filesystem::path path_;
};

// Whether text row `row` of the work page shows exactly `text` as TEXT_PRINT draws it in
// white on the background colour, padded with spaces to the full row.
inline bool row_shows(int32_t row, const std::string& text) {
    IMAGE expected = IMAGE_CREATE(320, 8, SCREEN_BACKGROUND());
    DRAW_TEXT(expected, 0, 0, text + std::string(40 - text.size(), ' '), 0xFFFFFFFF);
    bool same = true;
    for (int32_t y = 0; y < 8 && same; ++y)
        for (int32_t x = 0; x < 320 && same; ++x)
            same = PIXEL_GET(SCREEN_WORK_PAGE(), x, (row - 1) * 8 + y) == PIXEL_GET(expected, x, y);
    IMAGE_DESTROY(expected);
    return same;
}

inline std::string read_file_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace chartest
