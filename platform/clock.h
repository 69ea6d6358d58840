// The millisecond tick counter behind every wait and time-out, injectable so that tests of the
// parallel links can run their 800 ms and 8 s limits on a simulated clock.
#pragma once

#include <cstdint>

namespace quillet {

class Clock {
public:
    virtual ~Clock() = default;
    virtual uint32_t now_ms() = 0;             // wraps like the platform's tick counter
    virtual void pause_ms(uint32_t ms) = 0;    // lets at least ms pass
};

Clock& clock();                 // the process's clock: the real one unless a test installed another
void install_clock(Clock* c);   // nullptr restores the real clock

// A time limit measured on the process clock. A limit is exceeded when the tick difference is
// greater than the limit (a limit of 800 allows a difference of exactly 800).
class Deadline {
public:
    explicit Deadline(uint32_t limit_ms) : start_(clock().now_ms()), limit_(limit_ms) {}
    bool expired() const { return elapsed() > limit_; }
    uint32_t elapsed() const { return clock().now_ms() - start_; }
    uint32_t remaining() const { return expired() ? 0 : limit_ - elapsed(); }

private:
    uint32_t start_;
    uint32_t limit_;
};

// Waits until at least ms milliseconds have passed on the process clock.
void delay_ms(uint32_t ms);

}  // namespace quillet
