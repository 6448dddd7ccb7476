// The board texel lookup.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "tests/headless_fixture.h"
#include "support/memory_management.h"
#include "support/property_shorthand.h"

namespace chartest {
namespace {

// Every texel of a texture has its own colour: opaque, column in the blue byte, row in
// the green byte, and the texture's size in the red byte.
uint32_t texel(int32_t size, int32_t x, int32_t y) {
    return 0xFF000000u | uint32_t(size) << 16 | uint32_t(y) << 8 | uint32_t(x);
}

IMAGE texture(int32_t size) {
    IMAGE image = IMAGE_CREATE(size, size, 0);
    for (int32_t y = 0; y < size; ++y)
        for (int32_t x = 0; x < size; ++x) PIXEL_SET(image, x, y, texel(size, x, y));
    return image;
}

int32_t as_result(uint32_t colour) { return static_cast<int32_t>(colour); }

class VideoDirect : public HeadlessScreen {
protected:
    void SetUp() override {
        HeadlessScreen::SetUp();
        big_ = texture(64);
        small_ = texture(16);
        PROPERTY_DATABASE_SET(board_, "3,12", "stone");
        PROPERTY_DATABASE_SET(board_, "-1,0", "pebble");
        PROPERTY_DATABASE_SET(board_, "0,-7", "nothing");
        textures_[PROPERTY_DATABASE_SET(textures_, "stone", "")].IMAGE = big_;
        textures_[PROPERTY_DATABASE_SET(textures_, "pebble", "")].IMAGE = small_;
    }
    void TearDown() override {
        IMAGEDESTROY2(big_);
        IMAGEDESTROY2(small_);
        HeadlessScreen::TearDown();
    }
    PropertyDb board_, textures_;
    IMAGE big_ = nullptr, small_ = nullptr;
};

TEST_F(VideoDirect, AddressGivesColumnAndRow) {
    struct Case {
        int32_t by, x, y;
    };
    const std::vector<Case> cases = {
        {0, 0, 0},
        {65535, 0, 0},
        {65536, 1, 0},
        {65 * 65536, 1, 1},
        {4095 * 65536, 63, 63},
        {4096 * 65536, 0, 0},  // higher bits wrap
        {(4096 + 130) * 65536 + 1234, 2, 2},
        {-1, 0, 0},            // the address truncates toward zero
        {-65535, 0, 0},
        {-65536, 63, 0},       // address -1: row -1 / 64 = 0
        {-64 * 65536, 0, 63},  // address -64: row -1
        {-65 * 65536, 63, 63},
        {INT32_MAX, 63, 63},   // address 32767
        {INT32_MIN, 0, 0},     // address -32768
    };
    for (const Case& c : cases)
        EXPECT_EQ(SH_VIDEODIRECT(board_, textures_, 3, 12, c.by), as_result(texel(64, c.x, c.y)))
            << c.by;
}

TEST_F(VideoDirect, SmallTextureAndNegativeCell) {
    // The cell -1,0 holds the 16 x 16 texture.
    EXPECT_EQ(SH_VIDEODIRECT(board_, textures_, -1, 0, (15 * 64 + 15) * 65536),
              as_result(texel(16, 15, 15)));
    EXPECT_EQ(SH_VIDEODIRECT(board_, textures_, -1, 0, 16 * 65536), -1);
    EXPECT_EQ(SH_VIDEODIRECT(board_, textures_, -1, 0, 16 * 64 * 65536), -1);
    // An opaque white texel reads as -1 too.
    PIXEL_SET(small_, 2, 3, 0xFFFFFFFFu);
    EXPECT_EQ(SH_VIDEODIRECT(board_, textures_, -1, 0, (3 * 64 + 2) * 65536), -1);
}

TEST_F(VideoDirect, MissingCellOrTextureReadsTheWorkPage) {
    PIXEL_SET(nullptr, 5, 1, 0xFF445566u);
    PIXEL_SET(SCREEN_PAGE(0), 5, 1, 0xFF000001u);  // not the visible page
    const int32_t by = (1 * 64 + 5) * 65536;
    EXPECT_EQ(SH_VIDEODIRECT(board_, textures_, 12, 3, by), as_result(0xFF445566u));  // no cell
    EXPECT_EQ(SH_VIDEODIRECT(board_, textures_, 0, -7, by), as_result(0xFF445566u));  // no texture
    PropertyDb empty;
    EXPECT_EQ(SH_VIDEODIRECT(empty, empty, 0, 0, by), as_result(0xFF445566u));
    SCREEN_CLOSE();
    EXPECT_EQ(SH_VIDEODIRECT(empty, empty, 0, 0, by), -1);  // no screen
}

}  // namespace
}  // namespace chartest
