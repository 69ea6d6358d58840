// Exports of the three-wire EEPROM cards 93C46A .. 93C66: one implementation, one table row per size.
#include "cards/memory/memory_exports.h"
#include "cards/memory/three_wire.h"
#include "quillet.h"
#include "core/trace.h"

using namespace quillet;
using three_wire::Size;

// The exports of one size: each name ends in the size's suffix and passes the size on.
#define QL_THREE_WIRE_EXPORTS(suffix, size)                                  \
    QL_SIZED_MEMORY_EXPORTS(suffix, three_wire, size)                        \
    QL_API int16_t QL_CALL eral_##suffix(int32_t handle) noexcept {          \
        return QL_TRACED(three_wire::erase_all(handle, Size::size), handle); \
    }

QL_THREE_WIRE_EXPORTS(93c46a, c46a)
QL_THREE_WIRE_EXPORTS(93c46, c46)
QL_THREE_WIRE_EXPORTS(93c57, c57)
QL_THREE_WIRE_EXPORTS(93c66, c66)
