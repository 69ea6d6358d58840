#include "window.h"

#include <algorithm>

namespace quillet::ui {
namespace {

constexpr Size exit_size{343, 120};

constexpr Control shared_after_exit[] = {
    {"st_8", Kind::static_text, {1138, 124, 590, 76}, vendor_name, song_9, window_text, white},
    {"st_5", Kind::static_text, {64, 24, 1079, 84}, "启动数据库\\数据库维护", kai_14_bold, window_text, white},
    // Two separators under the header band: a white strip in an etched frame and a thin teal one.
    {"gb_1", Kind::group_box, {0, 180, 2002, 36}, "", arial_14_bold, red, white, 10},
    {"gb_2", Kind::group_box, {0, 220, 1993, 12}, "", arial_9, window_text, teal, 60},
    {"r_1", Kind::rectangle, {0, 0, 2002, 180}, "", arial_9, white, white, 0, 4},
};

}  // namespace

std::vector<Control> window_controls(const Program& program) {
    std::vector<Control> controls(program.controls.begin(), program.controls.end());
    const Point at = program.exit_position;
    controls.push_back({exit_button,
                        Kind::push_button,
                        {at.x, at.y, exit_size.width, exit_size.height},
                        "退出",
                        arial_9,
                        default_colour,
                        default_colour,
                        60});
    controls.insert(controls.end(), std::begin(shared_after_exit), std::end(shared_after_exit));
    return controls;
}

std::vector<std::string_view> tab_sequence(const std::vector<Control>& controls) {
    std::vector<const Control*> buttons;
    for (const Control& control : controls) {
        if (control.kind == Kind::push_button && control.tab_order > 0) buttons.push_back(&control);
    }
    std::ranges::stable_sort(buttons, {}, &Control::tab_order);
    std::vector<std::string_view> names;
    for (const Control* button : buttons) names.push_back(button->name);
    return names;
}

}  // namespace quillet::ui
