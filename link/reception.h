// Reply reception, common to every link: byte 0 with the first-byte limit, then the header, then
// the announced data and the BCC. The reply buffer's capacity bounds what is read.
#pragma once

#include "link/frame.h"
#include "core/status.h"

namespace quillet {

// receive(byte, first) fetches one byte; first is true for byte 0 of the reply.
template <typename ReceiveByte>
Status receive_frame(Reply& reply, ReceiveByte&& receive) {
    const auto buffer = reply.storage();
    reply.set_received(0);
    auto fetch = [&](size_t index) {
        uint8_t byte = 0;
        QL_TRY(receive(byte, index == 0));
        buffer[index] = byte;
        reply.set_received(index + 1);
        return Status::ok;
    };
    QL_TRY(fetch(0));
    if (buffer[0] != reply_lead) return Status::bad_lead;
    for (size_t i = 1; i < frame_header; ++i)
        QL_TRY(fetch(i));
    const size_t total = reply.data_length() + frame_overhead;
    if (total > buffer.size()) return Status::reply_too_long;
    for (size_t i = frame_header; i < total; ++i)
        QL_TRY(fetch(i));
    return bcc(reply.bytes()) == 0 ? Status::ok : Status::bad_bcc;
}

}  // namespace quillet
