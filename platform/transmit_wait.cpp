#include "platform/transmit_wait.h"

#include <algorithm>

#include "platform/clock.h"

namespace quillet {

namespace {

bool empty(const TransmitState& state) { return state.queued == 0 && state.shift_register_empty; }

}  // namespace

std::chrono::microseconds character_time(uint32_t baud) {
    return std::chrono::microseconds(10'000'000 / std::max<uint32_t>(baud, 1));
}

std::chrono::microseconds next_look_after(const TransmitState& state, uint32_t baud) {
    const auto one = character_time(baud);
    if (state.queued > 0) return one * state.queued;
    return std::max(one / 4, std::chrono::microseconds(1));
}

bool wait_until_transmitted(TransmitLine& line, uint32_t baud, uint32_t limit_ms) {
    TransmitState state;
    if (!line.look(state)) return false;
    if (empty(state)) return true;
    const Deadline limit(limit_ms);
    for (;;) {
        const auto left = std::chrono::milliseconds(limit.remaining()) + std::chrono::milliseconds(1);
        line.sleep(std::min<std::chrono::microseconds>(next_look_after(state, baud), left));
        if (!line.look(state)) return false;
        if (empty(state)) return true;
        if (limit.expired()) return false;
    }
}

}  // namespace quillet
