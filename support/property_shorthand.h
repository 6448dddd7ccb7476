// Short forms over a property database, the echo text, the tinker command and the board
// texel lookup. Every name carries the prefix SH_.
//
// The echo text is a running record of what was done to a database: caption lines
// "--- caption ---" separated by CR LF, kept in the caller's variable.
#pragma once

#include <cstdint>
#include <string>

#include "support/property_core.h"

namespace chartest {

// PROPERTY_GET of LABEL.
PROPERTY_DB_TYPE SH_GET(PropertyDb& PROPERTY_DB, const std::string& LABEL);
// PROPERTY_SET of LABEL and VALUE.
PROPERTY_DB_TYPE SH_SET(PropertyDb& PROPERTY_DB, const std::string& LABEL,
                        const std::string& VALUE);
// PROPERTY_DATABASE_SAVE to FILENAME as given, without adding an extension (three key
// waits).
void SH_SAVE(PropertyDb& PROPERTY_DB, const std::string& FILENAME);
// FILENAME becomes its text before the first ".Property" followed by ".Property" (in the
// caller's variable); then PROPERTY_DATABASE_LOAD of that file.
void SH_LOAD(PropertyDb& PROPERTY_DB, std::string& FILENAME);
// LABEL:"VALUE" for the stored value; an absent label gives LABEL:"".
std::string SH_QUERY(PropertyDb& PROPERTY_DB, const std::string& LABEL);
// Appends CR LF to BUFFER when it is not empty, and returns BUFFER followed by the caption
// line "--- CAPTION ---". The caption line itself is not added to BUFFER.
std::string SH_ECHO(std::string& BUFFER, const std::string& CAPTION);
// Clears the work page, shows the echo text followed by the database's text form in the
// property echo panel (two key waits), prints the Escape character on the message line
// and waits for a third key. Empties PROPERTY_ECHO and returns "". The export sorts the
// database.
std::string SH_DIRECT(PropertyDb& PROPERTY_DB, std::string& PROPERTY_ECHO);
// PROPERTY_SHOW_ARRAY_BOUNDS, then one key wait with the Escape character as message.
// Empties PROPERTY_ECHO and returns "".
std::string SH_BOUNDS(PropertyDb& PROPERTY_DB, std::string& PROPERTY_ECHO);
// PROPERTY_BUBBLE_SORT.
void SH_SORT(PropertyDb& PROPERTY_DB);

// Carries out the behaviour word BEHAVIOR, normalised by UCWORDS (which empties the
// caller's BEHAVIOR) and compared case-sensitively:
//   "Sort"      sorts the database                  echo "--- Sorting ---"
//   "Add"       sets LABEL to VALUE; VALUE = the stored value
//                                                   echo "--- Adding: "LABEL" ---"
//   "Delete"    deletes LABEL; VALUE = ""            echo "--- Deleting: "LABEL" ---"
//   "Retrieve"  VALUE = the stored value ("" when absent)
//                                                   echo "--- Retrieving: "LABEL": "VALUE" ---"
// For these the echo text is replaced by the one caption line. Any other word changes
// nothing but VALUE, which becomes "". Returns the echo text.
std::string SH_TINKER(PropertyDb& PROPERTY_DB, std::string& PROPERTY_ECHO, std::string& BEHAVIOR,
                      const std::string& LABEL, std::string& VALUE);

// The colour of one texel of a board cell's texture. The cell XSCAN,YSCAN is the record
// labelled with the two signed decimals joined by "," in BOARDDB; its VALUE names a
// record of TEXTUREDB whose IMAGE is the texture. The texel address is BY / 65536
// (truncated toward zero); its bits 0-5 are the column and bits 6-11 the row (the row
// is address / 64 truncated toward zero, then ANDed with 63, in two's complement).
// Returns the colour as PIXEL_GET reads it, as a signed 32-bit value (opaque colours are
// negative; -1 also means outside the texture). A missing cell or texture reads the
// screen's work page instead.
int32_t SH_VIDEODIRECT(PropertyDb& BOARDDB, PropertyDb& TEXTUREDB, int32_t XSCAN, int32_t YSCAN,
                       int32_t BY);

}  // namespace chartest
