/* A card session of each family: the card check, the security code where the family has one, a
 * write and the read-back of a stretch of the card. A new family adds one row. */
#include <stdio.h>
#include <string.h>

#include "wintest.h"

typedef int16_t(QL_CALL* check_fn)(int32_t handle);
typedef int16_t(QL_CALL* present_code_fn)(int32_t handle, int16_t length, const uint8_t* code);
typedef int16_t(QL_CALL* read_fn)(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer);
typedef int16_t(QL_CALL* write_fn)(int32_t handle, int16_t offset, int16_t length, const uint8_t* data);

struct memory_card {
    const char* family;           /* the session's name and the virtual reader's card */
    check_fn check;
    present_code_fn present_code; /* NULL: the family has no security code */
    int16_t code_length;          /* the factory code is all 0xFF */
    read_fn read;
    write_fn write;
    int16_t offset, length; /* in the family's units */
    int unit_bytes;         /* 2 for the word-organised cards */
};

static const struct memory_card memory_cards[] = {
    {"sle4442", chk_4442, csc_4442, 3, srd_4442, swr_4442, 64, 32, 1},
    {"2042", chk_2042, csc_2042, 3, srd_2042, swr_2042, 64, 32, 1},
    {"sle4432", chk_4432, NULL, 0, srd_4432, swr_4432, 64, 32, 1},
    {"sle4428", chk_4428, csc_4428, 2, srd_4428, swr_4428, 500, 200, 1},
    {"sle4418", chk_4418, NULL, 0, srd_4418, swr_4418, 500, 200, 1},
    {"24c01a", chk_24c01a, NULL, 0, srd_24c01a, swr_24c01a, 16, 32, 1},
    {"24c02", chk_24c02, NULL, 0, srd_24c02, swr_24c02, 100, 150, 1},
    {"24c04", chk_24c04, NULL, 0, srd_24c04, swr_24c04, 200, 200, 1},
    {"24c08", chk_24c08, NULL, 0, srd_24c08, swr_24c08, 700, 200, 1},
    {"24c16", chk_24c16, NULL, 0, srd_24c16, swr_24c16, 1500, 200, 1},
    {"24c32", chk_24c32, NULL, 0, srd_24c32, swr_24c32, 3000, 200, 1},
    {"24c64", chk_24c64, NULL, 0, srd_24c64, swr_24c64, 8000, 192, 1},
    {"93c46a", chk_93c46a, NULL, 0, srd_93c46a, swr_93c46a, 8, 20, 2},
    {"93c46", chk_93c46, NULL, 0, srd_93c46, swr_93c46, 16, 64, 1},
    {"93c57", chk_93c57, NULL, 0, srd_93c57, swr_93c57, 100, 100, 1},
    {"93c66", chk_93c66, NULL, 0, srd_93c66, swr_93c66, 300, 200, 1},
};

enum { memory_card_count = sizeof memory_cards / sizeof memory_cards[0] };

static void memory_card_session(const struct session* self);

void card_sessions(const struct session** first, size_t* count) {
    static struct session sessions[memory_card_count];
    static char arguments[memory_card_count][40];
    for (size_t i = 0; i < memory_card_count; ++i) {
        snprintf(arguments[i], sizeof arguments[i], "--card %s", memory_cards[i].family);
        sessions[i] = (struct session){memory_cards[i].family, arguments[i], memory_card_session, &memory_cards[i]};
    }
    *first = sessions;
    *count = memory_card_count;
}

enum { most_bytes = 512 };

static void memory_card_session(const struct session* self) {
    const struct memory_card* card = self->detail;
    const size_t bytes = (size_t)card->length * (size_t)card->unit_bytes;
    uint8_t pattern[most_bytes], back[most_bytes];
    for (size_t i = 0; i < bytes; ++i) pattern[i] = (uint8_t)(i * 7 + 3);
    memset(back, 0, sizeof back);

    const int32_t h = open_com1();
    if (h <= 0) return;
    expect_status("the card check accepts the card", card->check(h), 0);
    if (card->present_code) {
        const uint8_t factory_code[4] = {0xFF, 0xFF, 0xFF, 0xFF};
        expect_status("the factory security code is accepted", card->present_code(h, card->code_length, factory_code), 0);
    }
    expect_status("write", card->write(h, card->offset, card->length, pattern), 0);
    expect_status("read back", card->read(h, card->offset, card->length, back), 0);
    expect_bytes("the card holds what was written", back, pattern, bytes);
    close_port(h);
}
