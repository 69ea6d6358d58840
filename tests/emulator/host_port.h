// The host side of the pseudo-terminal for the reader's own tests: plain termios on the slave,
// as a serial port driver would do it, without any library code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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
    // When each piece of the last exchange's reply arrived: sent (the frame written) and each
    // read, on the steady clock in milliseconds, which every process on the machine shares.
    struct Arrival {
        uint64_t at_ms;
        size_t bytes;
    };
    uint64_t sent_ms() const { return sent_ms_; }
    const std::vector<Arrival>& arrivals() const { return arrivals_; }
    // Everything that arrives until the line stays quiet for quiet_ms.
    Bytes collect(int quiet_ms, size_t limit = 1 << 16);

private:
    int fd_ = -1;
    uint64_t sent_ms_ = 0;
    std::vector<Arrival> arrivals_;
};

}  // namespace vreader::testing
