// Installed faces that may stand in for the faces the operator windows name, nearest first.
#pragma once

#include <string_view>
#include <vector>

namespace quillet::ui {

// The face itself first, then its Windows and Linux look-alikes; just the face for one without any.
std::vector<std::string_view> font_candidates(std::string_view face);

}  // namespace quillet::ui
