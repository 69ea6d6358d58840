/*
 * Processor cards (T=1): reset the card in the main slot, then command APDUs through cpu_protocol:
 * SELECT the application by its name, SELECT a file, READ BINARY, VERIFY the PIN (a wrong one,
 * then the right one) and read the file the PIN opens. Then the same dialogue's first step with
 * the card in SAM slot 1 through sam_slt_reset and sam_slt_protocol.
 *
 * Each APDU travels in a T=1 I-block: NAD PCB LEN APDU LRC. The library answers the card's 61xx
 * (GET RESPONSE) and 6Cxx (the command again with the right Le) itself, and those follow-ups take
 * sequence numbers too; so the next block's N(S) follows the card's last block, which the
 * response's byte 1 gives.
 *
 * Against the virtual reader (its processor card is examples/cpu_card.txt; PIN 01 is "1234"):
 *   eval "$(quillet-vreader --daemon --card cpu --sam 1:cpu)"
 *   ./example-processor-cards
 *   quillet-vreader ctl "$QUILLET_VREADER_CONTROL" stop
 */
#include <string.h>

#include "example_report.h"

#define SEQUENCE_BIT 0x40 /* N(S) in the PCB of an I-block */

/* One card slot's dialogue state: its slot number and the next I-block's PCB. */
struct card {
    int32_t handle;
    int16_t slot; /* 0: the main slot (cpu_protocol); 1..5: a SAM slot (sam_slt_protocol) */
    uint8_t pcb;
    uint8_t response[QL_CPU_RESPONSE_MAX]; /* NAD PCB LEN, then the data and SW1 SW2 */
};

/* Sends one APDU; returns the status word (0 when the call failed) and prints the exchange. */
static unsigned apdu(struct card* card, const char* what, const uint8_t* command, size_t length) {
    uint8_t block[QL_CPU_BLOCK_MAX];
    size_t n = 0, i, inf;
    uint8_t lrc = 0;
    int16_t status, response_length = 0;

    block[n++] = 0x00; /* NAD */
    block[n++] = card->pcb;
    block[n++] = (uint8_t)length;
    memcpy(block + n, command, length);
    n += length;
    for (i = 0; i < n; ++i) lrc ^= block[i];
    block[n++] = lrc;

    if (card->slot == 0)
        status = cpu_protocol(card->handle, (int16_t)n, block, card->response);
    else
        status = sam_slt_protocol(card->handle, card->slot, (int16_t)n, block, &response_length, card->response);
    expect(what, status);
    if (status != 0) return 0;
    if ((card->response[1] & 0x80) == 0) /* an I-block: the card took ours */
        card->pcb = (uint8_t)((card->response[1] & SEQUENCE_BIT) ^ SEQUENCE_BIT);
    inf = card->response[2];
    if (inf < 2) return 0;
    printf("    data:");
    for (i = 0; i + 2 < inf; ++i) printf(" %02X", card->response[3 + i]);
    printf("\n    SW %02X%02X\n", card->response[1 + inf], card->response[2 + inf]);
    return (unsigned)(card->response[1 + inf] << 8 | card->response[2 + inf]);
}

static void expect_sw(unsigned sw, unsigned expected) {
    if (sw != expected) {
        printf("    expected SW %04X\n", expected);
        failures++;
    }
}

int main(void) {
    static const uint8_t select_application[] = {0x00, 0xA4, 0x04, 0x00, 0x04, 0xF0, 0x51, 0x56, 0x52, 0x00};
    static const uint8_t select_holder[] = {0x00, 0xA4, 0x02, 0x0C, 0x02, 0x01, 0x01};
    static const uint8_t select_secret[] = {0x00, 0xA4, 0x02, 0x0C, 0x02, 0x01, 0x02};
    static const uint8_t read_binary[] = {0x00, 0xB0, 0x00, 0x00, 0x00}; /* Le 0: the card says how many */
    static const uint8_t verify_wrong[] = {0x00, 0x20, 0x00, 0x01, 0x04, '9', '9', '9', '9'};
    static const uint8_t verify_right[] = {0x00, 0x20, 0x00, 0x01, 0x04, '1', '2', '3', '4'};
    uint8_t answer[QL_CPU_ANSWER_MAX];
    int16_t answer_length = 0;
    struct card card;
    int32_t h = ic_init(0, 9600); /* port 0: COM1, or QUILLET_COM1 on Linux */
    if (h < 0) {
        printf("ic_init: %s\n", quillet_status_text((int16_t)h));
        return 1;
    }
    memset(&card, 0, sizeof card);
    card.handle = h;

    /* The reset starts a T=1 dialogue: both sides' sequence numbers are 0 again. cpu_reset does
     * not say how long the answer is; sam_slt_reset with slot 0 would. */
    memset(answer, 0, sizeof answer);
    expect("cpu_reset(h, answer)", cpu_reset(h, answer));
    printf("    answer to reset begins %02X %02X %02X\n", answer[0], answer[1], answer[2]);

    /* SELECT with Le: the card answers 61xx and the library fetches the FCI with GET RESPONSE. */
    expect_sw(apdu(&card, "SELECT the application F0 51 56 52", select_application, sizeof select_application), 0x9000);
    expect_sw(apdu(&card, "SELECT EF 0101 (holder)", select_holder, sizeof select_holder), 0x9000);
    /* READ BINARY with Le 0: the card answers 6C10 and the library asks again for 16 bytes. */
    expect_sw(apdu(&card, "READ BINARY", read_binary, sizeof read_binary), 0x9000);
    printf("    holder: %.16s\n", (const char*)card.response + 3);

    /* The secret file needs PIN 01. A card's refusal is a status word, not a failed call. */
    expect_sw(apdu(&card, "SELECT EF 0102 (secret)", select_secret, sizeof select_secret), 0x9000);
    expect_sw(apdu(&card, "READ BINARY before VERIFY", read_binary, sizeof read_binary), 0x6982);
    expect_sw(apdu(&card, "VERIFY a wrong PIN", verify_wrong, sizeof verify_wrong), 0x63C2);
    expect_sw(apdu(&card, "VERIFY PIN 01", verify_right, sizeof verify_right), 0x9000);
    expect_sw(apdu(&card, "READ BINARY", read_binary, sizeof read_binary), 0x9000);

    /* A SAM in slot 1: its own card with its own dialogue, reset and addressed by slot number. */
    expect("sam_slt_reset(h, 1, &answer_length, answer)", sam_slt_reset(h, 1, &answer_length, answer));
    printf("    SAM answer to reset: %d bytes\n", answer_length);
    card.slot = 1;
    card.pcb = 0x00;
    expect_sw(apdu(&card, "SAM: SELECT the application", select_application, sizeof select_application), 0x9000);

    ic_exit(h);
    return finish();
}
