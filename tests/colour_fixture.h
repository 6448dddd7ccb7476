// A headless screen with a small colour table, for tests of routines that print their
// messages in VGA colour 15.
#pragma once

#include <cstdint>

#include "support/vga_lookup.h"
#include "tests/headless_fixture.h"

namespace chartest {

// Entry 15 of the test table, the colour of every library message.
constexpr uint32_t MESSAGE_COLOUR = 0xFF123456u;

class ColourTableScreen : public HeadlessScreen {
protected:
    void SetUp() override {
        HeadlessScreen::SetUp();
        VGA_TABLE.redim(0, 15);
        VGA_TABLE[15] = "&HFF123456";
    }
    void TearDown() override {
        VGA_TABLE.erase();
        HeadlessScreen::TearDown();
    }
};

}  // namespace chartest
