// Presenting a card's security code, and when the card refuses it, saying how many attempts the
// card has left (read back from its error counter).
#pragma once

#include <cstdint>
#include <vector>

#include "tools/families.h"

namespace quillet_tool {

// Presents code through calls (the family's code or its erase code). Throws CallFailed when the
// card refuses it; for a wrong code its detail names the attempts left.
void present_code(int32_t handle, const Family& family, const CodeCalls& calls, CodeTarget target,
                  const std::vector<uint8_t>& code);

}  // namespace quillet_tool
