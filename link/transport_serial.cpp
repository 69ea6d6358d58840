#include "platform/clock.h"
#include "link/reception.h"
#include "link/transport.h"

namespace quillet {

Status serial_send(SerialPort& port, std::span<const uint8_t> bytes) {
    // Whatever an earlier, failed exchange left behind never reaches this one's reply.
    port.purge();
    for (uint8_t b : bytes) {
        if (!port.write_byte(b)) return Status::write_failed;
        // Bounded by the write time-out. Its result is not looked at: the byte was taken by the
        // write call, and a port that stops taking bytes fails a later one.
        port.wait_transmit_empty();
    }
    return Status::ok;
}

namespace {

Status receive_byte(SerialPort& port, uint32_t limit_ms, uint8_t& byte) {
    const Deadline limit(limit_ms);
    for (;;) {
        size_t got = 0;
        if (port.read(&byte, 1, got) == ReadResult::failed) return Status::read_failed;
        if (got == 1) return Status::ok;
        if (limit.expired()) return Status::timeout;
    }
}

// One read call for exactly count bytes, ended by the port's own read time-outs; received counts
// what arrived.
Status read_exactly(SerialPort& port, uint8_t* into, size_t count, size_t& received) {
    size_t got = 0;
    if (port.read(into, count, got) == ReadResult::failed) return Status::read_failed;
    received += got;
    return got == count ? Status::ok : Status::timeout;
}

Status receive_block(SerialPort& port, Reply& reply) {
    const auto buffer = reply.storage();
    size_t received = 0;
    reply.set_received(0);
    const Status header = read_exactly(port, buffer.data(), frame_header, received);
    reply.set_received(received);
    if (failed(header)) return header;
    if (buffer[0] != reply_lead) return Status::bad_lead;
    const size_t rest = reply.data_length() + 1u;
    if (frame_header + rest > buffer.size()) return Status::reply_too_long;
    const Status body = read_exactly(port, buffer.data() + frame_header, rest, received);
    reply.set_received(received);
    if (failed(body)) return body;
    return bcc(reply.bytes()) == 0 ? Status::ok : Status::bad_bcc;
}

// After a failed reception the line may still carry the rest of the bad reply: the tail of an
// oversized one, or of any reply from a reader that sends slowly. Read and discard until the line
// has been quiet for the inter-byte limit, for at most drain_ms, so that the next exchange does
// not take that tail for its own reply. (A whole reply that comes later than that cannot be told
// from the next exchange's: frames carry no sequence number.)
void discard_rest_of_reply(SerialPort& port, Discarded& discarded) {
    const Deadline limit(limits::drain_ms);
    uint8_t byte = 0;
    while (!limit.expired()) {
        if (failed(receive_byte(port, limits::serial_later_byte_ms, byte))) return;
        discarded.add(byte);
    }
}

}  // namespace

Status serial_receive(SerialPort& port, Wait wait, Reply& reply, Discarded& discarded) {
    const uint32_t first = wait == Wait::long_ ? limits::long_first_byte_ms : limits::serial_first_byte_ms;
    const Status s = wait == Wait::block ? receive_block(port, reply)
                                         : receive_frame(reply, [&](uint8_t& byte, bool is_first) {
                                               return receive_byte(port, is_first ? first : limits::serial_later_byte_ms, byte);
                                           });
    // A reception that saw no byte at all found the line quiet; one whose read call failed has no
    // line to drain.
    if (failed(s) && s != Status::read_failed && reply.received() > 0) discard_rest_of_reply(port, discarded);
    return s;
}

}  // namespace quillet
