// The order matters: several checks accept more than one kind of card and the first acceptance
// wins. The security memory cards go before the SLE4442 class, and the I2C EEPROM checks run from
// the 24C16 down to the 24C01A before the 24C64 and 24C32.
#include "reader/card_detection.h"

#include <array>

#include "quillet.h"
#include "reader/export_pointers.h"

namespace quillet {

namespace {

struct Try {
    exports::Plain check;  // null while the family is not in the build: counted as refused
    int16_t card_type;
};

constexpr std::array<Try, 22> tries{{
    {chk_4404, 40},
    {chk_4406, 41},
    {chk_102, 51},
    {chk_1604, 52},
    {chk_1604b, 53},
    {chk_1608, 54},
    {chk_153, 55},
    {chk_4428, 31},
    {chk_4442, 21},
    {chk_2042, 22},
    {chk_45d041, 10},
    {chk_93c46a, 60},
    {chk_93c46, 61},
    {chk_93c57, 62},
    {chk_24c16, 5},
    {chk_24c08, 4},
    {chk_24c04, 3},
    {chk_24c02, 2},
    {chk_24c01a, 1},
    {chk_24c64, 7},
    {chk_24c32, 6},
    {chk_ssf1101, 12},
}};

}  // namespace

int16_t detect_card_type(int32_t handle) {
    for (const Try& t : tries) {
        turn_off(handle);  // its status does not matter: the check decides
        if (t.check != nullptr && t.check(handle) == 0) return t.card_type;
    }
    turn_off(handle);
    return 0;
}

}  // namespace quillet
