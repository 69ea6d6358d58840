/* The crypto memory cards, one table row per family: the card check, a zone written and read
 * back, the secret seed issued, and the mutual authentication computed on the host with SetInit
 * and Authenticate; and the host-side DES. */
#include <stdio.h>
#include <string.h>

#include "wintest.h"

typedef int16_t(QL_CALL* check_fn)(int32_t handle);
typedef int16_t(QL_CALL* zone_read_fn)(int32_t handle, int16_t zone, int16_t address, int16_t length, uint8_t* buffer);
typedef int16_t(QL_CALL* zone_write_fn)(int32_t handle, int16_t zone, int16_t address, int16_t length, const uint8_t* data);
typedef int16_t(QL_CALL* config_read_fn)(int32_t handle, int16_t address, int16_t length, uint8_t* buffer);
typedef int16_t(QL_CALL* config_write_fn)(int32_t handle, int16_t address, int16_t length, const uint8_t* data);
typedef int16_t(QL_CALL* init_auth_fn)(int32_t handle, int16_t length, const uint8_t* data);

struct crypto_card {
    const char* family; /* the session's name and the virtual reader's card */
    check_fn check;
    zone_read_fn read;
    zone_write_fn write;
    config_read_fn read_config;
    config_write_fn write_config;
    init_auth_fn init_auth;
};

static const struct crypto_card crypto_cards[] = {
    {"at88sc1608", chk_1608, srd_1608, swr_1608, srdconfig_1608, swrconfig_1608, init_auth_1608},
    {"at88sc153", chk_153, srd_153, swr_153, srdconfig_153, swrconfig_153, init_auth_153},
};

enum { crypto_card_count = sizeof crypto_cards / sizeof crypto_cards[0] };

/* Configuration addresses common to both families. */
enum { attempts_and_cryptogram = 32, secret_seed = 40 };

static void crypto_card_session(const struct session* self) {
    const struct crypto_card* card = self->detail;
    const int32_t h = open_com1();
    if (h <= 0) return;
    expect_status("the card check accepts the card", card->check(h), 0);

    uint8_t data[32], back[32];
    for (size_t i = 0; i < sizeof data; ++i) data[i] = (uint8_t)(0xA0 ^ i);
    memset(back, 0, sizeof back);
    expect_status("write 32 bytes of zone 0", card->write(h, 0, 16, 32, data), 0);
    expect_status("read them back", card->read(h, 0, 16, 32, back), 0);
    expect_bytes("the zone holds what was written", back, data, 32);

    const uint8_t seed[8] = {0x15, 0x3A, 0x70, 0x0D, 0xBE, 0xEF, 0x42, 0x99};
    const uint8_t q[8] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
    expect_status("write the secret seed", card->write_config(h, secret_seed, 8, seed), 0);

    uint8_t block1[8], out1[8], out2[8], request[16], after[8];
    expect_status("read the attempt counter and cryptogram", card->read_config(h, attempts_and_cryptogram, 8, block1), 0);
    SetInit(block1, seed, q);
    Authenticate(out1, out2);
    memcpy(request, q, 8);
    memcpy(request + 8, out1, 8);
    expect_status("the card accepts the host's authentication", card->init_auth(h, 16, request), 0);
    expect_status("read the new cryptogram", card->read_config(h, attempts_and_cryptogram, 8, after), 0);
    expect_true("attempts full again", after[0] == 0xFF);
    expect_bytes("the card's new cryptogram is the host's second output", after + 1, out2 + 1, 7);

    request[15] ^= 0x01;
    expect_true("an altered authentication is refused", card->init_auth(h, 16, request) != 0);
    close_port(h);
}

void crypto_card_sessions(const struct session** first, size_t* count) {
    static struct session sessions[crypto_card_count];
    static char arguments[crypto_card_count][40];
    for (size_t i = 0; i < crypto_card_count; ++i) {
        snprintf(arguments[i], sizeof arguments[i], "--card %s", crypto_cards[i].family);
        sessions[i] = (struct session){crypto_cards[i].family, arguments[i], crypto_card_session, &crypto_cards[i]};
    }
    *first = sessions;
    *count = crypto_card_count;
}

/* DES through the DLL: the textbook example (key 133457799BBCDFF1), and back. */
void des_session(const struct session* self) {
    (void)self;
    const uint8_t key[8] = {0x13, 0x34, 0x57, 0x79, 0x9B, 0xBC, 0xDF, 0xF1};
    const uint8_t plain[8] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
    const uint8_t cipher[8] = {0x85, 0xE8, 0x13, 0x54, 0x0F, 0x0A, 0xB4, 0x05};
    uint8_t out[16], back[16];
    expect_status("DES_Encrypt writes one block", DES_Encrypt(key, 8, plain, 8, out), 8);
    expect_bytes("DES_Encrypt gives the known cipher text", out, cipher, 8);
    expect_status("DES_Decrypt writes one block", DES_Decrypt(key, 8, out, 8, back), 8);
    expect_bytes("DES_Decrypt gives the plain text back", back, plain, 8);
    memset(out, 0, sizeof out);
    expect_status("ic_encrypt", ic_encrypt(key, plain, 8, out), 0);
    expect_bytes("ic_encrypt agrees with DES_Encrypt", out, cipher, 8);
    expect_status("DES_Encrypt rounds 9 bytes up to 16", DES_Encrypt(key, 8, plain, 9, out), 16);
}
