// GDI fonts and colours for the window description.
#pragma once

#include <windows.h>

#include <memory>

#include "../frame/control.h"

namespace quillet::ui::win32 {

struct FontDeleter {
    void operator()(HFONT font) const { DeleteObject(font); }
};
using FontHandle = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

struct BrushDeleter {
    void operator()(HBRUSH brush) const { DeleteObject(brush); }
};
using BrushHandle = std::unique_ptr<std::remove_pointer_t<HBRUSH>, BrushDeleter>;

// The first installed face among the face and its look-alikes (the face itself when none is installed),
// at the font's size in points for the screen's vertical resolution.
FontHandle create_font(const Font& font, int dpi_y);

// The colour, with the system's colours resolved; `otherwise` for the default.
COLORREF colour_ref(const Colour& colour, COLORREF otherwise);

}  // namespace quillet::ui::win32
