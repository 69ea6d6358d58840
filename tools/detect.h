// Which card is in the slot: chk_card's memory card family, else a processor card that answers
// to reset.
#pragma once

#include <cstdint>
#include <string>

#include "tools/progress.h"

namespace quillet_tool {

// The family's name as the tool's other commands take it, "cpu" for a processor card, or empty
// when no family's check accepts the card and nothing answers to reset.
std::string detect_card(int32_t handle, StatusLine& progress);

}  // namespace quillet_tool
