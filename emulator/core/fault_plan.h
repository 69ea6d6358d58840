// The fault plan: what the reader does wrong, and when. Each fault covers a run of frames counted
// from the moment it is added: the next N frames ("next N", the default being the next one) or
// only the k-th frame from now ("at k"). The first planned fault that covers a frame applies to
// its reply:
//
//   drop            the command is carried out, its reply is lost
//   lead B          the reply's lead byte is B instead of 0x55 (default 0xA5)
//   bcc             the reply's BCC byte is inverted
//   status S        the reader refuses: reply 55 S 00 00 BCC, the command is not carried out
//   delay MS        the reply goes out MS milliseconds late
//   garbage N       N bytes of line noise go out instead of the reply (default 16; never 0x55 first)
//   truncate K      only the first K bytes of the reply go out
//   oversize L [M]  the reply announces L data bytes and carries M of them (default L): its own
//                   data cut or padded with 0x00, then the XOR of everything sent, so the frame is
//                   well formed when M equals L
//   corrupt [P]     the reply's data byte P (default 0, the first) is inverted and its BCC made
//                   to match: a memory cell that reads back wrong, in a well-formed frame
//   never           no reader attached: nothing is carried out and nothing answered, until cleared
//   drip MS         the reply's bytes go out one every MS milliseconds (a slow reader); unlike the
//                   others it combines with the first other fault that covers the same frame
//   answer HEX      the reader answers status 0 with these data bytes (a card's scripted block, say);
//                   the command is not carried out
//   wtx             a processor card's block frame (command 0x21 to slot bytes 0x20..0x25) is answered
//                   with S(WTX request) and not carried out: a card that asks for more time and never
//                   answers; every other frame is carried out as usual
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "emulator/core/bytes.h"

namespace vreader {

enum class FaultKind { drop, wrong_lead, bad_bcc, status, delay, garbage, truncate, oversize, corrupt, never, drip, answer, wtx };

struct Fault {
    FaultKind kind = FaultKind::drop;
    uint32_t value = 0;                 // lead byte, status byte, delay, garbage count, kept bytes, announced length
    std::optional<uint32_t> sent;       // oversize: data bytes actually sent
    Bytes data;                         // answer: the reply data
    uint32_t at = 1;                    // first frame covered, counted from the moment it is added (1: the next)
    uint32_t frames = 1;                // how many frames from there on
    uint32_t drip_ms = 0;               // set by the plan: a drip fault covers the same frame

    std::string describe() const;
};

// Parses "KIND [ARGS] [next N | at K]" as the control channel and the tests write it.
std::optional<Fault> parse_fault(std::string_view text, std::string& error);

// What goes on the wire for one reply.
struct WireReply {
    Bytes bytes;            // empty: no answer at all
    uint32_t delay_ms = 0;  // before the first byte
    uint32_t byte_interval_ms = 0;  // between bytes (0: all at once)
};

class FaultPlan {
public:
    void add(Fault fault);
    void clear() { planned_.clear(); }
    std::vector<std::string> describe() const;

    // True when the next frame falls under a "never" fault: no reader is attached.
    bool reader_absent() const;

    // Called once per received frame, in order; the fault that applies to it, if any. A drip
    // fault covering the frame rides on the fault returned (drip_ms), or is returned itself.
    std::optional<Fault> next_frame();

private:
    struct Planned {
        Fault fault;
        uint64_t first;  // absolute frame numbers
        uint64_t last;
    };
    std::vector<Planned> planned_;
    uint64_t frames_seen_ = 0;
};

// Applies a fault (other than status, answer and never, which the reader handles before carrying
// the command out) to a well-formed reply frame.
WireReply shape_reply(const Bytes& reply, const std::optional<Fault>& fault);

}  // namespace vreader
