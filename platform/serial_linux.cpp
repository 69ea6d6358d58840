// The serial port on Linux. The kernel's termios2 interface sets any of the nine reader rates,
// 28800 included, through its arbitrary-rate field; the Windows read and write time-outs are
// emulated with poll(), so a waiting read sleeps instead of spinning. Every wait runs to a
// deadline taken when it starts: a signal that interrupts poll() shortens nothing and stretches
// nothing.
#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <asm/termios.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/clock.h"
#include "platform/device_names.h"
#include "platform/raw_line.h"
#include "platform/serial_port.h"
#include "platform/transmit_wait.h"

// <sys/ioctl.h> clashes with the kernel's termios2 definitions; the call itself is all we need.
extern "C" int ioctl(int fd, unsigned long request, ...);

namespace quillet {

namespace {

// The link's lines: raw 8N1 bytes, reads that never block (the time-outs are emulated with poll()).
bool apply_line_settings(int fd, uint32_t baud) {
    return set_raw_line(fd, baud, LineReads::never_block, /*hang_up_on_close=*/true);
}

// DTR and RTS up, as a reader that draws its power from them expects; a port without modem lines
// (a pseudo-terminal) has nothing to raise.
void raise_modem_lines(int fd) {
    int lines = TIOCM_DTR | TIOCM_RTS;
    ioctl(fd, TIOCMBIS, &lines);
}

// poll() for the events until the deadline; after a signal the wait goes on with the time left.
int poll_until(int fd, short events, const Deadline& deadline) {
    pollfd p{fd, events, 0};
    for (;;) {
        // One millisecond beyond the remaining time, so that a poll that times out leaves the
        // deadline expired.
        const int r = ::poll(&p, 1, static_cast<int>(deadline.remaining() + 1));
        if (r < 0 && errno == EINTR) continue;
        if (r > 0 && (p.revents & (POLLERR | POLLNVAL))) return -1;
        return r;
    }
}

// What a port's driver can tell of its transmitter, learnt once when the port opens.
enum class TransmitReport {
    nothing_held,              // a pseudo-terminal: a written byte is with the other side at once
    queue,                     // the output queue only (most USB serial adapters)
    queue_and_shift_register,  // the queue and the line status register (UARTs)
};

// Unix98 pseudo-terminal slaves have these major device numbers.
constexpr unsigned first_pty_slave_major = 136;
constexpr unsigned last_pty_slave_major = 143;

TransmitReport transmit_report_of(int fd) {
    struct stat st{};
    if (::fstat(fd, &st) == 0 && S_ISCHR(st.st_mode) && major(st.st_rdev) >= first_pty_slave_major &&
        major(st.st_rdev) <= last_pty_slave_major)
        return TransmitReport::nothing_held;
    unsigned line_status = 0;
    return ioctl(fd, TIOCSERGETLSR, &line_status) == 0 ? TransmitReport::queue_and_shift_register : TransmitReport::queue;
}

// The driver's answers about the transmitter, for wait_until_transmitted.
class DriverTransmitLine final : public TransmitLine {
public:
    DriverTransmitLine(const int& fd, const TransmitReport& report) : fd_(fd), report_(report) {}
    bool look(TransmitState& state) override {
        int queued = 0;
        if (ioctl(fd_, TIOCOUTQ, &queued) != 0) return false;
        state.queued = static_cast<uint32_t>(std::max(queued, 0));
        state.shift_register_empty = true;
        if (report_ == TransmitReport::queue_and_shift_register && state.queued == 0) {
            unsigned line_status = 0;
            if (ioctl(fd_, TIOCSERGETLSR, &line_status) != 0) return false;
            state.shift_register_empty = (line_status & TIOCSER_TEMT) != 0;
        }
        return true;
    }
    // sleep_for sleeps again for the time left when a signal interrupts it.
    void sleep(std::chrono::microseconds time) override { std::this_thread::sleep_for(time); }

private:
    const int& fd_;
    const TransmitReport& report_;
};

class LinuxSerialPort final : public SerialPort {
public:
    LinuxSerialPort(int fd, const SerialSettings& settings)
        : fd_(fd), timeouts_(settings.timeouts), baud_(settings.baud), report_(transmit_report_of(fd)) {}
    ~LinuxSerialPort() override { close(); }

    bool write_byte(uint8_t byte) override {
        const Deadline limit(write_timeout_ms());
        for (;;) {
            const ssize_t n = ::write(fd_, &byte, 1);
            if (n == 1) return true;
            if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
            if (limit.expired() || poll_until(fd_, POLLOUT, limit) < 0) return false;
        }
    }

