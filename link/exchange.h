// The standard exchange every command follows: send one command frame over the link that the
// port handle names, wait for one reply frame, check it, and turn its status byte into a Status.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "core/status.h"
#include "link/frame.h"
#include "link/wait.h"

namespace quillet {

// Frame send: a non-zero transport status, or ok.
Status send_frame(int32_t handle, const Frame& frame);
// Sends bytes that are not a command frame (the data frame that follows an SSF1101 write announce).
Status send_bytes(int32_t handle, std::span<const uint8_t> bytes);
// Reply reception into reply with the given wait; transport status, bad_lead, bad_bcc,
// reply_too_long, or ok. The status byte is not interpreted.
Status receive_reply(int32_t handle, Wait wait, Reply& reply);
// Send, receive, and map a non-zero reply status byte s to -s.
Status exchange(int32_t handle, const Frame& frame, Wait wait, Reply& reply);

// The checked read every family and reader service uses: exchange, then copy the reply's first
// `wanted` data bytes to out. A successful reply carrying fewer than `wanted` data bytes is
// read_failed and leaves out untouched, so stale bytes are never passed off as read. The reply
// buffer holds exactly what is wanted (at least an ordinary reply); a longer announcement is
// reply_too_long with nothing written past it.
Status read_data(int32_t handle, const Frame& frame, Wait wait, uint8_t* out, size_t wanted);
// read_data's second half, for families that retry or compare replies before taking the data:
// copies the reply's first `wanted` data bytes to out, or is read_failed (out untouched) when the
// reply carries fewer.
Status take_data(const Reply& reply, uint8_t* out, size_t wanted);

}  // namespace quillet
