/*
 * SLE4442 and SLE4428 memory cards: find out which of the two is in the reader, then a session
 * with it: read the card, present its security code, write, read back, protect bytes, and read the
 * error counter that counts wrong codes.
 *
 * Against the virtual reader (its cards carry the transport codes FF FF FF and FF FF):
 *   eval "$(quillet-vreader --daemon --card sle4442)"      (or --card sle4428)
 *   ./example-sle-cards
 *   quillet-vreader ctl "$QUILLET_VREADER_CONTROL" stop
 */
#include <string.h>

#include "example_report.h"

static void sle4442_session(int32_t h) {
    static const uint8_t code[3] = {0xFF, 0xFF, 0xFF};
    static const uint8_t record[16] = "SLE4442 record 1";
    uint8_t identification[8], back[16], protection[4];
    int16_t attempts = 0;

    /* Bytes 0..7 identify the card; they come protected from the factory. */
    expect("srd_4442(h, 0, 8, identification)", srd_4442(h, 0, 8, identification));
    expect("rsct_4442(h, &attempts)", rsct_4442(h, &attempts));
    printf("  %d attempts left for the security code\n", attempts);

    /* Until the code is presented the card takes no writes; a wrong code costs an attempt. */
    expect("csc_4442(h, 3, code)", csc_4442(h, 3, code));
    expect("swr_4442(h, 64, 16, record)", swr_4442(h, 64, 16, record));
    expect("srd_4442(h, 64, 16, back)", srd_4442(h, 64, 16, back));
    if (memcmp(back, record, sizeof record) != 0) failures++;

    /* Bytes 0..31 can be protected for good: pwr_4442 presents their content, which must match. */
    expect("swr_4442(h, 16, 4, record)", swr_4442(h, 16, 4, record));
    expect("pwr_4442(h, 16, 4, record)", pwr_4442(h, 16, 4, record));
    expect("prd_4442(h, 4, protection)", prd_4442(h, 4, protection));
    printf("  protection bits of bytes 16..23: %02X (0 = protected)\n", protection[2]);
    /* The card refuses to change a protected byte: the status is minus the reader's status byte. */
    expect_refused("swr_4442(h, 16, 1, \"x\")", swr_4442(h, 16, 1, (const uint8_t*)"x"));
}

static void sle4428_session(int32_t h) {
    static const uint8_t code[2] = {0xFF, 0xFF};
    static const uint8_t record[16] = "SLE4428 record 1";
    uint8_t back[16], pairs[8];
    int16_t attempts = 0;

    expect("rsct_4428(h, &attempts)", rsct_4428(h, &attempts));
    printf("  %d attempts left for the security code\n", attempts);
    expect("csc_4428(h, 2, code)", csc_4428(h, 2, code));
    expect("swr_4428(h, 100, 16, record)", swr_4428(h, 100, 16, record));
    expect("srd_4428(h, 100, 16, back)", srd_4428(h, 100, 16, back));
    if (memcmp(back, record, sizeof record) != 0) failures++;

    /* Every byte has its own protection bit: write and protect in one go, then look. */
    expect("wrwpb_4428(h, 200, 4, record)", wrwpb_4428(h, 200, 4, record));
    expect("rdwpb_4428(h, 200, 4, pairs)", rdwpb_4428(h, 200, 4, pairs));
    printf("  byte 200: %02X, protection state %02X\n", pairs[0], pairs[1]);
}

int main(void) {
    int32_t h = ic_init(0, 9600); /* port 0: COM1, or QUILLET_COM1 on Linux */
    if (h < 0) {
        printf("ic_init: %s\n", quillet_status_text((int16_t)h));
        return 1;
    }
    /* Each check reads the card's identification bytes; QL_WRONG_CARD means "not this family". */
    if (chk_4442(h) == 0) {
        printf("an SLE4442 is in the reader\n");
        sle4442_session(h);
    } else if (chk_4428(h) == 0) {
        printf("an SLE4428 is in the reader\n");
        sle4428_session(h);
    } else {
        printf("neither an SLE4442 nor an SLE4428 is in the reader\n");
        failures++;
    }
    ic_exit(h);
    return finish();
}
