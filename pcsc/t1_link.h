// The host side of the T=1 block protocol (ISO/IEC 7816-3) between the driver and one processor
// card. The library carries single blocks (cpu_comres, sam_comres); this layer numbers them, chains
// command APDUs longer than the card's IFSC into several I-blocks, acknowledges the card's chained
// response with R-blocks, answers waiting-time extensions and repeats a block the card asks for
// again. Status words are not looked at: 61xx and 6Cxx go to the application as PC/SC expects of a
// T=1 reader.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace quillet_pcsc {

// Sends one block (NAD PCB LEN INF LRC) and gives back the card's block, or a library status (< 0).
using BlockExchange = std::function<int(std::span<const uint8_t> block, std::vector<uint8_t>& answer)>;

// The status a transmit ends with when the card asked for more waiting time more often than granted.
constexpr int waiting_time_exhausted = -1000;

// What a transmit ended with.
enum class LinkResult { ok, transport_failed, protocol_failed, response_too_long };

class T1Link {
public:
    // After every reset of the card: sequence numbers 0 and the card's IFSC from its answer to reset.
    void restart(std::span<const uint8_t> answer_to_reset);

    // One command APDU out, its whole response (data and SW1 SW2) back, at most response_limit bytes.
    LinkResult transmit(const BlockExchange& exchange, std::span<const uint8_t> command, std::vector<uint8_t>& response,
                        size_t response_limit);

    // Whether the card still answers as the card this link was restarted for: an S(IFS request)
    // for the IFSD it already has, answered by its S(IFS response). A card put in in its place
    // has had no reset and does not answer so. Leaves the sequence numbers as they are.
    bool still_answers(const BlockExchange& exchange);

    int last_library_status() const { return library_status_; }
    size_t card_information_size() const { return ifsc_; }

private:
    bool exchange_block(const BlockExchange& exchange, std::vector<uint8_t> block, std::vector<uint8_t>& answer);

    uint8_t host_sequence_ = 0;  // N(S) of the host's next I-block
    uint8_t card_sequence_ = 0;  // N(S) the card's next I-block carries
    size_t ifsc_ = 32;
    int library_status_ = 0;
};

// The IFSC an answer to reset announces (its first TA for T=1 after the second TD), else 32.
size_t information_size_from(std::span<const uint8_t> answer_to_reset);

// A block with its LRC: NAD PCB LEN INF LRC.
std::vector<uint8_t> make_block(uint8_t pcb, std::span<const uint8_t> information);

}  // namespace quillet_pcsc
