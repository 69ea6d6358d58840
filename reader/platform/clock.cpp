#include "reader/platform/clock.h"

#include <chrono>
#include <thread>

namespace quillet {

namespace {

class SteadyClock final : public Clock {
public:
    uint32_t now_ms() override {
        using namespace std::chrono;
        return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
    void pause_ms(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

SteadyClock steady;
Clock* installed = nullptr;

}  // namespace

Clock& clock() { return installed ? *installed : steady; }

void install_clock(Clock* c) { installed = c; }

// The wait ends on the tick counter, as every wait of the link does; the thread sleeps between
// looks instead of spinning, which changes nothing a caller can observe but the CPU load.
void delay_ms(uint32_t ms) {
    const uint32_t start = clock().now_ms();
    for (;;) {
        const uint32_t passed = clock().now_ms() - start;
        if (passed >= ms) return;
        clock().pause_ms(ms - passed);
    }
}

}  // namespace quillet
