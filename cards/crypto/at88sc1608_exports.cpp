// Exports of the AT88SC1608 cards.
#include "cards/crypto/at88sc1608.h"
#include "cards/crypto/at88sc_exports.h"
#include "quillet.h"
#include "core/trace.h"

using namespace quillet;
using at88sc1608::layout;

QL_AT88SC_EXPORTS(1608, at88sc1608)

QL_API int16_t QL_CALL srfus_1608(int32_t handle, int16_t length, uint8_t* buffer) noexcept {
    return QL_TRACED(at88sc::read_register(layout, handle, at88sc1608::fuse_address, length, buffer), handle, length,
                     buffer);
}
QL_AT88SC_PASSWORD_EXPORTS(1608, length, selector)
