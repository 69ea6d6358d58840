// Exports shared by the memory card families, each name ending in the given suffix and forwarding to
// the family's namespace. Used in the families' export files, which include quillet.h and
// core/trace.h.
#pragma once

// Reading and writing the memory, for families with read(handle, offset, length, buffer) and
// write(handle, offset, length, data).
#define QL_SLE_MEMORY_EXPORTS(suffix, family)                                                                       \
    QL_API int16_t QL_CALL srd_##suffix(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) noexcept { \
        return QL_TRACED(family::read(handle, offset, length, buffer), handle, offset, length, buffer);             \
    }                                                                                                               \
    QL_API int16_t QL_CALL swr_##suffix(int32_t handle, int16_t offset, int16_t length,                             \
                                        const uint8_t* data) noexcept {                                             \
        return QL_TRACED(family::write(handle, offset, length, data), handle, offset, length, data);                \
    }

// The code and its error counter: present, change and read the code, read the counter, for families
// with present_code, change_code, read_code and read_error_counter.
#define QL_SLE_CODE_EXPORTS(suffix, family)                                                                   \
    QL_API int16_t QL_CALL csc_##suffix(int32_t handle, int16_t length, const uint8_t* code_bytes) noexcept { \
        return QL_TRACED(family::present_code(handle, length, code_bytes), handle, length, code_bytes);       \
    }                                                                                                         \
    QL_API int16_t QL_CALL wsc_##suffix(int32_t handle, int16_t length, const uint8_t* code_bytes) noexcept { \
        return QL_TRACED(family::change_code(handle, length, code_bytes), handle, length, code_bytes);        \
    }                                                                                                         \
    QL_API int16_t QL_CALL rsc_##suffix(int32_t handle, int16_t length, uint8_t* buffer) noexcept {           \
        return QL_TRACED(family::read_code(handle, length, buffer), handle, length, buffer);                  \
    }                                                                                                         \
    QL_API int16_t QL_CALL rsct_##suffix(int32_t handle, int16_t* count) noexcept {                           \
        return QL_TRACED(family::read_error_counter(handle, count), handle, count);                           \
    }

// Reading and writing the memory of one size and checking the card's size, for families with
// read(handle, Size, offset, length, buffer), write(handle, Size, offset, length, data) and
// check(handle, Size).
#define QL_SIZED_MEMORY_EXPORTS(suffix, family, size)                                                               \
    QL_API int16_t QL_CALL srd_##suffix(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) noexcept { \
        return QL_TRACED(family::read(handle, family::Size::size, offset, length, buffer), handle, offset, length,  \
                         buffer);                                                                                   \
    }                                                                                                               \
    QL_API int16_t QL_CALL swr_##suffix(int32_t handle, int16_t offset, int16_t length,                             \
                                        const uint8_t* data) noexcept {                                             \
        return QL_TRACED(family::write(handle, family::Size::size, offset, length, data), handle, offset, length,   \
                         data);                                                                                     \
    }                                                                                                               \
    QL_API int16_t QL_CALL chk_##suffix(int32_t handle) noexcept {                                                  \
        return QL_TRACED(family::check(handle, family::Size::size), handle);                                        \
    }

// Reading and writing a memory addressed by two numbers (zone and address, page and offset: their
// names are first and second) and a length of type length_type, for families with
// read(handle, first, second, length, buffer) and write(handle, first, second, length, data).
#define QL_ADDRESSED_MEMORY_EXPORTS(suffix, family, first, second, length_type)                                       \
    QL_API int16_t QL_CALL srd_##suffix(int32_t handle, int16_t first, int16_t second, length_type length,            \
                                        uint8_t* buffer) noexcept {                                                   \
        return QL_TRACED(family::read(handle, first, second, length, buffer), handle, first, second, length, buffer); \
    }                                                                                                                 \
    QL_API int16_t QL_CALL swr_##suffix(int32_t handle, int16_t first, int16_t second, length_type length,            \
                                        const uint8_t* data) noexcept {                                               \
        return QL_TRACED(family::write(handle, first, second, length, data), handle, first, second, length, data);    \
    }
