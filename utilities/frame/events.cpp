#include "program.h"

namespace quillet::ui {

void open_event(const Program& program, Events& events) {
    events.window.move_to(w_center2(events.window.screen_pixels(), events.window.dpi(), program.size));
    if (program.open != nullptr) program.open(events);
}

void clicked(const Program& program, std::string_view control, Events& events) {
    if (control == exit_button) {
        events.window.close_window();
        return;
    }
    for (const ClickHandler& click : program.clicks) {
        if (click.control == control) click.handler(events);
    }
}

}  // namespace quillet::ui
