// Qt fonts and colours for the window description.
#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <optional>

#include "../frame/control.h"
#include "../frame/units.h"

namespace quillet::ui::qt {

// The face with its look-alikes as fall-back families; the size in points.
QFont font_of(const Font& font);

// The colour itself, or the palette's colour for a system colour; nothing for the default.
std::optional<QColor> colour_of(const Colour& colour, const QPalette& palette);

QRect pixels_of(const Rect& units, Dpi dpi);

}  // namespace quillet::ui::qt
