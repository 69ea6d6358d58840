#include "look.h"

#include <QStringList>

#include "../frame/fonts.h"

namespace quillet::ui::qt {

QFont font_of(const Font& font) {
    QStringList families;
    for (std::string_view face : font_candidates(font.face)) {
        families << QString::fromUtf8(face.data(), static_cast<qsizetype>(face.size()));
    }
    QFont qfont;
    qfont.setFamilies(families);
    qfont.setPointSize(font.points);
    qfont.setBold(font.bold);
    return qfont;
}

std::optional<QColor> colour_of(const Colour& colour, const QPalette& palette) {
    switch (colour.source) {
        case Colour::Source::rgb:
            return QColor(colour.red, colour.green, colour.blue);
        case Colour::Source::window_text:
            return palette.color(QPalette::WindowText);
        case Colour::Source::button_face:
            return palette.color(QPalette::Button);
        case Colour::Source::none:
            break;
    }
    return std::nullopt;
}

QRect pixels_of(const Rect& units, Dpi dpi) {
    const Rect pixels = units_to_pixels(units, dpi);
    return {pixels.x, pixels.y, pixels.width, pixels.height};
}

}  // namespace quillet::ui::qt
