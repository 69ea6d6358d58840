// The serial front end of the virtual reader: a pseudo-terminal whose slave the host opens as its
// serial port. The reader only understands the host while the host's line speed equals the
// reader's rate; bytes sent at another speed are noise to it (a real reader sees framing errors)
// and are discarded. Frames are cut out of the stream, carried out by the Reader, and the replies
// written back (after the delay the fault plan asks for). When the host closes the slave, the
// master reports a hang-up; the link then looks again every few milliseconds and keeps serving
// whoever opens the slave next.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "emulator/core/command_frame.h"
#include "emulator/core/reader.h"
#include "emulator/serial/line_pacing.h"

namespace vreader {

class PtyLink {
public:
    using Millis = uint64_t;  // steady clock, milliseconds

    // A partial frame that sees no byte for this long is dropped.
    static constexpr Millis frame_gap_ms = 500;
    // How often to look for a host again while none has the slave open.
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

private:
    PtyLink(Reader& reader, int master, std::string slave_path);
    void take_input(Millis now);
    void consume(const uint8_t* bytes, size_t n, Millis now);
    void send_due(Millis now);

    Reader& reader_;
    int master_;
    std::string slave_path_;
    FrameAssembler assembler_;
    Millis last_byte_ = 0;
    Millis hung_up_until_ = 0;
    bool carried_out_ = false;
    // A reply waiting for its time (delay fault); input waits while it does.
    std::optional<WireReply> pending_;
    Millis pending_at_ = 0;
    size_t pending_sent_ = 0;  // bytes of the pending reply already written (pacing)
    LinePacing pacing_;
};

}  // namespace vreader
