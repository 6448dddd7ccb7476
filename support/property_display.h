// The property array on the screen: a database listed as a text box image, and its
// bounds. Apart from the key wait of the text box renderer, what these routines show is
// diagnostic output, drawn only while DBDEBUGENABLED is not 0.
#pragma once

#include <string>

#include "platform/screen.h"
#include "support/property_core.h"

namespace chartest {

// Lists every record from the lower to the upper bound, in stored order, as
// LABEL "=" VALUE CR LF (an emptied database gives the single line "="), lays the list
// out for a box of 40 x 30 characters into BUFF and renders it (one key wait) into a new
// 320 x 240 image in IMAGE, which the caller owns. An image IMAGE held before is freed
// first. While DBDEBUGENABLED is not 0 it then prints the image size in light red, clears
// the screen, blends the image onto the work page at (0, 0) and waits for a second key.
void PROPERTY_SHOW_ARRAY(const PropertyDb& PROPERTY_DB, std::string& BUFF,
                         ::chartest::IMAGE& IMAGE);
// PROPERTY_SHOW_ARRAY with a text and an image of its own, both dropped afterwards.
void PROPERTY_SHOW_ARRAY_DIRECT(const PropertyDb& PROPERTY_DB);
// While DBDEBUGENABLED is not 0, prints the bounds in red:
//   LBound: "0" To UBound: "2"
// Otherwise does nothing.
void PROPERTY_SHOW_ARRAY_BOUNDS(const PropertyDb& PROPERTY_DB);

}  // namespace chartest
