/*
 * Errors and how an application gets over them:
 *   1. a time-out: the port is open but no reply comes, here because the reader runs at another
 *      rate; chk_baud finds the rate and the port is opened again there;
 *   2. a wrong security code: the card counts it; the right code fills the counter up again;
 *   3. a locked card: after three wrong codes the card takes no code any more, not even the right
 *      one, and stays locked for good: the application can only retire it;
 *   4. no card: the card-present query says the slot is empty, and card commands are refused.
 * Every failure is a status; quillet_status.h turns it into text.
 *
 * Against the virtual reader: port 0 a reader at 115200 baud with an SLE4442 (the program does
 * not know the rate), port 1 a reader with an empty slot:
 *   eval "$(quillet-vreader --daemon --rate 115200 --card sle4442)"
 *   eval "$(quillet-vreader --daemon --com 2)"
 *   ./example-errors
 * The first step waits for real time-outs: about 2 s, then about 2.5 s for chk_baud.
 */
#include <time.h>

#include "example_report.h"

static const uint8_t right_code[3] = {0xFF, 0xFF, 0xFF};
static const uint8_t wrong_code[3] = {0x12, 0x34, 0x56};

static int32_t open_after_time_out(void) {
    uint8_t version[18];
    int32_t rate;
    int16_t s;
    time_t started;
    int32_t h = ic_init(0, 9600); /* opens the port; the reader is not asked anything yet */
    if (h < 0) return h;
    printf("1. the reader does not answer at 9600 baud\n");
    started = time(NULL);
    s = srd_ver(h, 18, version);
    expect_refused("srd_ver(h, 18, version)", s);
    printf("  (after about %d s)\n", (int)(time(NULL) - started));
    if (s != QL_TIMEOUT) failures++;
    ic_exit(h);

    /* chk_baud tries the reader's rates in turn and leaves the port closed (up to 23 s). */
    rate = chk_baud(0);
    printf("  chk_baud(0) -> %d\n", (int)rate);
    if (rate <= 0) return rate;
    h = ic_init(0, rate);
    if (h >= 0) expect("srd_ver at the rate found", srd_ver(h, 18, version));
    return h;
}

static void wrong_code_then_right(int32_t h) {
    int16_t attempts = 0;
    printf("2. a wrong security code\n");
    expect_refused("csc_4442(h, 3, wrong)", csc_4442(h, 3, wrong_code));
    expect("rsct_4442(h, &attempts)", rsct_4442(h, &attempts));
    printf("  %d attempts left\n", attempts);
    expect("csc_4442(h, 3, right)", csc_4442(h, 3, right_code));
    expect("rsct_4442(h, &attempts)", rsct_4442(h, &attempts));
    printf("  %d attempts left again\n", attempts);
    if (attempts != 3) failures++;
}

static void locked_card(int32_t h) {
    int16_t attempts = -1;
    int i;
    printf("3. three wrong codes lock the card\n");
    for (i = 0; i < 3; ++i) expect_refused("csc_4442(h, 3, wrong)", csc_4442(h, 3, wrong_code));
    expect_refused("csc_4442(h, 3, right)  (too late)", csc_4442(h, 3, right_code));
    expect("rsct_4442(h, &attempts)", rsct_4442(h, &attempts));
    printf("  %d attempts left: the card is locked for good; retire it\n", attempts);
    if (attempts != 0) failures++;
}

static void no_card(void) {
    uint8_t data[4];
    int16_t state = -1;
    int32_t h = ic_init(1, 9600); /* port 1: COM2, or QUILLET_COM2 on Linux */
    printf("4. no card in the reader on port 1\n");
    if (h < 0) {
        expect("ic_init(1, 9600)", (int16_t)h);
        return;
    }
    /* get_status asks up to three times; state 0 means the slot is empty. */
    expect("get_status(h, &state)", get_status(h, &state));
    printf("  card state %d: %s\n", state, state == 0 ? "no card, ask for one" : "a card is in");
    if (state != 0) failures++;
    expect_refused("srd_4442(h, 0, 4, data)", srd_4442(h, 0, 4, data));
    ic_exit(h);
}

int main(void) {
    int32_t h = open_after_time_out();
    if (h < 0) {
        printf("no reader found: %s\n", quillet_status_text((int16_t)h));
        return 1;
    }
    wrong_code_then_right(h);
    locked_card(h);
    ic_exit(h);
    no_card();
    return finish();
}
