// Waiting for the transmitter to be empty: the output queue drained and, where the driver can
// tell, the last byte shifted out. The wait looks before it sleeps, so a line that is already
// empty costs one look; otherwise it sleeps as long as the bytes still queued take on the line,
// and once only the shift register is busy, a quarter of a character time between looks. It ends
// at the write time-out on a line that does not move.
#pragma once

#include <chrono>
#include <cstdint>

namespace quillet {

struct TransmitState {
    uint32_t queued = 0;              // bytes in the driver's output queue
    bool shift_register_empty = true;  // true also when the driver cannot tell
};

class TransmitLine {
public:
    virtual ~TransmitLine() = default;
    // What the driver reports now; false when it cannot be asked (the port is gone).
    virtual bool look(TransmitState& state) = 0;
    // Lets at least this long pass (a signal does not shorten it).
    virtual void sleep(std::chrono::microseconds time) = 0;
};

// One character (10 bits) at the rate.
std::chrono::microseconds character_time(uint32_t baud);

// How long to sleep before the next look, given what the last look saw.
std::chrono::microseconds next_look_after(const TransmitState& state, uint32_t baud);

// True once the transmitter is empty; false when a look fails or limit_ms passes first.
bool wait_until_transmitted(TransmitLine& line, uint32_t baud, uint32_t limit_ms);

}  // namespace quillet
