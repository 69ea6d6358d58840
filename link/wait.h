// How long a reception waits for a reply: the exchange chooses, the transports carry it out.
#pragma once

namespace quillet {

enum class Wait {
    normal,  // first byte within 2000 ms (serial) or 3000 ms (parallel), later bytes 200 / 800 ms
    long_,   // first byte within 8000 ms on every link
    block,   // serial: header and rest in two read calls on the port's own time-outs; parallel: normal
};

}  // namespace quillet
