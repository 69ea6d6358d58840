// The meanings of a processor card's status words (SW1 SW2), for apdu's output.
#pragma once

#include <cstdint>
#include <string_view>

namespace quillet_tool {

// The status word's meaning: its own entry, else that of its SW1 group; every 6xxx and 9000 has one.
std::string_view status_word_meaning(uint16_t sw);

}  // namespace quillet_tool
