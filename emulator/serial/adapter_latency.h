// A USB serial adapter between the reader and the host (quillet-vreader --latency MS): the
// adapter collects what the reader sends and hands it to the host when its latency timer runs
// out, every MS milliseconds, so a reply reaches the host in bursts on a grid of MS ms (the steady
// clock's, free-running); even a short reply waits for the next tick. Off, every byte reaches the host when it is on the line. Only the
// direction reader to host is held: the host's bytes go out at once, as an adapter's do.
#pragma once

#include <cstdint>

namespace vreader {

class AdapterLatency {
public:
    using Millis = uint64_t;  // the link's steady clock

    static constexpr uint32_t shortest_ms = 1;
    static constexpr uint32_t longest_ms = 16;  // what most adapters' timers default to

    void set(uint32_t period_ms) { period_ = period_ms; }
    uint32_t period_ms() const { return period_; }

    // What was on the line before the last hand-over at or before t is with the host at t: the
    // bytes due by the returned time (t itself when off).
    Millis handed_over_by(Millis t) const { return period_ ? t - t % period_ - 1 : t; }
    // When a byte on the line at t reaches the host: the first hand-over after t.
    Millis reaches_host(Millis t) const { return period_ ? (t / period_ + 1) * period_ : t; }

private:
    uint32_t period_ = 0;
};

}  // namespace vreader
