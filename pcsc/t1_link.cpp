#include "pcsc/t1_link.h"

#include <algorithm>

namespace quillet_pcsc {

namespace {

constexpr uint8_t nad = 0x00;
constexpr uint8_t more_bit = 0x20;           // I-block: another block of the chain follows
constexpr uint8_t i_sequence_bit = 0x40;     // I-block N(S)
constexpr uint8_t r_sequence_bit = 0x10;     // R-block N(R)
constexpr uint8_t s_ifs_request = 0xC1;
constexpr uint8_t s_ifs_response = 0xE1;
constexpr uint8_t host_information_size = 254;  // the IFSD of a reader carrying T=1 blocks
constexpr uint8_t s_wtx_request = 0xC3;
constexpr uint8_t s_wtx_response = 0xE3;
constexpr int attempts_per_block = 3;        // a block the card asks for again goes at most this often
// Waiting-time extensions granted for one block: a card that keeps asking for more time and never
// answers would otherwise hold the reader for ever. 60 grants of the card's own waiting time is
// far beyond any command a card really runs.
constexpr int extensions_per_block = 60;
constexpr size_t longest_information = 246;  // the library carries blocks of at most 250 bytes

bool is_i_block(uint8_t pcb) { return (pcb & 0x80) == 0; }
bool is_r_block(uint8_t pcb) { return (pcb & 0xC0) == 0x80; }

bool well_formed(const std::vector<uint8_t>& block) {
    if (block.size() < 4 || block.size() != size_t{block[2]} + 4) return false;
    uint8_t lrc = 0;
    for (uint8_t byte : block) lrc ^= byte;
    return lrc == 0;
}

}  // namespace

std::vector<uint8_t> make_block(uint8_t pcb, std::span<const uint8_t> information) {
    std::vector<uint8_t> block{nad, pcb, static_cast<uint8_t>(information.size())};
    block.insert(block.end(), information.begin(), information.end());
    uint8_t lrc = 0;
    for (uint8_t byte : block) lrc ^= byte;
    block.push_back(lrc);
    return block;
}

size_t information_size_from(std::span<const uint8_t> atr) {
    if (atr.size() < 2) return 32;
    size_t position = 1;
    uint8_t indicator = atr[1];  // T0, then each TDi
    for (int level = 1; position < atr.size(); ++level) {
        const bool has_ta = indicator & 0x10, has_tb = indicator & 0x20, has_tc = indicator & 0x40;
        const bool has_td = indicator & 0x80;
        size_t next = position + 1;
        if (has_ta && level >= 3 && next < atr.size() && atr[next] != 0 && atr[next] != 0xFF) return atr[next];
        next += has_ta + has_tb + has_tc;
        if (!has_td || next >= atr.size()) break;
        indicator = atr[next];
        position = next;
    }
    return 32;
}

void T1Link::restart(std::span<const uint8_t> answer_to_reset) {
    host_sequence_ = 0;
    card_sequence_ = 0;
    ifsc_ = std::min(information_size_from(answer_to_reset), longest_information);
    library_status_ = 0;
}

// Sends a block and receives a well-formed answer, sending the block again when the card's answer
// is damaged or the card names it as not received.
bool T1Link::exchange_block(const BlockExchange& exchange, std::vector<uint8_t> block, std::vector<uint8_t>& answer) {
    int extensions = 0;
    for (int attempt = 0; attempt < attempts_per_block; ++attempt) {
        library_status_ = exchange(block, answer);
        if (library_status_ < 0) return false;
        if (!well_formed(answer)) continue;
        if (answer[1] == s_wtx_request) {  // the card asks for more time: grant it and wait again
            if (++extensions > extensions_per_block) {
                library_status_ = waiting_time_exhausted;
                return false;
            }
            const uint8_t multiplier = answer[2] ? answer[3] : 1;
            block = make_block(s_wtx_response, std::span<const uint8_t>(&multiplier, 1));
            --attempt;
            continue;
        }
        return true;
    }
    return false;
}

bool T1Link::still_answers(const BlockExchange& exchange) {
    const uint8_t size = host_information_size;
    std::vector<uint8_t> answer;
    if (!exchange_block(exchange, make_block(s_ifs_request, std::span<const uint8_t>(&size, 1)), answer)) return false;
    return answer[1] == s_ifs_response && answer[2] == 1 && answer[3] == size;
}

LinkResult T1Link::transmit(const BlockExchange& exchange, std::span<const uint8_t> command,
                            std::vector<uint8_t>& response, size_t response_limit) {
    response.clear();
    std::vector<uint8_t> answer;
    // The command, in as many I-blocks as the card's IFSC asks for.
    size_t sent = 0;
    while (true) {
        const size_t part = std::min(ifsc_, command.size() - sent);
        const bool last = sent + part == command.size();
        const uint8_t pcb = static_cast<uint8_t>((host_sequence_ ? i_sequence_bit : 0) | (last ? 0 : more_bit));
        const std::vector<uint8_t> block = make_block(pcb, command.subspan(sent, part));
        int repeats = 0;
        while (true) {
            if (!exchange_block(exchange, block, answer)) {
                return library_status_ < 0 ? LinkResult::transport_failed : LinkResult::protocol_failed;
            }
            // An R-block naming this very block again asks for it once more.
            const bool asks_again = is_r_block(answer[1]) && bool(answer[1] & r_sequence_bit) == bool(host_sequence_);
            if (!asks_again) break;
            if (++repeats == attempts_per_block) return LinkResult::protocol_failed;
        }
        host_sequence_ ^= 1;
        sent += part;
        if (last) break;
        if (!is_r_block(answer[1])) return LinkResult::protocol_failed;  // a chain is acknowledged by R-blocks
    }
    // The response, in as many I-blocks as the card chains.
    while (true) {
        if (!is_i_block(answer[1]) || bool(answer[1] & i_sequence_bit) != bool(card_sequence_)) {
            return LinkResult::protocol_failed;
        }
        card_sequence_ ^= 1;
        if (response.size() + answer[2] > response_limit) return LinkResult::response_too_long;
        response.insert(response.end(), answer.begin() + 3, answer.end() - 1);
        if (!(answer[1] & more_bit)) return LinkResult::ok;
        const uint8_t acknowledge = static_cast<uint8_t>(0x80 | (card_sequence_ ? r_sequence_bit : 0));
        if (!exchange_block(exchange, make_block(acknowledge, {}), answer)) {
            return library_status_ < 0 ? LinkResult::transport_failed : LinkResult::protocol_failed;
        }
    }
}

}  // namespace quillet_pcsc
