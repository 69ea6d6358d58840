// The retry rules of the flash cards (AT45D041, SSF1101). Their readers program slowly and
// sometimes miss a frame or answer "busy" (status byte 0x94), so these families repeat an
// exchange instead of failing it at once: either after a pause of 300 ms, with separate counts for
// transport failures and refusals, or at once, with one count for every kind of failure.
//
// An attempt is one exchange (or, for an SSF1101 write, the announce frame and its data frame) and
// says how it ended; the reply stays with the caller.
#pragma once

#include <cstdint>
#include <span>

#include "link/exchange.h"
#include "platform/clock.h"
#include "core/trace.h"

namespace quillet::flash_retries {

inline constexpr uint32_t pause_ms = 300;
inline constexpr uint8_t busy = 0x94;  // the card is still programming
inline constexpr int at_once_retries = 3;

struct Outcome {
    Status status;         // ok, a transport status, or minus the reply's status byte
    bool refused = false;  // the reply came and its status byte was not 0
    uint8_t status_byte = 0;
};

// Send, receive, and judge the reply's status byte.
Outcome attempt(int32_t handle, const Frame& frame, Wait wait, Reply& reply);
// The same for bytes that are not a command frame.
Outcome attempt(int32_t handle, std::span<const uint8_t> bytes, Wait wait, Reply& reply);

// How many retries follow a pause. Refusals are retried only when `refusals` is not 0, and then
// only the busy answer when busy_only is set; any other refusal ends the call with its status.
struct PausedRetries {
    int transport;
    int refusals;
    bool busy_only;
};

template <typename Attempt>
Status with_pauses(const PausedRetries& rule, Attempt&& try_once) {
    int transport = 0;
    int refusals = 0;
    for (;;) {
        const Outcome o = try_once();
        if (!failed(o.status)) return Status::ok;
        int& used = o.refused ? refusals : transport;
        const int allowed = !o.refused                                   ? rule.transport
                            : (!rule.busy_only || o.status_byte == busy) ? rule.refusals
                                                                         : 0;
        if (used >= allowed) return o.status;
        ++used;
        if (trace::on()) trace::mark(0, "retry after a pause of 300 ms");
        delay_ms(pause_ms);
    }
}

// Sends the same frame again at once after a failure of any kind, up to three times in a row.
template <typename Attempt>
Status at_once(Attempt&& try_once) {
    for (int retries = 0;; ++retries) {
        const Outcome o = try_once();
        if (!failed(o.status) || retries == at_once_retries) return o.status;
        if (trace::on()) trace::mark(0, "retry at once");
    }
}

// A reply buffer for n data bytes: exactly that, and never less than an ordinary reply.
inline Reply reply_for(size_t n) {
    return Reply(frame_overhead + n < Reply::ordinary ? Reply::ordinary : frame_overhead + n);
}

}  // namespace quillet::flash_retries
