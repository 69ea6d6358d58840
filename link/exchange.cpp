#include "link/exchange.h"

#include <algorithm>
#include <string>

#include "core/trace.h"
#include "link/transport.h"

namespace quillet {

Status send_frame(int32_t handle, const Frame& frame) {
    if (frame.overflowed()) return Status::bad_length;
    return send_bytes(handle, frame.bytes());
}

namespace {

Status send_on_link(int32_t handle, std::span<const uint8_t> bytes) {
    if (is_parallel(handle)) return parallel_send(bytes);
    const auto port = serial_port(handle);
    // A handle that names no open port fails like a write call on a closed handle.
    if (!port) return Status::write_failed;
    return serial_send(*port, bytes);
}

Status receive_on_link(int32_t handle, Wait wait, Reply& reply, Discarded& discarded) {
    if (is_parallel(handle)) return parallel_receive(link_kind(handle), wait, reply);
    const auto port = serial_port(handle);
    if (!port) return Status::read_failed;
    return serial_receive(*port, wait, reply, discarded);
}

void trace_reception(int32_t handle, Status s, const Reply& reply, const Discarded& discarded) {
    if (reply.received() > 0) trace::frame(handle, '<', reply.bytes());
    if (failed(s)) {
        const std::string_view name = describe(s).name;
        const size_t got = reply.received();
        trace::mark(handle, std::string(name) + (got ? " after " + std::to_string(got) + " bytes" : ", nothing received"));
    }
    if (discarded.count > 0) {
        static constexpr char digits[] = "0123456789ABCDEF";
        std::string text = "discarded " + std::to_string(discarded.count) + " bytes:";
        for (size_t i = 0; i < discarded.kept(); ++i)
            text += {' ', digits[discarded.first[i] >> 4], digits[discarded.first[i] & 0x0F]};
        if (discarded.kept() < discarded.count) text += " ...";
        trace::mark(handle, text);
    }
}

}  // namespace

Status send_bytes(int32_t handle, std::span<const uint8_t> bytes) {
    const Status s = send_on_link(handle, bytes);
    if (trace::on()) [[unlikely]] {
        trace::frame(handle, '>', bytes);
        if (failed(s)) trace::mark(handle, std::string(describe(s).name) + " while sending");
    }
    return s;
}

Status receive_reply(int32_t handle, Wait wait, Reply& reply) {
    Discarded discarded;
    const Status s = receive_on_link(handle, wait, reply, discarded);
    if (trace::on()) [[unlikely]]
        trace_reception(handle, s, reply, discarded);
    return s;
}

Status exchange(int32_t handle, const Frame& frame, Wait wait, Reply& reply) {
    QL_TRY(send_frame(handle, frame));
    QL_TRY(receive_reply(handle, wait, reply));
    return reply.status_byte() == 0 ? Status::ok : reader_status(reply.status_byte());
}

Status read_data(int32_t handle, const Frame& frame, Wait wait, uint8_t* out, size_t wanted) {
    if (wanted > Reply::max_capacity - frame_overhead) return Status::bad_length;
    Reply reply(std::max(Reply::ordinary, frame_overhead + wanted));
    QL_TRY(exchange(handle, frame, wait, reply));
    return take_data(reply, out, wanted);
}

Status take_data(const Reply& reply, uint8_t* out, size_t wanted) {
    if (reply.data().size() < wanted) return Status::read_failed;
    reply.copy_data(out, wanted);
    return Status::ok;
}

}  // namespace quillet
