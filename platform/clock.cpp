#include "platform/clock.h"

#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <chrono>
#include <thread>
#endif

namespace quillet {

namespace {

#if defined(_WIN32)
// The system's millisecond tick counter; it wraps after 49.7 days like every tick difference here.
class SteadyClock final : public Clock {
public:
    uint32_t now_ms() override { return GetTickCount(); }
    void pause_ms(uint32_t ms) override { Sleep(ms); }
};
#else
class SteadyClock final : public Clock {
public:
    uint32_t now_ms() override {
        using namespace std::chrono;
        return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
    void pause_ms(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};
#endif

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
