// Pointer types of the exports, one per argument shape: what the tables of chk_card and of the
// instruction-file command dispatcher hold. The integer arguments after the port handle are
// positions, zones, lengths or flags; a buffer comes last.
#pragma once

#include <cstdint>

#include "quillet.h"

namespace quillet::exports {

using Plain = int16_t(QL_CALL*)(int32_t) noexcept;                                 // (handle)
using PlainShort = int16_t(QL_CALL*)(int32_t, int16_t) noexcept;                   // (handle, a)
using PlainLong = int16_t(QL_CALL*)(int32_t, int32_t) noexcept;                    // (handle, 32-bit a)
using PlainTwo = int16_t(QL_CALL*)(int32_t, int16_t, int16_t) noexcept;            // (handle, a, b)
using PlainThree = int16_t(QL_CALL*)(int32_t, int16_t, int16_t, int16_t) noexcept; // (handle, a, b, c)
using Read = int16_t(QL_CALL*)(int32_t, uint8_t*) noexcept;                        // (handle, out)
using ReadOne = int16_t(QL_CALL*)(int32_t, int16_t, uint8_t*) noexcept;            // (handle, a, out)
using ReadTwo = int16_t(QL_CALL*)(int32_t, int16_t, int16_t, uint8_t*) noexcept;
using ReadThree = int16_t(QL_CALL*)(int32_t, int16_t, int16_t, int16_t, uint8_t*) noexcept;
using WriteOne = int16_t(QL_CALL*)(int32_t, int16_t, const uint8_t*) noexcept;     // (handle, a, in)
using WriteTwo = int16_t(QL_CALL*)(int32_t, int16_t, int16_t, const uint8_t*) noexcept;
using WriteThree = int16_t(QL_CALL*)(int32_t, int16_t, int16_t, int16_t, const uint8_t*) noexcept;
// (handle, page, offset, 32-bit length, buffer): the flash cards
using ReadFlash = int16_t(QL_CALL*)(int32_t, int16_t, int16_t, int32_t, uint8_t*) noexcept;
using WriteFlash = int16_t(QL_CALL*)(int32_t, int16_t, int16_t, int32_t, const uint8_t*) noexcept;
using Counter = int16_t(QL_CALL*)(int32_t, int16_t*) noexcept;                     // (handle, count)
using CounterOne = int16_t(QL_CALL*)(int32_t, int16_t, int16_t*) noexcept;         // (handle, a, count)
using Exchange = int16_t(QL_CALL*)(int32_t, int16_t, const uint8_t*, uint8_t*) noexcept;  // (handle, n, in, out)

}  // namespace quillet::exports
