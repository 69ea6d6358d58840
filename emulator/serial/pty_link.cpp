#include "emulator/serial/pty_link.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "emulator/core/put_all.h"
#include "platform/raw_line.h"

namespace vreader {

namespace {

inline constexpr int write_wait_ms = 1000;

// False once there is no host any more, or it stopped reading.
bool write_all(int fd, const Bytes& bytes) {
    return put_all(fd, bytes.size(), write_wait_ms,
                   [&](size_t done) { return ::write(fd, bytes.data() + done, bytes.size() - done); });
}

}  // namespace

PtyLink::Millis PtyLink::now() {
    using namespace std::chrono;
    return static_cast<Millis>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

std::unique_ptr<PtyLink> PtyLink::open(Reader& reader, std::string& error) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) {
        error = std::string("posix_openpt: ") + std::strerror(errno);
        return nullptr;
    }
    char name[128] = {};
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 || ::ptsname_r(master, name, sizeof name) != 0 ||
        ::fcntl(master, F_SETFL, O_NONBLOCK) != 0 ||
        // Linux keeps one set of line settings for the pair: set through the master, raw 8N1 at the
        // reader's rate makes the slave usable before a host configures it.
        !quillet::set_raw_line(master, reader.serial_baud(), quillet::LineReads::wait_for_a_byte)) {
        error = std::string("pseudo-terminal set-up: ") + std::strerror(errno);
        ::close(master);
        return nullptr;
    }
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave < 0) {
        error = std::string("pseudo-terminal slave: ") + std::strerror(errno);
        ::close(master);
        return nullptr;
    }
    return std::unique_ptr<PtyLink>(new PtyLink(reader, master, slave, name));
}

PtyLink::PtyLink(Reader& reader, int master, int slave, std::string slave_path)
    : reader_(reader), master_(master), slave_(slave), slave_path_(std::move(slave_path)) {}

PtyLink::~PtyLink() {
    ::close(slave_);
    ::close(master_);
}

short PtyLink::poll_events(Millis t) const {
    if (pending_ || t < hung_up_until_) return 0;
    return POLLIN;
}

int PtyLink::timeout_ms(Millis t) const {
    Millis due = UINT64_MAX;
    if (pending_) due = latency_.reaches_host(next_byte_due());
    else if (t < hung_up_until_) due = hung_up_until_;
    if (!assembler_.idle()) due = std::min(due, last_byte_ + frame_gap_ms);
    if (due == UINT64_MAX) return -1;
    return due <= t ? 0 : static_cast<int>(std::min<Millis>(due - t, 60000));
}

bool PtyLink::service(short revents, Millis t) {
    carried_out_ = false;
    send_due(t);
    if (revents & POLLIN) {
        take_input(t);
    } else if (revents & (POLLHUP | POLLERR)) {
        hung_up_until_ = t + hangup_retry_ms;
    }
    if (!assembler_.idle() && t >= last_byte_ + frame_gap_ms) {
        const size_t n = assembler_.abandon();
        reader_.log().note("partial frame of " + std::to_string(n) + " bytes dropped: the line went quiet");
    }
    return carried_out_;
}

void PtyLink::take_input(Millis t) {
    uint8_t buffer[4096];
    while (!pending_) {
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n > 0) {
            consume(buffer, static_cast<size_t>(n), t);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n == 0 || (n < 0 && errno != EAGAIN)) hung_up_until_ = t + hangup_retry_ms;  // EIO: no host
        return;
    }
}

void PtyLink::consume(const uint8_t* bytes, size_t n, Millis t) {
    const uint32_t host = quillet::line_speed(master_);  // the rate the host set on the slave
    if (host != reader_.serial_baud()) {
        assembler_.abandon();
        reader_.log().note(std::to_string(n) + " bytes discarded: host line at " + std::to_string(host) + " baud, reader at " +
                           std::to_string(reader_.serial_baud()));
        return;
    }
    last_byte_ = t;
    for (size_t i = 0; i < n; ++i) {
        auto frame = assembler_.push(bytes[i]);
        if (const size_t skipped = assembler_.take_skipped()) reader_.log().note(std::to_string(skipped) + " bytes outside any frame skipped");
        if (!frame) continue;
        WireReply wire = reader_.exchange(*frame);
        carried_out_ = true;
        pending_ = std::move(wire);
        pending_at_ = pacing_.frame_arrival(t, frame->bytes.size(), reader_.serial_baud()) + pending_->delay_ms;
        pacing_.begin(pending_at_, reader_.serial_baud());
        pending_sent_ = 0;
        send_due(t);
        if (pending_) {
            // The rest of this read waits with the reply; a reader is busy until it has answered.
            // Bytes after the frame are rare (the host waits for the reply) and are dropped here.
            if (i + 1 < n) reader_.log().note(std::to_string(n - i - 1) + " bytes received while busy dropped");
            return;
        }
    }
}

size_t PtyLink::bytes_due(Millis t) const {
    const size_t total = pending_->bytes.size();
    if (t < pending_at_) return 0;
    if (pending_->byte_interval_ms) return static_cast<size_t>(std::min<Millis>(total, 1 + (t - pending_at_) / pending_->byte_interval_ms));
    return pacing_.due(total, t);
}

PtyLink::Millis PtyLink::next_byte_due() const {
    if (pending_->byte_interval_ms) return pending_at_ + pending_sent_ * pending_->byte_interval_ms;
    return std::max(pending_at_, pacing_.next_due(pending_sent_));
}

// A reply goes out as its bytes fall due: all at once, at the line's pace, or one every interval
// (a dripping reply); behind an adapter, what fell due by its last hand-over. The rest of a reply
// is given up when the host has gone.
void PtyLink::send_due(Millis t) {
    if (!pending_ || t < pending_at_) return;
    const Bytes& bytes = pending_->bytes;
    const size_t due = bytes_due(latency_.handed_over_by(t));
    if (due > pending_sent_) {
        const bool written = write_all(master_, Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(pending_sent_),
                                                      bytes.begin() + static_cast<std::ptrdiff_t>(due)));
        pending_sent_ = written ? due : bytes.size();
    }
    if (pending_sent_ < bytes.size()) return;
    pending_.reset();
    pending_sent_ = 0;
    if (reader_.link_restart_pending()) {
        reader_.restart_link();
        reader_.log().note("link restarted: " + std::to_string(reader_.serial_baud()) + " baud, " +
                           (reader_.parallel_mode() == ParallelMode::byte ? "byte" : "nibble") + " link");
    }
    assembler_.expect_raw(reader_.awaited_raw_frame());
}

}  // namespace vreader
