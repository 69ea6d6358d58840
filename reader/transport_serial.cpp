#include "reader/platform/clock.h"
#include "reader/reception.h"
#include "reader/transport.h"

namespace quillet {

Status serial_send(SerialPort& port, std::span<const uint8_t> bytes) {
    // Whatever an earlier, failed exchange left behind never reaches this one's reply.
    port.purge();
    for (uint8_t b : bytes) {
        if (!port.write_byte(b)) return Status::write_failed;
        port.wait_transmit_empty();
    }
    return Status::ok;
}

namespace {

Status receive_byte(SerialPort& port, uint32_t limit_ms, uint8_t& byte) {
    Deadline limit(limit_ms);
    for (;;) {
        size_t got = 0;
        if (port.read(&byte, 1, got) == ReadResult::failed) return Status::read_failed;
        if (got == 1) return Status::ok;
        if (limit.expired()) return Status::timeout;
    }
}

// One read call for exactly count bytes, ended by the port's own read time-outs.
Status read_exactly(SerialPort& port, uint8_t* into, size_t count) {
    size_t got = 0;
    if (port.read(into, count, got) == ReadResult::failed) return Status::read_failed;
    return got == count ? Status::ok : Status::timeout;
}

Status receive_block(SerialPort& port, Reply& reply) {
    const auto buffer = reply.storage();
    reply.set_received(0);
    if (Status s = read_exactly(port, buffer.data(), frame_header); failed(s)) return s;
    reply.set_received(frame_header);
    if (buffer[0] != reply_lead) return Status::bad_lead;
    const size_t rest = reply.data_length() + 1u;
    if (frame_header + rest > buffer.size()) return Status::reply_too_long;
    if (Status s = read_exactly(port, buffer.data() + frame_header, rest); failed(s)) return s;
    reply.set_received(frame_header + rest);
    return bcc(reply.bytes()) == 0 ? Status::ok : Status::bad_bcc;
}

}  // namespace

Status serial_receive(SerialPort& port, Wait wait, Reply& reply) {
    if (wait == Wait::block) return receive_block(port, reply);
    const uint32_t first = wait == Wait::long_ ? limits::long_first_byte_ms : limits::serial_first_byte_ms;
    return receive_frame(reply, [&](uint8_t& byte, bool is_first) {
        return receive_byte(port, is_first ? first : limits::serial_later_byte_ms, byte);
    });
}

}  // namespace quillet
