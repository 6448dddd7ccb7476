#include "support/property_display.h"

#include "support/memory_management.h"
#include "support/simple_input.h"
#include "support/text_box.h"
#include "support/vga_lookup.h"

namespace chartest {

namespace {

constexpr int32_t LIST_COLUMNS = 40;
constexpr int32_t LIST_ROWS = 30;
constexpr uint32_t SIZE_COLOUR = 0xFFFF4040u;    // opaque light red
constexpr uint32_t BOUNDS_COLOUR = 0xFFFF0000u;  // opaque red

}  // namespace

void PROPERTY_SHOW_ARRAY(const PropertyDb& PROPERTY_DB, std::string& BUFF,
                         ::chartest::IMAGE& IMAGE) {
    BUFF.clear();
    IMAGEDESTROY2(IMAGE);

    std::string listing;
    for (int32_t i = PROPERTY_DB.lbound(); i <= PROPERTY_DB.ubound(); ++i) {
        const PROPERTY_DB_TYPE& record = PROPERTY_DB[i];
        listing += record.LABEL;
        listing += '=';
        listing += record.VALUE;
        listing += "\r\n";
    }

    BUFF = TEXT_BOX_STRING(listing, LIST_COLUMNS, LIST_ROWS);
    IMAGE = TEXT_BOX_RENDER(BUFF, LIST_COLUMNS, LIST_ROWS, 0);

    if (DBDEBUGENABLED != 0) {
        SCREEN_COLOR(SIZE_COLOUR);
        if (!IMAGE) fatal_error(ERR_NULL_POINTER);
        TEXT_PRINT("Property Show Array ( " + std::to_string(IMAGE->WIDTH) + ", " +
                   std::to_string(IMAGE->HEIGHT) + " )");
        SCREEN_CLEAR();
        if (const int32_t error = IMAGE_PUT(nullptr, 0, 0, IMAGE, PutMode::Alpha); error != 0)
            fatal_error(error);
        std::string msg;
        SIMPLESLEEP(VGA_TABLE, msg, 15);
    }
}

void PROPERTY_SHOW_ARRAY_DIRECT(const PropertyDb& PROPERTY_DB) {
    std::string text;
    ::chartest::IMAGE image = nullptr;
    PROPERTY_SHOW_ARRAY(PROPERTY_DB, text, image);
    text.clear();
    IMAGEDESTROY2(image);
}

void PROPERTY_SHOW_ARRAY_BOUNDS(const PropertyDb& PROPERTY_DB) {
    if (DBDEBUGENABLED == 0) return;
    SCREEN_COLOR(BOUNDS_COLOUR);
    TEXT_PRINT("LBound: \"" + std::to_string(PROPERTY_DB.lbound()) + "\" To UBound: \"" +
               std::to_string(PROPERTY_DB.ubound()) + "\"");
}

}  // namespace chartest