    // Transmit-empty, asked of the driver as cheaply as it can answer (transmit_wait.h).
    bool wait_transmit_empty() override {
        if (report_ == TransmitReport::nothing_held) return drain();
        return wait_until_transmitted(line_, baud_, write_timeout_ms());
    }

    // A read call as the reader link sees it: up to count bytes within the read time-outs. Bytes
    // that arrived beyond the count wait in the port's own input buffer for the next call, so a
    // reply read one byte at a time costs a few system calls, not two per byte.
    ReadResult read(uint8_t* into, size_t count, size_t& got) override {
        got = take_buffered(into, count);
        if (got == count) return ReadResult::ok;  // no clock read, no system call
        const uint32_t total = timeouts_.read_total_per_byte_ms * static_cast<uint32_t>(count) + timeouts_.read_total_constant_ms;
        const Deadline whole(total);
        // Once a byte has come, the next must follow within the interval time-out.
        auto until_next_byte = [&] { return Deadline(std::min(whole.remaining(), timeouts_.read_interval_ms)); };
        Deadline wait = got > 0 ? until_next_byte() : whole;
        while (got < count) {
            const int ready = poll_until(fd_, POLLIN, wait);
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
            wait = until_next_byte();
        }
        return ReadResult::ok;
    }

    bool purge() override {
        input_begin_ = input_end_ = 0;
        return ioctl(fd_, TCFLSH, TCIOFLUSH) == 0;
    }

    bool set_baud(uint32_t baud) override {
        if (!apply_line_settings(fd_, baud)) return false;
        baud_ = baud;
        return true;
    }

    bool get_timeouts(SerialTimeouts& timeouts) override {
        timeouts = timeouts_;
        return true;
    }
    bool set_timeouts(const SerialTimeouts& timeouts) override {
        timeouts_ = timeouts;
        return true;
    }

    // Gives the port back as it was found: not exclusive any more and not locked, so that the
    // next open, by this process or another, unprivileged or not, succeeds. The terminal's
    // exclusive flag outlives this descriptor when another one stays open (the other side of a
    // pseudo-terminal, a second opener), so it is cleared explicitly.
    bool close() override {
        if (fd_ < 0) return true;
        ioctl(fd_, TIOCNXCL);
        ::flock(fd_, LOCK_UN);
        const bool closed = ::close(fd_) == 0;
        fd_ = -1;
        return closed;
    }

private:
    // A pseudo-terminal keeps no output queue, so tcdrain returns as soon as the kernel has looked:
    // one call, the least the handshake can cost. A signal that interrupts it is no failure.
    bool drain() {
        for (;;) {
            if (ioctl(fd_, TCSBRK, 1) == 0) return true;
            if (errno != EINTR) return false;
        }
    }

    uint32_t write_timeout_ms() const { return timeouts_.write_total_per_byte_ms + timeouts_.write_total_constant_ms; }

    size_t take_buffered(uint8_t* into, size_t count) {
        const size_t n = std::min(count, input_end_ - input_begin_);
        std::copy_n(input_.begin() + static_cast<std::ptrdiff_t>(input_begin_), n, into);
        input_begin_ += n;
        return n;
    }

    int fd_;
    SerialTimeouts timeouts_;
    uint32_t baud_;
    TransmitReport report_;
    DriverTransmitLine line_{fd_, report_};
    std::array<uint8_t, 1024> input_{};
    size_t input_begin_ = 0;
    size_t input_end_ = 0;
};

}  // namespace

// Held by another program: another open holds the lock or the terminal's exclusive use (EBUSY).
// Anything else is a port error: no such device, no right to it (EACCES: a matter of the device's
// permissions, not of another program), a device that is not a terminal such as /dev/null or a
// plain file.
OpenResult open_serial_port(int port_number, const SerialSettings& settings) {
    const std::string path = posix_device_name(port_number);
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return {nullptr, errno == EBUSY ? OpenFailure::busy : OpenFailure::refused};
    if (!is_terminal(fd)) {
        ::close(fd);
        return {nullptr, OpenFailure::refused};
    }
    // Not shared: another program holding the port (or opening it later) is refused.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const OpenFailure refusal = errno == EWOULDBLOCK ? OpenFailure::busy : OpenFailure::refused;
        ::close(fd);
        return {nullptr, refusal};
    }
    auto port = std::make_unique<LinuxSerialPort>(fd, settings);
    if (ioctl(fd, TIOCEXCL) != 0 || !apply_line_settings(fd, settings.baud)) {
        port->close();
        return {nullptr, OpenFailure::refused};
    }
    raise_modem_lines(fd);
    port->purge();
    return {std::move(port), OpenFailure::none};
}

}  // namespace quillet
