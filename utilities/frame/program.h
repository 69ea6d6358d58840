// An operator program on the shared frame: its window's own controls, and what its events do.
//
// The application "setup" opens one window "register_db"; the window's open event centres it and then
// runs the program's own steps; a button's clicked event runs the program's handler; the exit button
// cb_1 closes the window, which ends the program.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "control.h"
#include "units.h"

namespace quillet::ui {

inline constexpr std::string_view application_name = "setup";
inline constexpr std::string_view window_title = "数据库创建";
inline constexpr std::string_view profile_file = "vt.ini";
inline constexpr std::string_view exit_button = "cb_1";
// The value of a profile key that is missing: one space.
inline constexpr std::string_view profile_default = " ";

// What the events may ask of the open window; implemented by each toolkit backend.
class Window {
public:
    virtual Size screen_pixels() const = 0;
    virtual Dpi dpi() const = 0;
    virtual void move_to(Point units) = 0;  // the outer top-left corner, frame included
    virtual void set_text(std::string_view control, std::string_view text) = 0;
    virtual void set_enabled(std::string_view control, bool enabled) = 0;
    virtual void close_window() = 0;

protected:
    ~Window() = default;
};

// What the events may ask of the operating system.
class System {
public:
    // (file, section, key, default) -> text; the default when the file, section or key is missing.
    virtual std::string profile_string(std::string_view file, std::string_view section, std::string_view key,
                                       std::string_view fallback) = 0;
    // Starts a command line without waiting for it; false when it could not be started.
    virtual bool start(std::string_view command_line) = 0;

protected:
    ~System() = default;
};

struct Events {
    Window& window;
    System& system;
};

using Handler = void (*)(Events&);

struct ClickHandler {
    std::string_view control;
    Handler handler;
};

struct Program {
    std::string_view name;
    Size size;                             // the window's outer size in layout units
    std::span<const Control> controls;     // the program's own controls, in control-list order
    Point exit_position;                   // where the shared exit button stands
    Handler open;                          // the program's steps after centring
    std::span<const ClickHandler> clicks;  // the program's buttons
};

// The open event: w_center2, then the program's own steps.
void open_event(const Program& program, Events& events);

// A button's clicked event; the exit button closes the window, a control without a handler does nothing.
void clicked(const Program& program, std::string_view control, Events& events);

}  // namespace quillet::ui
