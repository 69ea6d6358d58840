#include "tests/emulator/host_port.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>

#include "platform/raw_line.h"

namespace vreader::testing {

HostPort::HostPort(const std::string& path, uint32_t baud) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ >= 0 && !set_baud(baud)) close();
}

HostPort::~HostPort() { close(); }

void HostPort::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool HostPort::set_baud(uint32_t baud) { return quillet::set_raw_line(fd_, baud, quillet::LineReads::never_block); }

Bytes HostPort::collect(int quiet_ms, size_t limit) {
    Bytes got;
    while (got.size() < limit) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, quiet_ms) <= 0) break;
        uint8_t buffer[512];
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n <= 0) break;
        got.insert(got.end(), buffer, buffer + n);
    }
    return got;
}

namespace {

uint64_t steady_ms() {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

Bytes HostPort::exchange(const Bytes& frame, int quiet_ms) {
    ::tcflush(fd_, TCIOFLUSH);
    arrivals_.clear();
    if (::write(fd_, frame.data(), frame.size()) != static_cast<ssize_t>(frame.size())) return {};
    sent_ms_ = steady_ms();
    Bytes got;
    for (;;) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, quiet_ms) <= 0) return got;
        uint8_t buffer[512];
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n <= 0) return got;
        arrivals_.push_back({steady_ms(), static_cast<size_t>(n)});
        got.insert(got.end(), buffer, buffer + n);
        if (got.size() >= 4 && got.size() >= 5u + be16(got[2], got[3])) return got;
    }
}

}  // namespace vreader::testing
