/*
 * I2C (24Cxx) and three-wire (93Cxx) EEPROM cards: these cards carry no identification, so the
 * library's size checks find out which chip is in the reader (they write single bytes near the
 * top of a size and watch whether they also show lower down, where a smaller chip's address lines
 * wrap; every probed byte is written back). Then a record is written at the top of the card and
 * read back; a three-wire card is also erased whole.
 *
 * Against the virtual reader:
 *   eval "$(quillet-vreader --daemon --card 24c02)"     (or 93c46, 24c64, 93c66, ...)
 *   ./example-eeprom-cards
 *   quillet-vreader ctl "$QUILLET_VREADER_CONTROL" stop
 */
#include <string.h>

#include "example_report.h"

typedef int16_t(QL_CALL* Check)(int32_t);
typedef int16_t(QL_CALL* Read)(int32_t, int16_t, int16_t, uint8_t*);
typedef int16_t(QL_CALL* Write)(int32_t, int16_t, int16_t, const uint8_t*);
typedef int16_t(QL_CALL* EraseAll)(int32_t);

struct Eeprom {
    const char* name;
    int16_t size; /* in address units: bytes, or 16-bit words on the 93C46A */
    Check check;
    Read read;
    Write write;
    EraseAll erase_all; /* three-wire cards only */
};

/* Larger sizes first: a size check passes only for its own size. */
static const struct Eeprom eeproms[] = {
    {"24C64", 8192, chk_24c64, srd_24c64, swr_24c64, NULL},
    {"24C32", 4096, chk_24c32, srd_24c32, swr_24c32, NULL},
    {"24C16", 2048, chk_24c16, srd_24c16, swr_24c16, NULL},
    {"24C08", 1024, chk_24c08, srd_24c08, swr_24c08, NULL},
    {"24C04", 512, chk_24c04, srd_24c04, swr_24c04, NULL},
    {"24C02", 256, chk_24c02, srd_24c02, swr_24c02, NULL},
    {"24C01A", 128, chk_24c01a, srd_24c01a, swr_24c01a, NULL},
    {"93C66", 512, chk_93c66, srd_93c66, swr_93c66, eral_93c66},
    {"93C57", 256, chk_93c57, srd_93c57, swr_93c57, eral_93c57},
    {"93C46", 128, chk_93c46, srd_93c46, swr_93c46, eral_93c46},
    {"93C46A", 64, chk_93c46a, srd_93c46a, swr_93c46a, eral_93c46a},
};

static const struct Eeprom* identify(int32_t h) {
    size_t i;
    for (i = 0; i < sizeof eeproms / sizeof eeproms[0]; ++i)
        if (eeproms[i].check(h) == 0) return &eeproms[i];
    return NULL;
}

int main(void) {
    static const uint8_t record[16] = "EEPROM record 01";
    uint8_t back[32];
    const struct Eeprom* card;
    int16_t top, units;
    int32_t h = ic_init(0, 9600);
    if (h < 0) {
        printf("ic_init: %s\n", quillet_status_text((int16_t)h));
        return 1;
    }

    card = identify(h);
    if (!card) {
        printf("no EEPROM card of a known size is in the reader\n");
        ic_exit(h);
        return 1;
    }
    printf("a %s card is in the reader (%d address units)\n", card->name, card->size);

    /* The last 16 bytes of the card: 16 units, or 8 words of the word-organised 93C46A. */
    units = (int16_t)(card->size == 64 ? 8 : 16);
    top = (int16_t)(card->size - units);
    expect("write a record at the top", card->write(h, top, units, record));
    memset(back, 0, sizeof back);
    expect("read it back", card->read(h, top, units, back));
    if (memcmp(back, record, sizeof record) != 0) failures++;
    printf("  read: \"%.16s\"\n", (const char*)back);

    /* Reading past the end is refused before anything is sent. */
    expect_refused("read one unit past the end", card->read(h, card->size, 1, back));

    if (card->erase_all) {
        expect("erase the whole card", card->erase_all(h));
        expect("read the record's place", card->read(h, top, units, back));
        printf("  after the erase: %02X %02X ... (FF: erased)\n", back[0], back[1]);
        if (back[0] != 0xFF) failures++;
    }
    ic_exit(h);
    return finish();
}
