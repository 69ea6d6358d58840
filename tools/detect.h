// Which card family is in the slot. Two builds of this one function: detect_by_family_checks.cpp
// tries the families' chk_ functions itself, detect_by_chk_card.cpp asks the library's chk_card;
// tools/CMakeLists.txt takes the second once quillet.h declares chk_card.
#pragma once

#include <cstdint>
#include <string>

#include "tools/progress.h"

namespace quillet_tool {

// The family's name as the tool's other commands take it, or empty when no check accepts the card.
std::string detect_card_family(int32_t handle, StatusLine& progress);

}  // namespace quillet_tool
