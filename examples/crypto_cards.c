/*
 * AT88SC1608 and AT88SC153 crypto memory cards: issue a fresh card (write its secret seed, close a
 * zone behind a mutual authentication and another behind a password), then use it as a terminal
 * would: authenticate host and card to each other with SetInit/Authenticate, read the closed
 * zone, present the password and write the other zone. The card keeps track of what was given;
 * a reset (or chk_) forgets it.
 *
 * The card's seed must stay secret: a real issuer keeps it (or the key it is derived from) in a
 * secure module, and personalises the card afterwards (psnl_1608, psnl_153) so that the seed can
 * no longer be read. This example leaves the card unpersonalised, so that it can be run again.
 *
 * Against the virtual reader:
 *   eval "$(quillet-vreader --daemon --card at88sc1608)"     (or --card at88sc153)
 *   ./example-crypto-cards
 *   quillet-vreader ctl "$QUILLET_VREADER_CONTROL" stop
 */
#include <string.h>

#include "example_report.h"

/* The two cards' functions differ in names and argument order, not in what they do. */
struct CryptoCard {
    const char* name;
    int16_t(QL_CALL* read_config)(int32_t h, int16_t address, int16_t length, uint8_t* buffer);
    int16_t(QL_CALL* write_config)(int32_t h, int16_t address, int16_t length, const uint8_t* data);
    int16_t(QL_CALL* init_auth)(int32_t h, int16_t length, const uint8_t* data);
    int16_t(QL_CALL* read_zone)(int32_t h, int16_t zone, int16_t address, int16_t length, uint8_t* buffer);
    int16_t(QL_CALL* write_zone)(int32_t h, int16_t zone, int16_t address, int16_t length, const uint8_t* data);
    int16_t(QL_CALL* write_access)(int32_t h, int16_t zone, int16_t length, const uint8_t* data);
    int16_t(QL_CALL* write_password)(int32_t h, int16_t set, int16_t selector, const uint8_t* password);
    int16_t(QL_CALL* present_password)(int32_t h, int16_t set, int16_t selector, const uint8_t* password);
};

static int16_t QL_CALL wsc_1608_(int32_t h, int16_t set, int16_t selector, const uint8_t* pw) {
    return wsc_1608(h, set, 3, selector, pw);
}
static int16_t QL_CALL csc_1608_(int32_t h, int16_t set, int16_t selector, const uint8_t* pw) {
    return csc_1608(h, set, 3, selector, pw);
}
static int16_t QL_CALL wsc_153_(int32_t h, int16_t set, int16_t selector, const uint8_t* pw) {
    return wsc_153(h, set, selector, 3, pw);
}
static int16_t QL_CALL csc_153_(int32_t h, int16_t set, int16_t selector, const uint8_t* pw) {
    return csc_153(h, set, selector, 3, pw);
}

static const struct CryptoCard at88sc1608 = {"AT88SC1608", srdconfig_1608, swrconfig_1608, init_auth_1608, srd_1608,
                                             swr_1608,     wac_1608,       wsc_1608_,      csc_1608_};
static const struct CryptoCard at88sc153 = {"AT88SC153", srdconfig_153, swrconfig_153, init_auth_153, srd_153,
                                            swr_153,     wac_153,       wsc_153_,      csc_153_};

static const uint8_t seed[8] = {0x15, 0x3A, 0x70, 0x0D, 0xBE, 0xEF, 0x42, 0x99};
static const uint8_t password[3] = {0x12, 0x34, 0x56};

/* Access registers: a bit at 0 switches a rule on; bits 0..2 name the password set (here 0). */
static const uint8_t needs_authentication = 0xD8; /* bit 5: reads and writes need an authentication */
static const uint8_t needs_write_password = 0x78; /* bit 7: writes need the write password of set 0 */

static void issue(const struct CryptoCard* card, int32_t h) {
    static const uint8_t secret[8] = "secret!";
    printf("issuing the card\n");
    expect("write the secret seed (configuration 40..47)", card->write_config(h, 40, 8, seed));
    expect("write password set 0 (write password)", card->write_password(h, 0, 0, password));
    expect("write zone 0", card->write_zone(h, 0, 0, 8, secret));
    expect("zone 0: authentication needed", card->write_access(h, 0, 1, &needs_authentication));
    expect("zone 1: write password needed", card->write_access(h, 1, 1, &needs_write_password));
}

/* Host and card prove to each other that they know the seed: 0, or the refusal's status. */
static int16_t mutual_authentication(const struct CryptoCard* card, int32_t h, const uint8_t q[8]) {
    uint8_t block1[8], out1[8], out2[8], data[16], after[8];
    int16_t s = card->read_config(h, 32, 8, block1); /* attempt counter and cryptogram */
    if (s != 0) return s;
    SetInit(block1, seed, q); /* q: 8 fresh random bytes of the host's */
    Authenticate(out1, out2);
    memcpy(data, q, 8);
    memcpy(data + 8, out1, 8);
    s = card->init_auth(h, 16, data); /* the card checks out1: refused when it differs */
    if (s != 0) return s;
    s = card->read_config(h, 32, 8, after); /* the card's new cryptogram proves it knows the seed */
    if (s != 0) return s;
    return after[0] == 0xFF && memcmp(after + 1, out2 + 1, 7) == 0 ? 0 : QL_WRONG_CARD;
}

static void use(const struct CryptoCard* card, int32_t h) {
    static const uint8_t q[8] = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0};
    static const uint8_t wrong[3] = {0, 0, 0};
    uint8_t zone0[8];
    printf("using the card\n");
    expect_refused("read zone 0 before authenticating", card->read_zone(h, 0, 0, 8, zone0));
    expect("mutual authentication", mutual_authentication(card, h, q));
    expect("read zone 0", card->read_zone(h, 0, 0, 8, zone0));
    printf("  zone 0: \"%.7s\"\n", (const char*)zone0);
    expect_refused("write zone 1 without the password", card->write_zone(h, 1, 0, 3, password));
    expect_refused("present a wrong password (one attempt gone)", card->present_password(h, 0, 0, wrong));
    expect("present the write password", card->present_password(h, 0, 0, password));
    expect("write zone 1", card->write_zone(h, 1, 0, 3, password));
}

int main(void) {
    const struct CryptoCard* card;
    int32_t h = ic_init(0, 9600);
    if (h < 0) {
        printf("ic_init: %s\n", quillet_status_text((int16_t)h));
        return 1;
    }
    /* The checks compare the card's answer to reset; they reset the card. */
    card = chk_1608(h) == 0 ? &at88sc1608 : chk_153(h) == 0 ? &at88sc153 : NULL;
    if (!card) {
        printf("neither an AT88SC1608 nor an AT88SC153 is in the reader\n");
        ic_exit(h);
        return 1;
    }
    printf("an %s is in the reader\n", card->name);
    issue(card, h);
    use(card, h);
    ic_exit(h);
    return finish();
}
