// Line pacing (quillet-vreader --pace): the reader answers only once the command frame would have
// arrived at the line's rate, and its reply leaves byte by byte at the real byte time (10 bits a
// byte: start bit, 8 data bits, stop bit). A pseudo-terminal carries bytes at once whatever the
// rate, so without pacing a host sees no transfer time at all; with it a 256-byte read at 9600
// baud takes about 0.3 s, as on a real line. Off, every reply goes out whole when it is due.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vreader {

class LinePacing {
public:
    using Millis = uint64_t;  // the link's steady clock

    void enable(bool on) { on_ = on; }
    bool enabled() const { return on_; }

    // When a frame of frame_bytes whose last byte came in at `received` would have arrived whole.
    Millis frame_arrival(Millis received, size_t frame_bytes, uint32_t baud) const;
    // A reply starts going out at `start` on a line at baud.
    void begin(Millis start, uint32_t baud);
    // How many of the reply's total bytes are on the line by t (all of them from the start when
    // pacing is off).
    size_t due(size_t total, Millis t) const;
    // When byte number `sent` (counted from 0) of the reply is due.
    Millis next_due(size_t sent) const;

private:
    bool on_ = false;
    Millis start_ = 0;
    uint32_t baud_ = 9600;
};

}  // namespace vreader
