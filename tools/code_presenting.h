// Presenting a card's security code, and when the card refuses it, saying how many attempts the
// card has left (read back from its error counter).
#pragma once

#include <cstdint>

#include "tools/families.h"

namespace quillet_tool {

// Throws CallFailed when the card refuses the code; for a wrong code its detail names the
// attempts left.
void present_code(int32_t handle, const CodeFamily& family, CodeTarget target, const uint8_t* code);

}  // namespace quillet_tool
