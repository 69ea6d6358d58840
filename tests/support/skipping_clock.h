// The real millisecond clock, except that pauses pass at once: a pause the library takes
// (delay_ms) is added to the clock's reading instead of waited for, and summed up. Time-outs still
// run on real time; the 300 ms pauses between retries cost nothing and can be counted exactly.
// Installed into the library for the object's lifetime.
//
//   EXPECT_EQ(quillet::test::paused_during([&] { EXPECT_EQ(swr_45d041(...), 0); }), 300u);
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

#include "platform/clock.h"

namespace quillet::test {

class SkippingClock final : public quillet::Clock {
public:
    SkippingClock() { quillet::install_clock(this); }
    ~SkippingClock() override { quillet::install_clock(nullptr); }
    SkippingClock(const SkippingClock&) = delete;
    SkippingClock& operator=(const SkippingClock&) = delete;

    uint32_t now_ms() override {
        using namespace std::chrono;
        return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count()) +
               paused_;
    }
    void pause_ms(uint32_t ms) override { paused_ += ms; }

    uint32_t paused_ms() const { return paused_; }

private:
    uint32_t paused_ = 0;
};

// Milliseconds of pauses the library took during the call, which ran on a SkippingClock.
inline uint32_t paused_during(const std::function<void()>& call) {
    SkippingClock clock;
    call();
    return clock.paused_ms();
}

}  // namespace quillet::test
