// Layout units, the logical window units of the operator windows. At 96 dots per inch one pixel is 32/7
// units across and 4 units down; at other resolutions the units keep their physical size.
#pragma once

#include "control.h"

namespace quillet::ui {

struct Dpi {
    int x = 96;
    int y = 96;
};

// Conversions round to the nearest whole value; a resolution of 0 or less counts as 96 dpi.
int pixels_to_units_x(int pixels, Dpi dpi);
int pixels_to_units_y(int pixels, Dpi dpi);
int units_to_pixels_x(int units, Dpi dpi);
int units_to_pixels_y(int units, Dpi dpi);

Size pixels_to_units(Size pixels, Dpi dpi);
Size units_to_pixels(Size units, Dpi dpi);
Point units_to_pixels(Point units, Dpi dpi);
Rect units_to_pixels(const Rect& units, Dpi dpi);

// w_center2: the window's outer top-left corner, in units, that puts a window of `window` units in the
// middle of a screen of `screen` units. Half sizes are taken in double precision and the differences
// rounded to nearest (halves away from zero); a window larger than the screen gets negative coordinates.
Point w_center2(Size screen, Size window);

// The same from the screen's size in pixels, converted to units first.
Point w_center2(Size screen_pixels, Dpi dpi, Size window);

}  // namespace quillet::ui
