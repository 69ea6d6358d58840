// The serial front end of the virtual reader: a pseudo-terminal whose slave the host opens as its
// serial port. The reader only understands the host while the host's line speed equals the
// reader's rate; bytes sent at another speed are noise to it (a real reader sees framing errors)
// and are discarded. Frames are cut out of the stream, carried out by the Reader, and the replies
// written back (after the delay and at the pace the fault plan asks for). The link keeps a
// descriptor of the slave open itself, so that the master never reports a hang-up when the host
// closes the slave: it just waits, without polling, for whoever opens the slave next. (Should a
// hang-up come all the same, the link stops watching the master for a few milliseconds.)
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "emulator/core/command_frame.h"
#include "emulator/core/reader.h"
#include "emulator/serial/adapter_latency.h"
#include "emulator/serial/line_pacing.h"

namespace vreader {

class PtyLink {
public:
    using Millis = uint64_t;  // steady clock, milliseconds

    // A partial frame that sees no byte for this long is dropped.
    static constexpr Millis frame_gap_ms = 500;
    // How long the link leaves the master alone after a hang-up before it looks again.
    static constexpr Millis hangup_retry_ms = 20;

    // Opens the pseudo-terminal pair, raw at the reader's rate; nullptr (and error) on failure.
    static std::unique_ptr<PtyLink> open(Reader& reader, std::string& error);
    ~PtyLink();
    PtyLink(const PtyLink&) = delete;
    PtyLink& operator=(const PtyLink&) = delete;

    const std::string& slave_path() const { return slave_path_; }
    int fd() const { return master_; }

    // What to poll for now (0: nothing, wait for the timeout), and the longest wait before the
    // link needs service again (-1: none).
    short poll_events(Millis now) const;
    int timeout_ms(Millis now) const;
    // Serves the link: takes what arrived (revents from poll, may be 0), sends a reply when due.
    // Returns true when a frame was carried out (the caller may save card contents).
    bool service(short revents, Millis now);

    static Millis now();

    // Replies at the real byte time of the reader's rate (line_pacing.h).
    void set_pacing(bool on) { pacing_.enable(on); }
    // Replies reach the host in bursts every period_ms, as behind a USB serial adapter
    // (adapter_latency.h); 0 leaves them unheld.
    void set_latency(uint32_t period_ms) { latency_.set(period_ms); }

private:
    PtyLink(Reader& reader, int master, int slave, std::string slave_path);
    void take_input(Millis now);
    void consume(const uint8_t* bytes, size_t n, Millis now);
    void send_due(Millis now);
    size_t bytes_due(Millis t) const;  // of the pending reply, on the line by t
    Millis next_byte_due() const;      // when its next byte is on the line

    Reader& reader_;
    int master_;
    int slave_;  // held open, never read: the host's closing is no hang-up
    std::string slave_path_;
    FrameAssembler assembler_;
    Millis last_byte_ = 0;
    Millis hung_up_until_ = 0;
    bool carried_out_ = false;
    // A reply waiting for its time (delay fault) or going out byte by byte (drip fault, pacing);
    // input waits while it does. pending_at_ is when its first byte is due, pending_sent_ how
    // many went.
    std::optional<WireReply> pending_;
    Millis pending_at_ = 0;
    size_t pending_sent_ = 0;  // bytes of the pending reply already written (pacing)
    LinePacing pacing_;
    AdapterLatency latency_;
};

}  // namespace vreader
