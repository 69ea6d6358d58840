#include "units.h"

#include <cmath>

namespace quillet::ui {
namespace {

constexpr double units_per_pixel_x = 32.0 / 7.0;
constexpr double units_per_pixel_y = 4.0;
constexpr double reference_dpi = 96.0;

double resolution(int dpi) { return dpi > 0 ? dpi : reference_dpi; }

int nearest(double value) { return static_cast<int>(std::lround(value)); }

}  // namespace

int pixels_to_units_x(int pixels, Dpi dpi) {
    return nearest(pixels * units_per_pixel_x * reference_dpi / resolution(dpi.x));
}
int pixels_to_units_y(int pixels, Dpi dpi) {
    return nearest(pixels * units_per_pixel_y * reference_dpi / resolution(dpi.y));
}
int units_to_pixels_x(int units, Dpi dpi) {
    return nearest(units / units_per_pixel_x * resolution(dpi.x) / reference_dpi);
}
int units_to_pixels_y(int units, Dpi dpi) {
    return nearest(units / units_per_pixel_y * resolution(dpi.y) / reference_dpi);
}

Size pixels_to_units(Size pixels, Dpi dpi) {
    return {pixels_to_units_x(pixels.width, dpi), pixels_to_units_y(pixels.height, dpi)};
}

Size units_to_pixels(Size units, Dpi dpi) {
    return {units_to_pixels_x(units.width, dpi), units_to_pixels_y(units.height, dpi)};
}

Point units_to_pixels(Point units, Dpi dpi) {
    return {units_to_pixels_x(units.x, dpi), units_to_pixels_y(units.y, dpi)};
}

Rect units_to_pixels(const Rect& units, Dpi dpi) {
    return {units_to_pixels_x(units.x, dpi), units_to_pixels_y(units.y, dpi), units_to_pixels_x(units.width, dpi),
            units_to_pixels_y(units.height, dpi)};
}

Point w_center2(Size screen, Size window) {
    const double x = screen.width * 0.5 - window.width * 0.5;
    const double y = screen.height * 0.5 - window.height * 0.5;
    return {nearest(x), nearest(y)};
}

Point w_center2(Size screen_pixels, Dpi dpi, Size window) {
    return w_center2(pixels_to_units(screen_pixels, dpi), window);
}

}  // namespace quillet::ui
