#include "cards/memory/sle_frames.h"

#include <algorithm>
#include <bit>

#include "core/checks.h"

namespace quillet::sle_frames {

namespace {
constexpr uint8_t read_error_counter = 0x67;
}

Frame addressed(uint8_t command, uint8_t card_type, uint16_t address) {
    Frame f(command);
    f.type(card_type).zero(2).be16(address);
    return f;
}

Status read(int32_t handle, uint8_t command, uint8_t card_type, uint16_t address, uint16_t count,
            uint8_t* out, size_t wanted) {
    Frame f = addressed(command, card_type, address);
    f.be16(count);
    return read_data(handle, f, Wait::normal, out, wanted);
}

Status write(int32_t handle, uint8_t command, uint8_t card_type, uint16_t address, const uint8_t* data,
             size_t n) {
    Frame f = addressed(command, card_type, address);
    f.data(data, n);
    Reply reply;
    return exchange(handle, f, Wait::normal, reply);
}

Status error_counter(int32_t handle, uint8_t card_type, uint16_t count_field, int16_t* count) {
    uint8_t counter = 0;
    QL_TRY(read(handle, read_error_counter, card_type, 0, count_field, &counter, 1));
    *count = static_cast<int16_t>(std::popcount(counter));
    return Status::ok;
}

Status range_checks(int memory_size, int16_t offset, int16_t length) {
    return first_failure({
        {offset >= 0 && offset < memory_size, Status::bad_address},
        {length >= 1, Status::bad_length},
        {length <= memory_size - offset, Status::bad_length},
    });
}

Status read_range(int32_t handle, uint8_t command, uint8_t card_type, int memory_size, int16_t offset,
                  int16_t length, uint8_t* buffer) {
    QL_TRY(range_checks(memory_size, offset, length));
    return read(handle, command, card_type, static_cast<uint16_t>(offset), static_cast<uint16_t>(length), buffer,
                static_cast<size_t>(length));
}

Status write_range(int32_t handle, uint8_t command, uint8_t card_type, int memory_size, int16_t offset,
                   int16_t length, const uint8_t* data) {
    QL_TRY(range_checks(memory_size, offset, length));
    return write(handle, command, card_type, static_cast<uint16_t>(offset), data, static_cast<size_t>(length));
}

}  // namespace quillet::sle_frames
