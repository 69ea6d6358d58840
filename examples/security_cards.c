/*
 * SLE4404 security memory cards: present the security code, write the application area, issue
 * the card, then erase the area with its erase code and write it anew. The card's EEPROM only
 * clears bits when it is written, so new values need an erase first; once the card is issued,
 * only the erase code opens the application area for erasing, and each presentation of that code
 * uses up one bit of its erase counter.
 *
 * Against the virtual reader (its card carries the security code FF FF and the erase code
 * FF FF FF FF):
 *   eval "$(quillet-vreader --daemon --card sle4404)"
 *   ./example-security-cards
 *   quillet-vreader ctl "$QUILLET_VREADER_CONTROL" stop
 */
#include <string.h>

#include "example_report.h"

int main(void) {
    static const uint8_t security_code[2] = {0xFF, 0xFF};
    static const uint8_t wrong_code[2] = {0x12, 0x34};
    static const uint8_t erase_code[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    static const uint8_t first[8] = "TICKET 1";
    static const uint8_t second[8] = "TICKET 2";
    uint8_t back[8];
    int16_t attempts = 0, erases = 0;
    int32_t h = ic_init(0, 9600); /* port 0: COM1, or QUILLET_COM1 on Linux */
    if (h < 0) {
        printf("ic_init: %s\n", quillet_status_text((int16_t)h));
        return 1;
    }
    if (chk_4404(h) != 0) {
        printf("no SLE4404 in the reader\n");
        ic_exit(h);
        return 1;
    }

    /* The error counter: a wrong security code costs an attempt, the right one gives them back. */
    expect("rsct_4404(h, &attempts)", rsct_4404(h, &attempts));
    printf("  %d attempts left for the security code\n", attempts);
    expect_refused("csc_4404(h, 2, wrong_code)", csc_4404(h, 2, wrong_code));
    expect("rsct_4404(h, &attempts)", rsct_4404(h, &attempts));
    printf("  %d attempts left after a wrong code\n", attempts);
    expect("csc_4404(h, 2, security_code)", csc_4404(h, 2, security_code));
    expect("rsct_4404(h, &attempts)", rsct_4404(h, &attempts));
    printf("  %d attempts left after the right one\n", attempts);

    /* The application area is bytes 14..39; byte 14 holds its flags, the data start at 15. */
    expect("swr_4404(h, 16, 8, first)", swr_4404(h, 16, 8, first));
    expect("srd_4404(h, 16, 8, back)", srd_4404(h, 16, 8, back));
    if (memcmp(back, first, sizeof first) != 0) failures++;

    /* Issue the card. psnl_4404 blows its fuse for good; here the reader only simulates a blown
     * fuse (fakefus_4404 with a non-zero flag), which fakefus_4404(h, 0) ends again. */
    expect("fakefus_4404(h, 1)", fakefus_4404(h, 1));

    /* An issued card erases its application area only after the erase code was presented. An
     * erase may not start inside 14..39, so it starts at 13 (code-protected, open with the
     * security code) and runs on across the area. */
    expect_refused("ser_4404(h, 13, 11)", ser_4404(h, 13, 11));
    expect("resct_4404(h, &erases)", resct_4404(h, &erases));
    printf("  %d erase code presentations left\n", erases);
    expect("cesc_4404(h, 4, erase_code)", cesc_4404(h, 4, erase_code));
    expect("resct_4404(h, &erases)", resct_4404(h, &erases));
    printf("  %d left: every presentation takes one\n", erases);
    expect("ser_4404(h, 13, 11)", ser_4404(h, 13, 11));
    expect("swr_4404(h, 16, 8, second)", swr_4404(h, 16, 8, second));
    expect("srd_4404(h, 16, 8, back)", srd_4404(h, 16, 8, back));
    if (memcmp(back, second, sizeof second) != 0) failures++;
    printf("  bytes 16..23: %.8s\n", (const char*)back);

    expect("fakefus_4404(h, 0)", fakefus_4404(h, 0));
    ic_exit(h);
    return finish();
}
