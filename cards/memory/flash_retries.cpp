#include "cards/memory/flash_retries.h"

namespace quillet::flash_retries {

namespace {

Outcome judge(Status sent, int32_t handle, Wait wait, Reply& reply) {
    if (failed(sent)) return {sent};
    if (Status s = receive_reply(handle, wait, reply); failed(s)) return {s};
    const uint8_t b = reply.status_byte();
    if (b == 0) return {Status::ok};
    return {reader_status(b), true, b};
}

}  // namespace

Outcome attempt(int32_t handle, const Frame& frame, Wait wait, Reply& reply) {
    return judge(send_frame(handle, frame), handle, wait, reply);
}

Outcome attempt(int32_t handle, std::span<const uint8_t> bytes, Wait wait, Reply& reply) {
    return judge(send_bytes(handle, bytes), handle, wait, reply);
}

}  // namespace quillet::flash_retries
