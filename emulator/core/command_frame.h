// Command frames as the reader receives them, and the assembler that cuts them out of the byte
// stream of a link.
//
//   AA cmd LH LL body[L] BCC     body[0] (frame byte 4) is the card type byte
//   AA cmd 80 LL body[LL] BCC    processor-card frames: byte 2 is 0x80, the length is byte 3 alone;
//                                their BCC may cover only the nine header bytes 0..8
//   66 data[n] BCC               a data frame that a card announced beforehand (raw frame)
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "emulator/core/bytes.h"

namespace vreader {

inline constexpr uint8_t command_lead = 0xAA;
inline constexpr uint8_t reply_lead = 0x55;
inline constexpr uint8_t processor_length_mark = 0x80;
inline constexpr uint8_t reader_target = 0x80;  // card type byte of the reader's own commands

// A frame that is not led by 0xAA but that a card awaits after accepting an announce frame.
struct RawFrameSpec {
    uint8_t lead;
    size_t length;  // whole frame, lead and BCC included
};

struct CommandFrame {
    Bytes bytes;       // the whole frame as received, BCC included
    bool raw = false;  // a raw data frame (see RawFrameSpec)

    uint8_t command() const { return raw ? 0 : bytes[1]; }
    bool processor_length() const { return !raw && bytes[2] == processor_length_mark; }
    std::span<const uint8_t> body() const;  // frame bytes 4 .. before the BCC (raw: 1 .. before)
    bool has_card_type() const { return !body().empty(); }
    uint8_t card_type() const { return has_card_type() ? body()[0] : 0; }
    // The XOR of the whole frame is 0; processor-card frames may instead carry the XOR of their
    // nine header bytes.
    bool check_ok() const;
};

class FrameAssembler {
public:
    // Announced bodies longer than this are taken for line noise and skipped.
    static constexpr size_t max_body = 0x0800;

    // Feeds one byte; returns a frame when it completes one.
    std::optional<CommandFrame> push(uint8_t byte);
    // A card awaits one raw frame next (nullopt: none). Cleared by every completed frame.
    void expect_raw(std::optional<RawFrameSpec> wanted) { raw_ = wanted; }
    bool idle() const { return buffer_.empty(); }
    // Drops a partial frame (the link went quiet in the middle of one); returns its byte count.
    size_t abandon();
    // Bytes skipped because they could not start a frame, since the last call.
    size_t take_skipped();

private:
    size_t expected_length() const;  // 0 while the header is incomplete

    Bytes buffer_;
    bool collecting_raw_ = false;
    std::optional<RawFrameSpec> raw_;
    size_t skipped_ = 0;
};

}  // namespace vreader
