// The whole window of a program: its own controls followed by the frame's shared ones.
#pragma once

#include <string_view>
#include <vector>

#include "program.h"

namespace quillet::ui {

// The vendor's name in the header band.
inline constexpr std::string_view vendor_name = "Quillet 软件有限公司";

// Every control in control-list order: the program's own, then cb_1, st_8, st_5, gb_1, gb_2, r_1.
// Controls earlier in the list lie above later ones where they overlap.
std::vector<Control> window_controls(const Program& program);

// The buttons the tab key visits, in order: by tab order, equal tab orders in control-list order.
// The first one has the focus when the window opens.
std::vector<std::string_view> tab_sequence(const std::vector<Control>& controls);

}  // namespace quillet::ui
