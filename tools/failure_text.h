// What a failed library call means for the user, in the terms of that call: "swr_4442: present
// the code first (--code) (reader status byte 0x99, -153)".
#pragma once

#include <string>

#include "tools/session.h"

namespace quillet_tool {

std::string failure_text(const CallFailed& failure);

}  // namespace quillet_tool
