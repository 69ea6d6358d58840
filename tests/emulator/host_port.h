// The host side of the pseudo-terminal for the reader's own tests: plain termios on the slave,
// as a serial port driver would do it, without any library code.
#pragma once

#include <cstdint>
#include <string>

#include "emulator/core/bytes.h"

namespace vreader::testing {

class HostPort {
public:
    HostPort(const std::string& path, uint32_t baud);  // raw 8N1 at the rate (any rate, 28800 too)
    ~HostPort();
    HostPort(const HostPort&) = delete;
    HostPort& operator=(const HostPort&) = delete;

    bool is_open() const { return fd_ >= 0; }
    bool set_baud(uint32_t baud);
    void close();

    // Purges, sends the frame and collects the reply: stops when a whole reply frame (by its
    // length field) has come, or when nothing comes for quiet_ms.
    Bytes exchange(const Bytes& frame, int quiet_ms = 300);
    // Everything that arrives until the line stays quiet for quiet_ms.
    Bytes collect(int quiet_ms, size_t limit = 1 << 16);

private:
    int fd_ = -1;
};

}  // namespace vreader::testing
