// T=1 blocks and processor-card frames for the processor-card and SAM tests, written apart from
// the library's own builders; and an application's session that sends APDUs in I-blocks the way
// an application does, its N(S) following the card's last block.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "quillet.h"
#include "tests/support/virtual_reader_process.h"

namespace quillet::test {

inline Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline uint8_t xor_of(const Bytes& bytes, size_t count) {
    uint8_t x = 0;
    for (size_t i = 0; i < count && i < bytes.size(); ++i) x ^= bytes[i];
    return x;
}

// NAD PCB LEN INF LRC.
inline Bytes t1_block(uint8_t nad, uint8_t pcb, const Bytes& inf) {
    Bytes b = Bytes{nad, pcb, static_cast<uint8_t>(inf.size())} + inf;
    b.push_back(xor_of(b, b.size()));
    return b;
}

// AA command 80 (5 + data) slot 00 00 00 00 data BCC; the BCC over the nine header bytes, or over
// the whole frame.
inline Bytes processor_frame(uint8_t command, uint8_t slot, const Bytes& data, bool whole_frame_check = false) {
    Bytes f = Bytes{0xAA, command, 0x80, static_cast<uint8_t>(data.size() + 5), slot, 0, 0, 0, 0} + data;
    f.push_back(xor_of(f, whole_frame_check ? f.size() : 9));
    return f;
}
inline Bytes block_frame(uint8_t slot, const Bytes& block, bool whole_frame_check = false) {
    return processor_frame(0x21, slot, block, whole_frame_check);
}
inline Bytes reset_frame(uint8_t slot) { return processor_frame(0x20, slot, {}); }

// The virtual card's factory contents (examples/cpu_card.txt).
inline const Bytes factory_atr{0x3B, 0x95, 0x11, 0x81, 0x31, 0xFE, 0x45, 0x80, 0x43, 0x51, 0x56, 0x52, 0x19};
inline const Bytes sw_ok{0x90, 0x00};
inline const Bytes app_fci{0x6F, 0x06, 0x84, 0x04, 0xF0, 0x51, 0x56, 0x52};
inline Bytes text_bytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

// One call of a block exchange: status and the response cut to its length byte.
struct Exchanged {
    int16_t status;
    Bytes response;
};
using BlockCall = std::function<Exchanged(const Bytes& block)>;

// APDUs in I-blocks: NAD 0, N(S) alternating from the card's last block (the library's follow-ups
// advance it too, so an application takes it from the response's PCB).
class ApduSession {
public:
    explicit ApduSession(BlockCall call) : call_(std::move(call)) {}

    // The response APDU (data, SW1 SW2); a failed call records a test failure.
    Bytes apdu(const Bytes& command) {
        const Exchanged r = call_(t1_block(0x00, pcb_, command));
        EXPECT_EQ(r.status, 0);
        if (r.status != 0 || r.response.size() < 3) return {};
        EXPECT_EQ(r.response[1] & 0xBF, 0x00) << "the card's last block is not an I-block";
        pcb_ = static_cast<uint8_t>((r.response[1] & 0x40) ^ 0x40);
        return Bytes(r.response.begin() + 3, r.response.end());
    }
    void restart() { pcb_ = 0x00; }  // after a reset

private:
    BlockCall call_;
    uint8_t pcb_ = 0x00;
};

// An application's dialogue with the factory card: select the application by name (61xx and
// GET RESPONSE), select and read a file (6Cxx and a resend), verify the PIN wrong then right,
// read the secret file it opens, read a record by short identifier.
inline void run_card_dialogue(ApduSession& s) {
    EXPECT_EQ(s.apdu({0x00, 0xA4, 0x04, 0x00, 0x04, 0xF0, 0x51, 0x56, 0x52, 0x00}), app_fci + sw_ok);
    EXPECT_EQ(s.apdu({0x00, 0xA4, 0x02, 0x0C, 0x02, 0x01, 0x01}), sw_ok);
    EXPECT_EQ(s.apdu({0x00, 0xB0, 0x00, 0x00, 0x00}), text_bytes("QUILLET HOLDER 1") + sw_ok);
    EXPECT_EQ(s.apdu({0x00, 0xA4, 0x02, 0x0C, 0x02, 0x01, 0x02}), sw_ok);
    EXPECT_EQ(s.apdu({0x00, 0xB0, 0x00, 0x00, 0x0B}), (Bytes{0x69, 0x82}));
    EXPECT_EQ(s.apdu({0x00, 0x20, 0x00, 0x01, 0x04, '9', '9', '9', '9'}), (Bytes{0x63, 0xC2}));
    EXPECT_EQ(s.apdu({0x00, 0x20, 0x00, 0x01, 0x04, '1', '2', '3', '4'}), sw_ok);
    EXPECT_EQ(s.apdu({0x00, 0xB0, 0x00, 0x00, 0x0B}), text_bytes("SECRET DATA") + sw_ok);
    EXPECT_EQ(s.apdu({0x00, 0xB2, 0x03, 0x1C, 0x00}), Bytes{0x03} + Bytes(15, 0x00) + sw_ok);
}
// Frames of the dialogue: 2 + 1 + 2 + 1 + 1 + 1 + 1 + 1 + 2.
inline constexpr size_t card_dialogue_frames = 12;

}  // namespace quillet::test
