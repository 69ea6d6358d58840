#include "reader/services.h"

#include <algorithm>

#include "core/checks.h"
#include "core/chunks.h"
#include "platform/clock.h"
#include "reader/reader_commands.h"

namespace quillet {

namespace {
constexpr int user_area_chunk = 144;
constexpr size_t value_size = 4;

void store_le32(int32_t v, uint8_t* out) {
    const auto u = static_cast<uint32_t>(v);
    for (size_t i = 0; i < value_size; ++i) out[i] = static_cast<uint8_t>(u >> (8 * i));
}

int32_t load_le32(const uint8_t* in) {
    uint32_t u = 0;
    for (size_t i = 0; i < value_size; ++i) u |= uint32_t{in[i]} << (8 * i);
    return static_cast<int32_t>(u);
}

Status user_area_checks(int16_t offset, int16_t length) {
    return first_failure({
        {offset >= 0 && offset < reader_address::user_area_size, Status::bad_address},
        {[&] { return length >= 1 && length <= reader_address::user_area_size - offset; }, Status::bad_length},
    });
}
}  // namespace

Status beep(int32_t handle, int16_t units) {
    const int u = units < 0 ? 2 : std::min<int>(units, 255);
    Frame f(reader_command::beep);
    f.type(reader_card_type).zero(2).be16(0).be16(static_cast<uint16_t>(u));
    QL_TRY(send_frame(handle, f));
    delay_ms(static_cast<uint32_t>(u) * 10);
    Reply reply;
    QL_TRY(receive_reply(handle, Wait::normal, reply));
    return reply.status_byte() == 0 ? Status::ok : reader_status(reply.status_byte());
}

Status card_status(int32_t handle, int attempts, int16_t* state) {
    uint8_t raw = 0;
    const Status s = query_card_state(handle, attempts, raw);
    if (!failed(s) && state) *state = static_cast<int16_t>(raw > 3 ? 1 : raw);
    return s;
}

Status card_status_at(int32_t handle, int16_t position, int16_t* state) {
    uint8_t raw = 0;
    QL_TRY(query_card_state(handle, 3, raw));
    const auto slot = static_cast<uint8_t>(position);  // only the low byte counts
    const bool present = slot <= 3 && (raw & (1u << slot)) != 0;
    if (state) *state = present ? 1 : 0;
    return Status::ok;
}

Status user_area_read(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) {
    QL_TRY(user_area_checks(offset, length));
    return for_each_chunk(offset, length, user_area_chunk, [&](int address, int count, int position) {
        return memory_read(handle, static_cast<uint16_t>(address), buffer + position, static_cast<size_t>(count));
    });
}

Status user_area_write(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) {
    QL_TRY(user_area_checks(offset, length));
    return for_each_chunk(offset, length, user_area_chunk, [&](int address, int count, int position) {
        return memory_write(handle, static_cast<uint16_t>(address), data + position, static_cast<size_t>(count));
    });
}

Status field_read(int32_t handle, uint16_t address, int16_t expected, int16_t length, uint8_t* buffer) {
    if (length != expected) return Status::bad_length;
    return memory_read(handle, address, buffer, static_cast<size_t>(length));
}

Status field_write(int32_t handle, uint16_t address, int16_t expected, int16_t length, const uint8_t* data) {
    if (length != expected) return Status::bad_length;
    return memory_write_verified(handle, address, data, static_cast<size_t>(length));
}

Status field_compare(int32_t handle, uint16_t address, int16_t expected, int16_t length, const uint8_t* data) {
    if (length != expected) return Status::bad_length;
    return memory_compare(handle, address, data, static_cast<size_t>(length));
}

Status set_mode(int32_t handle, int16_t mode) {
    const uint8_t byte = mode != 0 ? 0xFF : 0x00;
    return memory_write_verified(handle, reader_address::mode_byte, &byte, 1);
}

Status value_read(int32_t handle, int32_t* value) {
    uint8_t image[value_size] = {};
    QL_TRY(memory_read(handle, reader_address::stored_value, image, value_size));
    if (value) *value = load_le32(image);
    return Status::ok;
}

Status value_set(int32_t handle, int32_t value) {
    uint8_t image[value_size];
    store_le32(value, image);
    return memory_write_verified(handle, reader_address::stored_value, image, value_size);
}

Status value_add(int32_t handle, int32_t amount) {
    int32_t old = 0;
    QL_TRY(value_read(handle, &old));
    return value_set(handle, static_cast<int32_t>(static_cast<uint32_t>(old) + static_cast<uint32_t>(amount)));
}

Status value_subtract(int32_t handle, int32_t amount) {
    int32_t old = 0;
    QL_TRY(value_read(handle, &old));
    // Signed 32-bit arithmetic, as the reader keeps the value; a negative result is refused.
    const auto wrapped = static_cast<int32_t>(static_cast<uint32_t>(old) - static_cast<uint32_t>(amount));
    if (wrapped < 0) return Status::value_too_small;
    return value_set(handle, wrapped);
}

}  // namespace quillet
