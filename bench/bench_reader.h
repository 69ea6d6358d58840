// What every benchmark needs around the library: a virtual reader at 115200 baud, the calling
// thread's CPU time, and the floor each figure is judged against. The floor sends the very bytes
// the library sent (taken from the reader's frame log) over the same pseudo-terminal the cheapest
// way the handshake allows, one write and one tcdrain per byte, and reads each reply by its
// length field. Floor and library run in turns, a block of each, and the ratios within the turns
// are what is printed, so that the machine's load weighs on both alike.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/virtual_reader_process.h"

namespace bench {

using quillet::test::Bytes;
using quillet::test::VirtualReaderProcess;

constexpr uint32_t baud = 115200;
constexpr double bits_per_byte = 10.0;

inline double wire_ms(double bytes) { return bytes * bits_per_byte * 1000.0 / baud; }

inline double thread_cpu_ms() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// One command frame the library sent and whether the reader answered it.
struct Sent {
    Bytes frame;
    bool answered = false;
};

// The frames of one run of an operation, in order.
struct Recording {
    std::vector<Sent> exchanges;
    double bytes = 0;  // on the line, both directions
};

inline Recording record(VirtualReaderProcess& vr, const std::function<bool()>& operation, bool& ok) {
    vr.clear_log();
    ok = operation();
    Recording r;
    for (const auto& f : vr.frames()) {
        r.bytes += static_cast<double>(f.bytes.size());
        if (f.direction == '>') r.exchanges.push_back({f.bytes, false});
        else if (!r.exchanges.empty()) r.exchanges.back().answered = true;
    }
    return r;
}

// The floor's own descriptor on the reader's terminal, opened before the library takes the port
// (which makes it exclusive for later openers only).
class FloorHost {
public:
    explicit FloorHost(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {
        termios tio{};
        if (fd_ < 0 || tcgetattr(fd_, &tio) != 0) return;
        cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        cfsetispeed(&tio, B115200);
        cfsetospeed(&tio, B115200);
        if (tcsetattr(fd_, TCSANOW, &tio) != 0) close_fd();
    }
    ~FloorHost() { close_fd(); }
    FloorHost(const FloorHost&) = delete;
    FloorHost& operator=(const FloorHost&) = delete;

    bool is_open() const { return fd_ >= 0; }

    bool replay(const Recording& r) {
        for (const Sent& s : r.exchanges)
            if (!send(s.frame) || (s.answered && !receive_reply())) return false;
        return true;
    }

private:
    bool send(const Bytes& frame) {
        for (const uint8_t b : frame) {
            while (::write(fd_, &b, 1) != 1)
                if (!wait_for(POLLOUT)) return false;
            if (tcdrain(fd_) != 0) return false;
        }
        return true;
    }
    // The header (lead, status, length), then the announced data and the BCC.
    bool receive_reply() {
        size_t got = 0;
        size_t total = 4;
        while (got < total) {
            const ssize_t n = ::read(fd_, reply_ + got, std::min(total, sizeof reply_) - got);
            if (n > 0) got += static_cast<size_t>(n);
            else if (!wait_for(POLLIN)) return false;
            if (total == 4 && got >= 4) total = 5u + (size_t{reply_[2]} << 8 | reply_[3]);
            if (total > sizeof reply_) return false;
        }
        return true;
    }
    bool wait_for(short events) {
        pollfd p{fd_, events, 0};
        return ::poll(&p, 1, 2000) == 1 && !(p.revents & (POLLERR | POLLNVAL));
    }
    void close_fd() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

    int fd_;
    uint8_t reply_[70000];
};

struct Cost {
    double wall_ms;
    double cpu_ms;
};

struct Comparison {
    Cost library;
    Cost floor;
    double wall_ratio;  // median over the turns of library / floor in the same turn
    double cpu_ratio;
    double wire_ms;
    int failures;
};

inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Per run of the operation: `turns` turns, each of `rounds` runs by the library and `rounds`
// replays of its recorded bytes by the floor (which of the two goes first alternates); the
// medians of the turns, and the medians of the ratios within a turn, which the machine's other
// load, changing from one second to the next, disturbs least.
inline Comparison compare(VirtualReaderProcess& vr, FloorHost& floor, const std::function<bool()>& operation, int rounds,
                          int turns) {
    bool ok = true;
    const Recording recording = record(vr, operation, ok);
    Comparison c{{0, 0}, {0, 0}, 0, 0, wire_ms(recording.bytes), ok ? 0 : 1};
    std::vector<double> wall[2], cpu[2], wall_ratio, cpu_ratio;
    const auto run_block = [&](int who, const std::function<bool()>& once) {
        const double cpu_start = thread_cpu_ms();
        const auto wall_start = std::chrono::steady_clock::now();
        for (int i = 0; i < rounds; ++i) c.failures += !once();
        const double took = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wall_start).count();
        wall[who].push_back(took / rounds);
        cpu[who].push_back((thread_cpu_ms() - cpu_start) / rounds);
    };
    const std::function<bool()> replay = [&] { return floor.replay(recording); };
    for (int t = 0; t < turns; ++t) {
        if (t % 2 == 0) {
            run_block(0, operation);
            run_block(1, replay);
        } else {
            run_block(1, replay);
            run_block(0, operation);
        }
        wall_ratio.push_back(wall[0].back() / wall[1].back());
        cpu_ratio.push_back(cpu[0].back() / cpu[1].back());
    }
    c.library = {median(wall[0]), median(cpu[0])};
    c.floor = {median(wall[1]), median(cpu[1])};
    c.wall_ratio = median(wall_ratio);
    c.cpu_ratio = median(cpu_ratio);
    return c;
}

inline void print(const char* what, const Comparison& c) {
    std::printf("%s%s\n", what, c.failures ? "  (FAILED calls)" : "");
    std::printf("  wire time at 115200        %10.3f ms\n", c.wire_ms);
    std::printf("  round trip   library %10.3f ms  floor %10.3f ms  = %.3f x the floor\n", c.library.wall_ms,
                c.floor.wall_ms, c.wall_ratio);
    std::printf("  CPU time     library %10.3f ms  floor %10.3f ms  = %.3f x the floor's; library %.2f%% of the wire time\n",
                c.library.cpu_ms, c.floor.cpu_ms, c.cpu_ratio, 100.0 * c.library.cpu_ms / c.wire_ms);
}

}  // namespace bench
