// Card detection for a library without chk_card: the chk_ functions of the families in the
// library's own detection order (the SLE4442 class after the crypto and SLE4428 cards, the I2C
// sizes from 24C16 down to 24C01A, then 24C64 and 24C32), contacts switched off before each try.
// The first check that accepts the card wins.
#include <array>
#include <string_view>

#include "quillet.h"
#include "tools/detect.h"

namespace quillet_tool {

namespace {

struct Check {
    std::string_view family;
    const char* call;
    int16_t(QL_CALL* accepts)(int32_t handle);
};

constexpr std::array checks{
    Check{"at88sc1608", "chk_1608", chk_1608}, Check{"at88sc153", "chk_153", chk_153},
    Check{"sle4428", "chk_4428", chk_4428},    Check{"sle4442", "chk_4442", chk_4442},
    Check{"2042", "chk_2042", chk_2042},       Check{"93c46a", "chk_93c46a", chk_93c46a},
    Check{"93c46", "chk_93c46", chk_93c46},    Check{"93c57", "chk_93c57", chk_93c57},
    Check{"24c16", "chk_24c16", chk_24c16},    Check{"24c08", "chk_24c08", chk_24c08},
    Check{"24c04", "chk_24c04", chk_24c04},    Check{"24c02", "chk_24c02", chk_24c02},
    Check{"24c01a", "chk_24c01a", chk_24c01a}, Check{"24c64", "chk_24c64", chk_24c64},
    Check{"24c32", "chk_24c32", chk_24c32},
};

}  // namespace

std::string detect_card_family(int32_t handle, StatusLine& progress) {
    int tried = 0;
    for (const auto& check : checks) {
        progress.show("trying " + std::string(check.call) + " (" + std::to_string(++tried) + "/" +
                      std::to_string(checks.size()) + ")");
        turn_off(handle);  // every check starts from a fresh power-up of the card
        if (check.accepts(handle) == 0) return std::string(check.family);
    }
    turn_off(handle);
    return {};
}

}  // namespace quillet_tool
