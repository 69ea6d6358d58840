// Before a read or write: is the card in the slot of the family the command line names? Each
// family's own chk_ function (from the family catalogue) says; a family without one is taken on
// trust.
#pragma once

#include <cstdint>
#include "tools/arguments.h"
#include "tools/families.h"

namespace quillet_tool {

// --no-check: the option that skips the check.
inline constexpr OptionSpec no_check_option{"no-check", "", "do not check first that the card is of the family"};

// Throws CallFailed (QL_WRONG_CARD: "not of this family") when the family's check refuses the
// card, unless args has --no-check.
void check_family(int32_t handle, const Family& family, const Arguments& args);

}  // namespace quillet_tool
