// The window description as data: every control of an operator window with its kind, place, size,
// text, font, colours and tab order. Positions and sizes are layout units relative to the client area;
// texts are UTF-8. Both toolkit backends draw the window from this description alone.
#pragma once

#include <cstdint>
#include <string_view>

namespace quillet::ui {

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    int width = 0;
    int height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// A fixed RGB value or one of the system's colours, resolved by the backend.
struct Colour {
    enum class Source : std::uint8_t { none, rgb, window_text, button_face };
    Source source = Source::none;
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    static constexpr Colour rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) { return {Source::rgb, r, g, b}; }
    friend bool operator==(const Colour&, const Colour&) = default;
};

inline constexpr Colour default_colour{};
inline constexpr Colour white = Colour::rgb(255, 255, 255);
inline constexpr Colour red = Colour::rgb(255, 0, 0);
inline constexpr Colour teal = Colour::rgb(0, 128, 128);
inline constexpr Colour window_text{Colour::Source::window_text};
inline constexpr Colour button_face{Colour::Source::button_face};
// The background of the operator window itself.
inline constexpr Colour window_background = Colour::rgb(192, 220, 192);

enum class Charset : std::uint8_t { standard, gb2312 };

// A face name as the window asks for it; fonts.h lists the installed faces that may stand in for it.
struct Font {
    std::string_view face;
    int points = 9;
    bool bold = false;
    Charset charset = Charset::standard;
    friend bool operator==(const Font&, const Font&) = default;
};

inline constexpr Font kai_14_bold{"楷体_GB2312", 14, true, Charset::gb2312};
inline constexpr Font song_9{"宋体", 9, false, Charset::gb2312};
inline constexpr Font arial_9{"Arial", 9};
inline constexpr Font arial_10{"Arial", 10};
inline constexpr Font arial_14_bold{"Arial", 14, true};

enum class Kind : std::uint8_t {
    static_text,  // a label; its text may be changed by the events
    push_button,  // raises a clicked event
    group_box,    // drawn: a background strip with an etched frame, no caption
    rectangle,    // drawn: a filled rectangle with a border of `border` units
};

struct Control {
    std::string_view name;
    Kind kind = Kind::static_text;
    Rect rect;
    std::string_view text;
    Font font = arial_9;
    Colour text_colour = default_colour;  // for a rectangle: the colour of its border
    Colour background = default_colour;   // for a rectangle: its fill
    int tab_order = 0;                    // 0: not reached by the tab key
    int border = 0;                       // rectangle border thickness in layout units
};

}  // namespace quillet::ui
