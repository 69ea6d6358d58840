#include "emulator/cards/processor_card.h"

#include <algorithm>
#include <string>

namespace vreader {

namespace {

inline constexpr uint8_t block_command = 0x21;
inline constexpr size_t block_offset = 9;  // frame byte of the block's NAD
inline constexpr size_t prologue = 3;      // NAD PCB LEN
inline constexpr size_t block_min = prologue + 1;
inline constexpr uint8_t len_reserved = 0xFF;

// PCB: I-block 0 N(S) M 00000; R-block 100 N(R) 00 error; S-block 11 response 0 type.
inline constexpr uint8_t not_information = 0x80;
inline constexpr uint8_t kind_mask = 0xC0;
inline constexpr uint8_t receipt = 0x80;
inline constexpr uint8_t ns_bit = 0x40;
inline constexpr uint8_t more_bit = 0x20;
inline constexpr uint8_t nr_bit = 0x10;
inline constexpr uint8_t information_reserved = 0x1F;
inline constexpr uint8_t receipt_reserved = 0x2C;
inline constexpr uint8_t edc_error = 0x01;
inline constexpr uint8_t other_error = 0x02;

namespace supervisory {
inline constexpr uint8_t resynch_request = 0xC0;
inline constexpr uint8_t ifs_request = 0xC1;
inline constexpr uint8_t abort_request = 0xC2;
inline constexpr uint8_t response = 0x20;  // added to a request's PCB
}  // namespace supervisory

inline constexpr uint8_t nad_reserved = 0x88;  // the VPP bits
inline constexpr size_t ifs_after_reset = 254;
inline constexpr size_t ifs_max = 254;
// The longest short command APDU: header, Lc, 255 data bytes, Le.
inline constexpr size_t apdu_max = 4 + 1 + 255 + 1;

// The reply goes back to where the block came from: source and destination addresses swapped.
uint8_t swapped_addresses(uint8_t nad) { return static_cast<uint8_t>((nad & 0x07) << 4 | (nad >> 4 & 0x07)); }

Bytes sealed(uint8_t nad, uint8_t pcb, std::span<const uint8_t> inf) {
    Bytes b{nad, pcb, static_cast<uint8_t>(inf.size())};
    b.insert(b.end(), inf.begin(), inf.end());
    b.push_back(xor_of(b));
    return b;
}

}  // namespace

CardReply ProcessorCard::handle(const CardCommand& command) {
    if (command.command() != block_command) return CardReply::refuse(status::unknown_command);
    if (!reset_done_) return CardReply::refuse(status::card_mute);
    Bytes reply = block(command.from(block_offset));
    if (app_.take_changed()) mark_changed();
    return CardReply::ok(std::move(reply));
}

Bytes ProcessorCard::block(std::span<const uint8_t> b) {
    if (b.size() < block_min || b[2] == len_reserved || b.size() != b[2] + block_min) return error_block(other_error);
    if (xor_of(b) != 0) return error_block(edc_error);
    if ((b[0] & nad_reserved) != 0) return error_block(other_error);
    reply_nad_ = swapped_addresses(b[0]);
    const uint8_t pcb = b[1];
    if ((pcb & not_information) == 0) return information_block(pcb, b);
    if ((pcb & kind_mask) == receipt) return receipt_block(b);
    return supervisory_block(pcb, b);
}

Bytes ProcessorCard::information_block(uint8_t pcb, std::span<const uint8_t> b) {
    const uint8_t ns = (pcb & ns_bit) ? 1 : 0;
    // The block that carried the last command, once more: the host lost the answer and sends its
    // frame again, so the answer goes again (the command is not run twice).
    if (ns != expected_ns_ && chain_out_.empty() && std::ranges::equal(b, last_command_block_)) return last_i_block_;
    // While the card sends a chain it waits for R-blocks, not for a new command.
    if ((pcb & information_reserved) != 0 || ns != expected_ns_ || !chain_out_.empty()) return error_block(other_error);
    const auto inf = b.subspan(prologue, b[2]);
    if (chain_in_.size() + inf.size() > apdu_max) {
        chain_in_.clear();
        return error_block(other_error);
    }
    expected_ns_ ^= 1;
    chain_in_.insert(chain_in_.end(), inf.begin(), inf.end());
    if ((pcb & more_bit) != 0) return sealed(reply_nad_, static_cast<uint8_t>(receipt | expected_ns_ << 4), {});
    const Bytes apdu = std::move(chain_in_);
    chain_in_.clear();
    last_command_block_.assign(b.begin(), b.end());
    chain_out_ = app_.process(apdu);
    return send_next_part();
}

Bytes ProcessorCard::receipt_block(std::span<const uint8_t> b) {
    if (b[2] != 0 || (b[1] & receipt_reserved) != 0) return error_block(other_error);
    const uint8_t nr = (b[1] & nr_bit) ? 1 : 0;
    if (!chain_out_.empty() && nr == card_ns_) return send_next_part();  // the host took the last part
    if (!last_i_block_.empty() && nr != card_ns_) return last_i_block_;  // the host asks for it again
    return error_block(other_error);
}

Bytes ProcessorCard::supervisory_block(uint8_t pcb, std::span<const uint8_t> b) {
    const auto inf = b.subspan(prologue, b[2]);
    const uint8_t response = pcb | supervisory::response;
    switch (pcb) {
        case supervisory::resynch_request:
            if (!inf.empty()) break;
            end_session_protocol();
            return sealed(reply_nad_, response, {});
        case supervisory::ifs_request:
            if (inf.size() != 1 || inf[0] == 0 || inf[0] > ifs_max) break;
            ifsd_ = inf[0];
            return sealed(reply_nad_, response, inf);
        case supervisory::abort_request:
            if (!inf.empty()) break;
            chain_in_.clear();
            chain_out_.clear();
            return sealed(reply_nad_, response, {});
        default:
            break;
    }
    return error_block(other_error);
}

Bytes ProcessorCard::send_next_part() {
    const size_t n = std::min(ifsd_, chain_out_.size());
    const bool more = n < chain_out_.size();
    const auto pcb = static_cast<uint8_t>(card_ns_ << 6 | (more ? more_bit : 0));
    last_i_block_ = sealed(reply_nad_, pcb, std::span<const uint8_t>(chain_out_).first(n));
    chain_out_.erase(chain_out_.begin(), chain_out_.begin() + static_cast<std::ptrdiff_t>(n));
    card_ns_ ^= 1;
    return last_i_block_;
}

Bytes ProcessorCard::error_block(uint8_t error) {
    return sealed(reply_nad_, static_cast<uint8_t>(receipt | expected_ns_ << 4 | error), {});
}

void ProcessorCard::end_session_protocol() {
    expected_ns_ = 0;
    card_ns_ = 0;
    last_i_block_.clear();
    last_command_block_.clear();
    chain_in_.clear();
    chain_out_.clear();
}

void ProcessorCard::end_session() {
    end_session_protocol();
    reply_nad_ = 0;
    ifsd_ = ifs_after_reset;
    app_.start_session();
}

void ProcessorCard::power_off() {
    reset_done_ = false;
    end_session();
}

Bytes ProcessorCard::answer_to_reset() {
    end_session();
    reset_done_ = true;
    return app_.image().atr;
}

Bytes ProcessorCard::contents() const {
    const std::string text = iso7816::describe(app_.image());
    return Bytes(text.begin(), text.end());
}

bool ProcessorCard::load_contents(std::span<const uint8_t> image) {
    std::string error;
    auto parsed =
        iso7816::parse_description(std::string_view(reinterpret_cast<const char*>(image.data()), image.size()), error);
    if (!parsed) return false;
    app_.load(std::move(*parsed));
    return true;
}

}  // namespace vreader
