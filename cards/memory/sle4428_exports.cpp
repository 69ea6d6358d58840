// Exports of the SLE4428 and SLE4418 cards: one implementation, the card's row chosen here.
#include "cards/memory/sle4428.h"
#include "cards/memory/memory_exports.h"
#include "quillet.h"
#include "core/trace.h"

using namespace quillet;
using sle4428::sle4418_card;
using sle4428::sle4428_card;

// The exports of the memory and its protection bits of one card row, named with the given suffix.
#define QL_SLE4428_MEMORY_EXPORTS(suffix, card)                                                                       \
    QL_API int16_t QL_CALL srd_##suffix(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) noexcept {   \
        return QL_TRACED(sle4428::read(card, handle, offset, length, buffer), handle, offset, length, buffer);        \
    }                                                                                                                 \
    QL_API int16_t QL_CALL swr_##suffix(int32_t handle, int16_t offset, int16_t length,                               \
                                        const uint8_t* data) noexcept {                                               \
        return QL_TRACED(sle4428::write(card, handle, offset, length, data), handle, offset, length, data);           \
    }                                                                                                                 \
    QL_API int16_t QL_CALL rdwpb_##suffix(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) noexcept { \
        return QL_TRACED(sle4428::read_protected(card, handle, offset, length, buffer), handle, offset, length,       \
                         buffer);                                                                                     \
    }                                                                                                                 \
    QL_API int16_t QL_CALL wrwpb_##suffix(int32_t handle, int16_t offset, int16_t length,                             \
                                          const uint8_t* data) noexcept {                                             \
        return QL_TRACED(sle4428::write_protected(card, handle, offset, length, data), handle, offset, length, data); \
    }                                                                                                                 \
    QL_API int16_t QL_CALL pwr_##suffix(int32_t handle, int16_t offset, int16_t length,                               \
                                        const uint8_t* data) noexcept {                                               \
        return QL_TRACED(sle4428::protect(card, handle, offset, length, data), handle, offset, length, data);         \
    }

QL_SLE4428_MEMORY_EXPORTS(4428, sle4428_card)
QL_SLE_CODE_EXPORTS(4428, sle4428)
QL_API int16_t QL_CALL chk_4428(int32_t handle) noexcept { return QL_TRACED(sle4428::check_sle4428(handle), handle); }

QL_SLE4428_MEMORY_EXPORTS(4418, sle4418_card)
// The SLE4418 carries no identification that could be checked: every card passes, nothing is sent.
QL_API int16_t QL_CALL chk_4418(int32_t) noexcept { return 0; }
