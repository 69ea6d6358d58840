#include "tools/family_check.h"

#include <string>

#include "quillet.h"
#include "tools/session.h"

namespace quillet_tool {

void check_family(int32_t handle, const Family& family, const Arguments& args) {
    if (args.has("no-check") || !family.check) return;
    const int16_t status = family.check(handle);
    if (status == 0) return;
    if (status == QL_WRONG_CARD)
        throw CallFailed{family.check_name, status,
                         "the card in the slot is not of the family " + std::string(family.name) +
                             " (quillet detect tells which it is; --no-check skips this check)"};
    throw CallFailed{family.check_name, status, {}};
}

}  // namespace quillet_tool
