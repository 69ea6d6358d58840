#include "reader/reader_commands.h"

#include <algorithm>
#include <string>

#include "core/process_state.h"
#include "core/trace.h"

namespace quillet {

Frame reader_frame(uint8_t command) {
    Frame f(command);
    f.type(reader_card_type).zero(4);
    return f;
}

Status memory_read(int32_t handle, uint16_t address, uint8_t* out, size_t count) {
    Frame f(reader_command::memory_read);
    f.type(reader_card_type).zero(2).be16(address).be16(static_cast<uint16_t>(count));
    return read_data(handle, f, Wait::normal, out, count);
}

namespace {
Status memory_frame(int32_t handle, uint8_t command, uint16_t address, const uint8_t* data, size_t count) {
    Frame f(command);
    f.type(reader_card_type).zero(2).be16(address).data(data, count);
    Reply reply;
    return exchange(handle, f, Wait::normal, reply);
}
}  // namespace

Status memory_write(int32_t handle, uint16_t address, const uint8_t* data, size_t count) {
    return memory_frame(handle, reader_command::memory_write, address, data, count);
}

Status memory_compare(int32_t handle, uint16_t address, const uint8_t* data, size_t count) {
    return memory_frame(handle, reader_command::memory_compare, address, data, count);
}

Status memory_write_verified(int32_t handle, uint16_t address, const uint8_t* data, size_t count) {
    QL_TRY(memory_write(handle, address, data, count));
    uint8_t back[16] = {};
    const size_t n = std::min(count, sizeof back);
    QL_TRY(memory_read(handle, address, back, n));
    return std::equal(back, back + n, data) ? Status::ok : Status::write_failed;
}

Status write_link_byte(int32_t handle, uint8_t value) {
    Frame f(reader_command::link_byte);
    f.type(reader_card_type).zero(4).byte(value);
    Reply reply;
    return exchange(handle, f, Wait::normal, reply);
}

Status simple_service(int32_t handle, uint8_t command) {
    Reply reply;
    return exchange(handle, reader_frame(command), Wait::normal, reply);
}

namespace {
constexpr bool means_empty_reader(uint8_t status_byte) { return status_byte == 0x86 || status_byte == 0x89; }
}  // namespace

Status query_card_state(int32_t handle, int attempts, uint8_t& state) {
    const Frame query = reader_frame(reader_command::card_present);
    for (int attempt = 1;; ++attempt) {
        const bool last = attempt >= attempts;
        Reply reply;
        Status s = send_frame(handle, query);
        if (!failed(s)) s = receive_reply(handle, Wait::normal, reply);
        if (!failed(s)) {
            if (means_empty_reader(reply.status_byte())) {
                state = 0;
                return Status::ok;
            }
            if (reply.status_byte() == 0) {
                state = reply.data_byte(0);
                return Status::ok;
            }
            s = reader_status(reply.status_byte());
        }
        if (last) return s;
        if (trace::on()) trace::mark(handle, "retry " + std::to_string(attempt));
    }
}

Status read_version(int32_t handle, int16_t length, uint8_t* out) {
    if (length != 10 && length != 18) return Status::bad_length;
    Frame f(reader_command::version);
    f.type(reader_card_type).zero(2).be16(0).be16(static_cast<uint16_t>(length));
    Reply reply;
    QL_TRY(exchange(handle, f, Wait::normal, reply));
    const size_t announced = reply.status_byte() == 0 ? reply.bytes()[3] : 0;
    reply.copy_data(out, std::min<size_t>(static_cast<size_t>(length), announced));
    // The buffer holds at least 10 bytes; what it starts with identifies the extended reader.
    static constexpr uint8_t noblu[] = {'N', 'O', 'B', 'L', 'U'};
    if (std::equal(noblu, noblu + 5, out)) process_state().extended_reader = true;
    return Status::ok;
}

}  // namespace quillet
