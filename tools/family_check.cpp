#include "tools/family_check.h"

#include <algorithm>
#include <array>
#include <string>

#include "quillet.h"
#include "tools/session.h"

namespace quillet_tool {

namespace {

struct FamilyCheck {
    std::string_view family;
    const char* call;
    int16_t(QL_CALL* accepts)(int32_t handle);
};

constexpr std::array checks{
    FamilyCheck{"sle4442", "chk_4442", chk_4442},    FamilyCheck{"2042", "chk_2042", chk_2042},
    FamilyCheck{"sle4432", "chk_4432", chk_4432},    FamilyCheck{"sle4428", "chk_4428", chk_4428},
    FamilyCheck{"sle4418", "chk_4418", chk_4418},    FamilyCheck{"24c01a", "chk_24c01a", chk_24c01a},
    FamilyCheck{"24c02", "chk_24c02", chk_24c02},    FamilyCheck{"24c04", "chk_24c04", chk_24c04},
    FamilyCheck{"24c08", "chk_24c08", chk_24c08},    FamilyCheck{"24c16", "chk_24c16", chk_24c16},
    FamilyCheck{"24c32", "chk_24c32", chk_24c32},    FamilyCheck{"24c64", "chk_24c64", chk_24c64},
    FamilyCheck{"93c46a", "chk_93c46a", chk_93c46a}, FamilyCheck{"93c46", "chk_93c46", chk_93c46},
    FamilyCheck{"93c57", "chk_93c57", chk_93c57},    FamilyCheck{"93c66", "chk_93c66", chk_93c66},
    FamilyCheck{"at88sc1608", "chk_1608", chk_1608}, FamilyCheck{"at88sc153", "chk_153", chk_153},
};

}  // namespace

void check_family(int32_t handle, std::string_view family, const Arguments& args) {
    if (args.has("no-check")) return;
    const auto it =
        std::find_if(checks.begin(), checks.end(), [&](const FamilyCheck& c) { return c.family == family; });
    if (it == checks.end()) return;
    const int16_t status = it->accepts(handle);
    if (status == 0) return;
    if (status == QL_WRONG_CARD)
        throw CallFailed{it->call, status,
                         "the card in the slot is not of the family " + std::string(family) +
                             " (quillet detect tells which it is; --no-check skips this check)"};
    throw CallFailed{it->call, status, {}};
}

}  // namespace quillet_tool
