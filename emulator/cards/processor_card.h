// The virtual processor card: an ISO/IEC 7816-4 application (iso7816_app.h) behind the card side
// of the T=1 block protocol (ISO/IEC 7816-3). It sits in the main slot or in a SAM slot and takes
// the block frames (command 0x21) of slot bytes 0x20..0x25; the reader carries out the slot's reset
// and asks answer_to_reset().
//
// The block layer checks each block as a card does and answers with the block a card sends:
//   - a wrong LRC: R-block with the EDC error bit (PCB 0x81 | N(R) << 4); a LEN that does not
//     match the block, LEN FF, an undefined PCB, a NAD with its reserved bits set, an I-block with
//     an unexpected N(S) or any block the card does not expect: R-block "other error" (0x82 | N(R) << 4);
//   - an I-block: its APDU goes to the application (a chained one, M bit set, is acknowledged with
//     an R-block first), and the response comes back in I-blocks with the card's own alternating
//     N(S), chained when longer than the IFSD;
//   - an R-block asks for the card's last I-block again, or for the next one of a chain; the very
//     block that completed the last command, sent again, gets the last I-block again (the host
//     lost the answer and repeats its frame; the command does not run twice);
//   - S(RESYNCH), S(IFS) and S(ABORT) requests get their responses.
// The reply's NAD swaps the host's source and destination addresses. IFSD is 254 after the reset
// (as a reader carrying T=1 blocks sets it); an S(IFS request) changes it.
//
// Power off and the reset end the session (sequence numbers, chains, presented PINs); until the
// first reset after power on the card stays mute (status byte 0x93).
//
// Contents file: the file system's text description (iso7816_files.h).
#pragma once

#include "emulator/core/card_model.h"
#include "emulator/cards/iso7816_app.h"

namespace vreader {

class ProcessorCard final : public CardModel {
public:
    std::string_view family() const override { return "cpu"; }
    bool accepts(uint8_t card_type) const override { return card_type >= 0x20 && card_type <= 0x25; }
    CardReply handle(const CardCommand& command) override;

    void power_on() override { reset_done_ = false; }
    void power_off() override;
    Bytes answer_to_reset() override;

    Bytes contents() const override;
    bool load_contents(std::span<const uint8_t> image) override;

private:
    Bytes block(std::span<const uint8_t> block);
    Bytes information_block(uint8_t pcb, std::span<const uint8_t> block);
    Bytes receipt_block(std::span<const uint8_t> block);
    Bytes supervisory_block(uint8_t pcb, std::span<const uint8_t> block);
    // The next I-block of the response (the last one remembered for a retransmission).
    Bytes send_next_part();
    Bytes error_block(uint8_t error);
    void end_session_protocol();  // sequence numbers and chains
    void end_session();           // and the IFSD and the application's session

    iso7816::Application app_;
    bool reset_done_ = false;
    uint8_t reply_nad_ = 0;
    uint8_t expected_ns_ = 0;   // N(S) of the host's next I-block
    uint8_t card_ns_ = 0;       // N(S) of the card's next I-block
    Bytes last_i_block_;        // for a retransmission
    Bytes last_command_block_;  // the I-block that completed the last command
    Bytes chain_in_;            // a chained command so far
    Bytes chain_out_;           // the rest of a chained response
    size_t ifsd_ = 254;
};

}  // namespace vreader
