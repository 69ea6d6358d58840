// Reply reception fed with arbitrary reader output: never reads or writes past the reply buffer.
#include <cstddef>
#include <cstdint>

#include "link/frame.h"
#include "link/reception.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    // The first byte picks the buffer's capacity, the rest is what the reader sends.
    quillet::Reply reply(static_cast<size_t>(data[0]) * 5);
    size_t next = 1;
    const quillet::Status s = quillet::receive_frame(reply, [&](uint8_t& byte, bool) {
        if (next >= size) return quillet::Status::timeout;
        byte = data[next++];
        return quillet::Status::ok;
    });
    if (reply.received() > reply.capacity()) __builtin_trap();
    if (s == quillet::Status::ok && quillet::bcc(reply.bytes()) != 0) __builtin_trap();
    return 0;
}
