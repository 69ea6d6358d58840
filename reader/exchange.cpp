#include "reader/exchange.h"

#include <algorithm>

#include "reader/transport.h"

namespace quillet {

Status send_frame(int32_t handle, const Frame& frame) {
    if (frame.overflowed()) return Status::bad_length;
    return send_bytes(handle, frame.bytes());
}

Status send_bytes(int32_t handle, std::span<const uint8_t> bytes) {
    if (is_parallel(handle)) return parallel_send(bytes);
    const auto port = serial_port(handle);
    // A handle that names no open port fails like a write call on a closed handle.
    if (!port) return Status::write_failed;
    return serial_send(*port, bytes);
}

Status receive_reply(int32_t handle, Wait wait, Reply& reply) {
    if (is_parallel(handle)) return parallel_receive(link_kind(handle), wait, reply);
    const auto port = serial_port(handle);
    if (!port) return Status::read_failed;
    return serial_receive(*port, wait, reply);
}

Status exchange(int32_t handle, const Frame& frame, Wait wait, Reply& reply) {
    if (Status s = send_frame(handle, frame); failed(s)) return s;
    if (Status s = receive_reply(handle, wait, reply); failed(s)) return s;
    return reply.status_byte() == 0 ? Status::ok : reader_status(reply.status_byte());
}

Status read_data(int32_t handle, const Frame& frame, Wait wait, uint8_t* out, size_t wanted) {
    if (wanted > Reply::max_capacity - frame_overhead) return Status::bad_length;
    Reply reply(std::max(Reply::ordinary, frame_overhead + wanted));
    if (Status s = exchange(handle, frame, wait, reply); failed(s)) return s;
    return take_data(reply, out, wanted);
}

Status take_data(const Reply& reply, uint8_t* out, size_t wanted) {
    if (reply.data().size() < wanted) return Status::read_failed;
    reply.copy_data(out, wanted);
    return Status::ok;
}

}  // namespace quillet
