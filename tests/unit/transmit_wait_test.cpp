// The transmit-empty wait against a simulated driver on a simulated clock: how soon it notices
// the line empty, how often it asks, and that it gives up at its limit.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>

#include "platform/clock.h"
#include "platform/transmit_wait.h"

namespace {

using std::chrono::microseconds;

// A UART that started sending `queued` bytes at time 0: each leaves the queue for the shift
// register and is on the line one character time later. Sleeps and the clock run on simulated
// microseconds.
class SimulatedUart final : public quillet::TransmitLine, public quillet::Clock {
public:
    SimulatedUart(uint32_t baud, uint32_t queued, bool moves = true) : baud_(baud), queued_(queued), moves_(moves) {
        quillet::install_clock(this);
    }
    ~SimulatedUart() override { quillet::install_clock(nullptr); }

    bool look(quillet::TransmitState& state) override {
        ++looks;
        if (fails) return false;
        const auto character = quillet::character_time(baud_).count();
        const int64_t sent = moves_ ? now_us / character : 0;  // bytes wholly on the line
        const int64_t left = static_cast<int64_t>(queued_) - sent;  // the one being shifted out included
        state.queued = static_cast<uint32_t>(left > 1 ? left - 1 : 0);
        state.shift_register_empty = left <= 0;
        return true;
    }
    void sleep(microseconds time) override {
        ASSERT_GT(time.count(), 0) << "a sleep of nothing spins";
        now_us += time.count();
    }
    uint32_t now_ms() override { return static_cast<uint32_t>(now_us / 1000); }
    void pause_ms(uint32_t ms) override { now_us += int64_t{ms} * 1000; }

    int64_t empty_at_us() const { return int64_t{queued_} * quillet::character_time(baud_).count(); }

    int64_t now_us = 0;
    int looks = 0;
    bool fails = false;

private:
    uint32_t baud_;
    uint32_t queued_;
    bool moves_;
};

TEST(TransmitWait, AnEmptyLineCostsOneLookAndNoSleep) {
    SimulatedUart uart(115200, 0);
    EXPECT_TRUE(quillet::wait_until_transmitted(uart, 115200, 200));
    EXPECT_EQ(uart.looks, 1);
    EXPECT_EQ(uart.now_us, 0);
}

TEST(TransmitWait, NoticesTheEmptyShiftRegisterWithinAFractionOfACharacter) {
    for (const uint32_t baud : {1200u, 9600u, 115200u}) {
        for (const uint32_t queued : {1u, 2u, 16u}) {
            SCOPED_TRACE(std::to_string(baud) + " baud, " + std::to_string(queued) + " bytes");
            SimulatedUart uart(baud, queued);
            ASSERT_TRUE(quillet::wait_until_transmitted(uart, baud, 2000));
            const int64_t late = uart.now_us - uart.empty_at_us();
            EXPECT_GE(late, 0) << "returned before the last byte left";
            EXPECT_LE(late, quillet::character_time(baud).count() / 4);
            // One sleep covers the queue; the shift register takes a few quarter-character looks.
            EXPECT_LE(uart.looks, 7);
        }
    }
}

TEST(TransmitWait, ALineThatDoesNotMoveEndsAtTheLimit) {
    SimulatedUart uart(9600, 3, false);
    EXPECT_FALSE(quillet::wait_until_transmitted(uart, 9600, 200));
    EXPECT_GT(uart.now_us, 200'000);
    EXPECT_LE(uart.now_us, 202'000);
    // Asleep in steps of the queue's time, not looking without pause.
    EXPECT_LE(uart.looks, 200'000 / (2 * 1041) + 2);
}

TEST(TransmitWait, AFailedLookEndsTheWait) {
    SimulatedUart uart(9600, 3);
    uart.fails = true;
    EXPECT_FALSE(quillet::wait_until_transmitted(uart, 9600, 200));
    EXPECT_EQ(uart.looks, 1);
}

}  // namespace
