#include "support/property_shorthand.h"

#include "platform/screen.h"
#include "support/property_display.h"
#include "support/simple_input.h"
#include "support/string_support.h"
#include "support/text_box.h"
#include "support/vga_lookup.h"

namespace chartest {

namespace {

const std::string PROPERTY_EXTENSION = ".Property";

// One key wait with the Escape character as message, in VGA colour 15.
void escape_wait() {
    std::string msg = "\x1b";
    SIMPLESLEEP(VGA_TABLE, msg, 15);
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

PROPERTY_DB_TYPE SH_GET(PropertyDb& PROPERTY_DB, const std::string& LABEL) {
    return PROPERTY_GET(PROPERTY_DB, LABEL);
}

PROPERTY_DB_TYPE SH_SET(PropertyDb& PROPERTY_DB, const std::string& LABEL,
                        const std::string& VALUE) {
    return PROPERTY_SET(PROPERTY_DB, LABEL, VALUE);
}

void SH_SAVE(PropertyDb& PROPERTY_DB, const std::string& FILENAME) {
    PROPERTY_DATABASE_SAVE(PROPERTY_DB, FILENAME);
}

void SH_LOAD(PropertyDb& PROPERTY_DB, std::string& FILENAME) {
    FILENAME = PREFIX(PROPERTY_EXTENSION, FILENAME) + PROPERTY_EXTENSION;
    PROPERTY_DATABASE_LOAD(PROPERTY_DB, FILENAME);
}

std::string SH_QUERY(PropertyDb& PROPERTY_DB, const std::string& LABEL) {
    const PROPERTY_DB_TYPE record = PROPERTY_DATABASE_QUERY(PROPERTY_DB, LABEL);
    return LABEL + ":" + quoted(record.VALUE);
}

std::string SH_ECHO(std::string& BUFFER, const std::string& CAPTION) {
    if (!BUFFER.empty()) BUFFER += "\r\n";
    return BUFFER + "--- " + CAPTION + " ---";
}

std::string SH_DIRECT(PropertyDb& PROPERTY_DB, std::string& PROPERTY_ECHO) {
    SCREEN_CLEAR();
    PROPERTY_ECHO_DIRECT(PROPERTY_DATABASE_EXPORT(PROPERTY_DB, PROPERTY_ECHO));
    escape_wait();
    PROPERTY_ECHO.clear();
    return PROPERTY_ECHO;
}

std::string SH_BOUNDS(PropertyDb& PROPERTY_DB, std::string& PROPERTY_ECHO) {
    PROPERTY_SHOW_ARRAY_BOUNDS(PROPERTY_DB);
    escape_wait();
    PROPERTY_ECHO.clear();
    return PROPERTY_ECHO;
}

void SH_SORT(PropertyDb& PROPERTY_DB) { PROPERTY_BUBBLE_SORT(PROPERTY_DB); }

std::string SH_TINKER(PropertyDb& PROPERTY_DB, std::string& PROPERTY_ECHO, std::string& BEHAVIOR,
                      const std::string& LABEL, std::string& VALUE) {
    const std::string word = UCWORDS(BEHAVIOR);
    // The echo text is replaced by the caption line, not extended.
    const auto caption = [&](const std::string& text) {
        std::string fresh;
        PROPERTY_ECHO = SH_ECHO(fresh, text);
    };

    if (word == "Sort") {
        caption("Sorting");
        SH_SORT(PROPERTY_DB);
    } else if (word == "Add") {
        caption("Adding: " + quoted(LABEL));
        PROPERTY_DATABASE_SET(PROPERTY_DB, LABEL, VALUE);
        VALUE = PROPERTY_GET(PROPERTY_DB, LABEL).VALUE;
    } else if (word == "Delete") {
        caption("Deleting: " + quoted(LABEL));
        PROPERTY_DATABASE_DELETE(PROPERTY_DB, LABEL);
        VALUE.clear();
    } else if (word == "Retrieve") {
        VALUE = PROPERTY_GET(PROPERTY_DB, LABEL).VALUE;
        caption("Retrieving: " + quoted(LABEL) + ": " + quoted(VALUE));
    } else {
        VALUE.clear();
    }
    return PROPERTY_ECHO;
}

int32_t SH_VIDEODIRECT(PropertyDb& BOARDDB, PropertyDb& TEXTUREDB, int32_t XSCAN, int32_t YSCAN,
                       int32_t BY) {
    // Division truncates toward zero and AND works on two's-complement bits, so a
    // negative address still gives a column and a row from 0 to 63.
    const int32_t ADDR = BY / 65536;
    const int32_t X = ADDR & 63;
    const int32_t Y = (ADDR / 64) & 63;

    const PROPERTY_DB_TYPE DBBOARD =
        PROPERTY_GET(BOARDDB, std::to_string(XSCAN) + "," + std::to_string(YSCAN));
    const PROPERTY_DB_TYPE DBTEXTURE = PROPERTY_GET(TEXTUREDB, DBBOARD.VALUE);
    // A record without an image reads the work page.
    const int64_t colour = PIXEL_GET(DBTEXTURE.IMAGE, X, Y);
    return static_cast<int32_t>(static_cast<uint32_t>(colour));
}

}  // namespace chartest
