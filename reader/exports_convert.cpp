// Exports of the conversions, checksums and registered card codes: none of them talks to the reader.
#include <cstring>
#include <span>

#include "quillet.h"
#include "reader/conversions.h"
#include "link/frame.h"
#include "core/trace.h"

using namespace quillet;

namespace {
template <typename T>
int16_t store_image(T value, uint8_t* out) {
    std::memcpy(out, &value, sizeof value);  // memory order: least significant byte first on x86
    return 0;
}

template <typename T>
int16_t load_image(const uint8_t* in, T* value) {
    std::memcpy(value, in, sizeof *value);
    return 0;
}

std::span<const uint8_t> first(int16_t count, const uint8_t* bytes) {
    return {bytes, count > 0 ? static_cast<size_t>(count) : 0};
}
}  // namespace

QL_API int16_t QL_CALL asc_hex(uint8_t* text, uint8_t* out, int32_t count) noexcept {
    return QL_TRACED(hex_to_bytes(reinterpret_cast<char*>(text), out, count), text, out, count);
}

QL_API int16_t QL_CALL hex_asc(const uint8_t* in, uint8_t* out, int32_t count) noexcept {
    bytes_to_hex(in, reinterpret_cast<char*>(out), count);
    return 0;
}

QL_API int16_t QL_CALL asc_asc(const uint8_t* source, uint8_t* destination, int32_t count) noexcept {
    if (count > 0) std::memmove(destination, source, static_cast<size_t>(count));
    return 0;
}

QL_API uint8_t QL_CALL cr_bcc(int16_t count, const uint8_t* bytes) noexcept { return bcc(first(count, bytes)); }

QL_API int16_t QL_CALL ck_bcc(int16_t count, const uint8_t* bytes) noexcept {
    return bcc(first(count, bytes)) == 0 ? 0 : 118;
}

QL_API uint8_t QL_CALL comm_bcc(int16_t length, uint8_t* text) noexcept {
    return hex_text_bcc(length, reinterpret_cast<char*>(text));
}

QL_API int16_t QL_CALL float_uchar(float value, uint8_t* out) noexcept { return store_image(value, out); }
QL_API int16_t QL_CALL uchar_float(const uint8_t* in, float* value) noexcept { return load_image(in, value); }
QL_API int16_t QL_CALL short_uchar(int16_t value, uint8_t* out) noexcept { return store_image(value, out); }
QL_API int16_t QL_CALL uchar_short(const uint8_t* in, int16_t* value) noexcept { return load_image(in, value); }
QL_API int16_t QL_CALL long_uchar(int32_t value, uint8_t* out) noexcept { return store_image(value, out); }
QL_API int16_t QL_CALL uchar_long(const uint8_t* in, int32_t* value) noexcept { return load_image(in, value); }

QL_API int16_t QL_CALL set_code(int16_t family, int16_t count, int16_t byte_count, const uint8_t* codes) noexcept {
    return QL_TRACED(register_codes(family, count, byte_count, codes), family, count, byte_count, codes);
}
