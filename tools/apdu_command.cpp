// quillet apdu: command APDUs to the processor card (slot 0) or a SAM (slots 1..5), each in a T=1
// block; prints the response data and the status word with its meaning. The library answers the
// card's 61xx and 6Cxx itself, so the status word printed is the card's last one.
#include <array>
#include <cstdio>
#include <string_view>
#include <vector>

#include "quillet.h"
#include "tools/commands.h"
#include "tools/hex.h"
#include "tools/json.h"
#include "tools/session.h"
#include "tools/status_words.h"

namespace quillet_tool {

namespace {

constexpr std::array options{
    OptionSpec{"slot", "N", "0 the processor-card slot (default), 1..5 a SAM slot"},
    OptionSpec{"no-reset", "", "do not reset the card first (it was reset by an earlier run)"},
    OptionSpec{"json", "", "print one JSON object: the ATR and each exchange"},
};

constexpr size_t largest_block = 250;  // a block frame carries at most 250 bytes
constexpr size_t block_overhead = 4;   // NAD, PCB, LEN before the APDU; LRC after it
constexpr size_t response_capacity = 4096;
constexpr uint8_t sequence_bit = 0x40;  // N(S) of an I-block's PCB
constexpr uint8_t i_block_mask = 0x80;  // clear in the PCB of an I-block

// NAD 0, the PCB, LEN, the APDU and the LRC over everything before it.
std::vector<uint8_t> block_of(const std::vector<uint8_t>& apdu, uint8_t pcb) {
    std::vector<uint8_t> block{0x00, pcb, static_cast<uint8_t>(apdu.size())};
    block.insert(block.end(), apdu.begin(), apdu.end());
    uint8_t lrc = 0;
    for (const uint8_t b : block) lrc = static_cast<uint8_t>(lrc ^ b);
    block.push_back(lrc);
    return block;
}

int run_apdu(const Arguments& args) {
    if (args.operands().empty()) throw UsageError("give at least one APDU in hexadecimal");
    std::vector<std::vector<uint8_t>> apdus;
    for (const auto& text : args.operands()) {
        apdus.push_back(parse_hex(text, "APDU"));
        if (apdus.back().size() < 4 || apdus.back().size() + block_overhead > largest_block)
            throw UsageError("an APDU is 4 to " + std::to_string(largest_block - block_overhead) + " bytes");
    }
    const auto slot = static_cast<int16_t>(args.number("slot", 0, 0, 5));
    ReaderSession session(args);
    const int32_t h = session.handle();
    const bool json = args.has("json");
    JsonObject result;
    std::vector<JsonObject> exchanges;

    if (!args.has("no-reset")) {
        std::vector<uint8_t> answer(response_capacity);
        int16_t length = 0;
        check(sam_slt_reset(h, slot, &length, answer.data()), "sam_slt_reset");
        answer.resize(static_cast<size_t>(length));
        if (json)
            result.text("atr", to_hex(answer));
        else
            std::printf("ATR %s\n", to_hex(answer).c_str());
    }
    uint8_t pcb = 0x00;
    for (const auto& apdu : apdus) {
        std::vector<uint8_t> block = block_of(apdu, pcb);
        std::vector<uint8_t> response(response_capacity);
        const auto n = static_cast<int16_t>(block.size());
        if (slot == 0) {
            check(cpu_protocol(h, n, block.data(), response.data()), "cpu_protocol");
        } else {
            int16_t response_length = 0;
            check(sam_slt_protocol(h, slot, n, block.data(), &response_length, response.data()), "sam_slt_protocol");
        }
        // NAD, PCB, LEN, then LEN bytes: the data and SW1 SW2.
        const size_t inf = response[2];
        JsonObject exchange;
        exchange.text("apdu", to_hex(apdu));
        if (!json) std::printf("> %s\n", to_hex(apdu).c_str());
        if (inf < 2) {
            if (!json) std::printf("< (a response without a status word)\n");
        } else {
            const std::span<const uint8_t> data(response.data() + 3, inf - 2);
            const auto sw = static_cast<uint16_t>(response[1 + inf] << 8 | response[2 + inf]);
            const std::string_view meaning = status_word_meaning(sw);
            char sw_text[8];
            std::snprintf(sw_text, sizeof sw_text, "%04X", sw);
            exchange.text("data", to_hex(data)).text("sw", sw_text).text("meaning", meaning);
            if (!json)
                std::printf("< %s\nSW %s %.*s\n", to_hex(data).c_str(), sw_text, static_cast<int>(meaning.size()),
                            meaning.data());
        }
        exchanges.push_back(exchange);
        // The next I-block's N(S) follows the card's last I-block: the library's own follow-ups
        // (GET RESPONSE, a resend with the right Le) took sequence numbers too. A card that did
        // not answer with an I-block did not take this one.
        if ((response[1] & i_block_mask) == 0) pcb = static_cast<uint8_t>((response[1] & sequence_bit) ^ sequence_bit);
    }
    if (json) result.list("exchanges", exchanges).print();
    return 0;
}

}  // namespace

constexpr Command apdu_command{"apdu", "APDU...", "send APDUs (hexadecimal) to the processor card or a SAM",
                          options, run_apdu};

}  // namespace quillet_tool
