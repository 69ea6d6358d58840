#include "cards/cpu/t1_exchange.h"

#include <algorithm>
#include <array>
#include <span>

namespace quillet::cpu {

namespace {

inline constexpr uint8_t sw1_wrong_length = 0x6C;
inline constexpr uint8_t sw1_more_data = 0x61;
inline constexpr uint8_t follow_up_pcb_after_zero = 0x40;

// Offsets in a card's block: NAD, PCB, LEN, then INF.
inline constexpr size_t block_header = 3;
inline constexpr size_t status_words = 2;

// The block the call sends next: first the caller's, then a resend with a corrected Le or a GET
// RESPONSE. A private copy: the caller's block is never written, and a resend after a GET RESPONSE
// reads the GET RESPONSE block, not past the end of a shorter caller's block.
class OutgoingBlock {
public:
    explicit OutgoingBlock(std::span<const uint8_t> caller)
        : nad_(caller[0]), follow_up_pcb_(caller[1] == 0 ? follow_up_pcb_after_zero : 0x00), size_(caller.size()) {
        std::copy(caller.begin(), caller.end(), bytes_.begin());
    }

    std::span<const uint8_t> bytes() const { return {bytes_.data(), size_}; }

    // The block sent last with its Le (the byte before the LRC) replaced.
    void correct_le(uint8_t le) {
        bytes_[0] = nad_;
        bytes_[1] = follow_up_pcb_;
        bytes_[size_ - 2] = le;
        seal();
    }

    // GET RESPONSE: INF 00 C0 00 00 Le.
    void get_response(uint8_t le) {
        constexpr std::array<uint8_t, 5> command{0x00, 0xC0, 0x00, 0x00, 0x00};
        bytes_[0] = nad_;
        bytes_[1] = follow_up_pcb_;
        bytes_[2] = command.size();
        std::copy(command.begin(), command.end(), bytes_.begin() + block_header);
        size_ = block_header + command.size() + 1;
        bytes_[size_ - 2] = le;
        seal();
    }

private:
    void seal() { bytes_[size_ - 1] = bcc(std::span<const uint8_t>(bytes_.data(), size_ - 1)); }

    uint8_t nad_;
    uint8_t follow_up_pcb_;
    std::array<uint8_t, block_max> bytes_{};
    size_t size_;
};

// Gathers the INF data from response byte 3 on, never past response_max.
class ResponseWriter {
public:
    explicit ResponseWriter(uint8_t* out) : out_(out) {}

    bool append(std::span<const uint8_t> inf) {
        if (inf.size() > response_max - position_) return false;
        std::copy(inf.begin(), inf.end(), out_ + position_);
        position_ += inf.size();
        return true;
    }
    void finish(uint8_t nad, uint8_t pcb) {
        out_[0] = nad;
        out_[1] = pcb;
        out_[2] = static_cast<uint8_t>(position_ - block_header);
    }

private:
    uint8_t* out_;
    size_t position_ = block_header;
};

}  // namespace

Check block_length(int16_t length) { return {length >= block_min && length <= block_max, Status::bad_length}; }

Status block_exchange(int32_t handle, uint8_t slot, int16_t length, const uint8_t* block, uint8_t* response,
                      BlockCheck first_check) {
    QL_TRY(first_failure({block_length(length)}));
    OutgoingBlock outgoing({block, static_cast<size_t>(length)});
    ResponseWriter writer(response);
    Attempts attempts(block_retries);
    Reply reply(reply_capacity);
    BlockCheck check = first_check;
    for (int follow_ups = 0;; ++follow_ups) {
        QL_TRY(attempts.exchange(handle, block_frame(slot, outgoing.bytes(), check), reply));
        check = BlockCheck::header;

        const auto card_block = reply.data();
        if (card_block.size() < block_header) return Status::read_failed;
        const size_t n = card_block[2];
        // SW1 SW2 are the last two INF bytes: data bytes 1 + n and 2 + n.
        if (card_block.size() < block_header + n) return Status::read_failed;
        const uint8_t sw1 = card_block[1 + n];
        const uint8_t sw2 = card_block[2 + n];
        const auto inf = card_block.subspan(block_header, n);

        if (sw1 != sw1_wrong_length && sw1 != sw1_more_data) {
            if (!writer.append(inf)) return Status::response_too_long;
            writer.finish(card_block[0], card_block[1]);
            return Status::ok;
        }
        if (follow_ups == follow_ups_max) return Status::response_too_long;
        if (sw1 == sw1_wrong_length) {
            outgoing.correct_le(sw2);
        } else {
            if (n > status_words && !writer.append(inf.first(n - status_words))) return Status::response_too_long;
            outgoing.get_response(sw2);
        }
    }
}

Status raw_exchange(int32_t handle, uint8_t slot, int16_t length, const uint8_t* block, uint8_t* response) {
    QL_TRY(first_failure({block_length(length)}));
    Attempts attempts(block_retries);
    Reply reply(reply_capacity);
    const Frame frame = block_frame(slot, {block, static_cast<size_t>(length)}, BlockCheck::header);
    QL_TRY(attempts.exchange(handle, frame, reply));
    reply.copy_data(response, reply.data().size());
    return Status::ok;
}

}  // namespace quillet::cpu
