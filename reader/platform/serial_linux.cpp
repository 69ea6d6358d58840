// The serial port on Linux. The kernel's termios2 interface sets any of the nine reader rates,
// 28800 included, through its arbitrary-rate field; the Windows read and write time-outs are
// emulated with poll(), so a waiting read sleeps instead of spinning.
#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include "reader/platform/clock.h"
#include "reader/platform/device_names.h"
#include "reader/platform/serial_port.h"

// <sys/ioctl.h> clashes with the kernel's termios2 definitions; the call itself is all we need.
extern "C" int ioctl(int fd, unsigned long request, ...);

namespace quillet {

namespace {

bool apply_line_settings(int fd, uint32_t baud) {
    termios2 tio{};
    if (ioctl(fd, TCGETS2, &tio) != 0) return false;
    // Binary 8N1, no software flow control in either direction, no line editing or translation.
    tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY | INPCK);
    tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    tio.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= CS8 | CREAD | CLOCAL | BOTHER | (BOTHER << IBSHIFT);
    tio.c_ispeed = baud;
    tio.c_ospeed = baud;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    return ioctl(fd, TCSETS2, &tio) == 0;
}

int poll_for(int fd, short events, uint32_t ms) {
    pollfd p{fd, events, 0};
    for (;;) {
        const int r = ::poll(&p, 1, static_cast<int>(ms));
        if (r < 0 && errno == EINTR) continue;
        if (r > 0 && (p.revents & (POLLERR | POLLNVAL))) return -1;
        return r;
    }
}

class LinuxSerialPort final : public SerialPort {
public:
    LinuxSerialPort(int fd, const SerialTimeouts& timeouts) : fd_(fd), timeouts_(timeouts) {}
    ~LinuxSerialPort() override { close(); }

    bool write_byte(uint8_t byte) override {
        Deadline limit(timeouts_.write_total_per_byte_ms + timeouts_.write_total_constant_ms);
        for (;;) {
            const ssize_t n = ::write(fd_, &byte, 1);
            if (n == 1) return true;
            if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
            if (limit.expired() || poll_for(fd_, POLLOUT, limit.remaining() + 1) < 0) return false;
        }
    }

    bool wait_transmit_empty() override { return ioctl(fd_, TCSBRK, 1) == 0; }

    // A read call as the reader link sees it: up to count bytes within the read time-outs. Bytes
    // that arrived beyond the count wait in the port's own input buffer for the next call, so a
    // reply read one byte at a time costs a few system calls, not two per byte.
    ReadResult read(uint8_t* into, size_t count, size_t& got) override {
        got = take_buffered(into, count);
        const uint32_t total = timeouts_.read_total_per_byte_ms * static_cast<uint32_t>(count) + timeouts_.read_total_constant_ms;
        Deadline whole(total);
        while (got < count) {
            uint32_t wait = whole.remaining();
            if (got > 0 && timeouts_.read_interval_ms < wait) wait = timeouts_.read_interval_ms;
            const int ready = poll_for(fd_, POLLIN, wait);
            if (ready < 0) return ReadResult::failed;
            if (ready == 0) break;
            const ssize_t n = ::read(fd_, input_.data(), input_.size());
            if (n < 0) {
                if (errno == EAGAIN || errno == EINTR) continue;
                return ReadResult::failed;
            }
            if (n == 0) break;
            input_begin_ = 0;
            input_end_ = static_cast<size_t>(n);
            got += take_buffered(into + got, count - got);
        }
        return ReadResult::ok;
    }

    bool purge() override {
        input_begin_ = input_end_ = 0;
        return ioctl(fd_, TCFLSH, TCIOFLUSH) == 0;
    }

    bool set_baud(uint32_t baud) override { return apply_line_settings(fd_, baud); }

    bool get_timeouts(SerialTimeouts& timeouts) override {
        timeouts = timeouts_;
        return true;
    }
    bool set_timeouts(const SerialTimeouts& timeouts) override {
        timeouts_ = timeouts;
        return true;
    }

    bool close() override {
        if (fd_ < 0) return true;
        ::flock(fd_, LOCK_UN);
        const bool closed = ::close(fd_) == 0;
        fd_ = -1;
        return closed;
    }

private:
    size_t take_buffered(uint8_t* into, size_t count) {
        const size_t n = std::min(count, input_end_ - input_begin_);
        std::copy_n(input_.begin() + static_cast<std::ptrdiff_t>(input_begin_), n, into);
        input_begin_ += n;
        return n;
    }

    int fd_;
    SerialTimeouts timeouts_;
    std::array<uint8_t, 1024> input_{};
    size_t input_begin_ = 0;
    size_t input_end_ = 0;
};

}  // namespace

OpenResult open_serial_port(int port_number, const SerialSettings& settings) {
    const std::string path = posix_device_name(port_number);
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return {nullptr, errno == EACCES || errno == EBUSY ? Status::port_busy : Status::port_error};
    // Not shared: another program holding the port (or holding it later) is refused.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ioctl(fd, TIOCEXCL) != 0) {
        ::close(fd);
        return {nullptr, Status::port_busy};
    }
    auto port = std::make_unique<LinuxSerialPort>(fd, settings.timeouts);
    if (!apply_line_settings(fd, settings.baud)) {
        port->close();
        return {nullptr, Status::port_error};
    }
    port->purge();
    return {std::move(port), Status::ok};
}

}  // namespace quillet
