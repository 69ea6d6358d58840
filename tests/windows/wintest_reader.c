/* The port openers and the reader's own services, through quillet.dll. */
#include <string.h>
#include <time.h>

#include "wintest.h"

const char reader_version_text[] = "QVR-WINE-SESSION-1"; /* the reader session's --version */

static long milliseconds_since(clock_t start) { return (long)((clock() - start) * 1000 / CLOCKS_PER_SEC); }

static void expect_version(int32_t handle) {
    uint8_t version[18] = {0};
    expect_status("srd_ver reads the reader's version text", srd_ver(handle, 10, version), 0);
    expect_true("the version text is the reader's", version[0] == 'Q' && version[1] == 'V' && version[2] == 'R');
}

void ports_session(const struct session* self) {
    (void)self;
    const int32_t handle = open_com1();
    if (handle <= 0) return;
    expect_version(handle);
    close_port(handle);

    const int32_t again = ic_init(20, 9600);
    expect_true("port number 20 opens COM1", again > 0);
    expect_version(again);
    close_port(again);

    expect_status("COM2, whose device refuses access, is reported held", ic_init(1, 9600), QL_PORT_BUSY);
    expect_status("port number 19 is \\\\.\\COM20, which does not exist", ic_init(19, 9600), QL_PORT_ERROR);
    expect_status("the parallel port at 888 without port access: a port error, not a crash", ic_init(888, 0), QL_PORT_ERROR);
    expect_status("ic_exit of the nibble link handle", ic_exit(QL_NIBBLE_LINK), 0);
}

void reader_session(const struct session* self) {
    (void)self;
    const int32_t h = open_com1();
    if (h <= 0) return;
    uint8_t text[20];
    memset(text, 0xEE, sizeof text);
    expect_status("srd_ver(18)", srd_ver(h, 18, text), 0);
    expect_bytes("srd_ver(18) copies the whole version text", text, (const uint8_t*)reader_version_text, 18);
    expect_true("srd_ver adds no terminating zero", text[18] == 0xEE);
    expect_status("srd_ver(12) is refused", srd_ver(h, 12, text), QL_BAD_LENGTH);
    expect_status("lib_ver", lib_ver(text), 0);
    expect_bytes("lib_ver's text and zero", text, (const uint8_t*)"KOV###DRVSFT-V9.40A", 20);

    const uint8_t query[] = {0xAA, 0xB9, 0x00, 0x05, 0x80, 0x00, 0x00, 0x00, 0x00};
    expect_status("cr_bcc of the card-present query", cr_bcc(sizeof query, query), 0x96);

    int16_t state = -1;
    expect_status("dv_beep", dv_beep(h, 3), 0);
    expect_status("get_status", get_status(h, &state), 0);
    expect_status("an empty reader reports state 0", state, 0);
    expect_status("turn_on", turn_on(h), 0);
    expect_status("turn_off", turn_off(h), 0);

    const uint8_t pattern[16] = {0x51, 0x75, 0x69, 0x6C, 0x6C, 0x65, 0x74, 0x00, 0xFF, 0x01, 0x80, 0x7F, 0x10, 0x20, 0x30, 0x40};
    uint8_t back[16] = {0};
    expect_status("swr_eeprom 8 bytes at 100", swr_eeprom(h, 100, 8, pattern), 0);
    expect_status("srd_eeprom 8 bytes at 100", srd_eeprom(h, 100, 8, back), 0);
    expect_bytes("the user area holds what was written", back, pattern, 8);

    expect_status("swr_snr", swr_snr(h, 16, pattern), 0);
    memset(back, 0, sizeof back);
    expect_status("srd_snr", srd_snr(h, 16, back), 0);
    expect_bytes("the serial number reads back", back, pattern, 16);

    const uint8_t code[3] = {0x12, 0x34, 0x56}, other[3] = {0x12, 0x34, 0x57};
    expect_status("swr_dvsc", swr_dvsc(h, 3, code), 0);
    memset(back, 0, sizeof back);
    expect_status("srd_dvsc", srd_dvsc(h, 3, back), 0);
    expect_bytes("the device code reads back", back, code, 3);
    expect_status("cmp_dvsc with the device code", cmp_dvsc(h, 3, code), 0);
    expect_true("cmp_dvsc with another code does not agree", cmp_dvsc(h, 3, other) != 0);

    int32_t value = 0;
    expect_status("val_set 1000", val_set(h, 1000), 0);
    expect_status("val_inc 50", val_inc(h, 50), 0);
    expect_status("val_dec 30", val_dec(h, 30), 0);
    expect_status("val_read", val_read(h, &value), 0);
    expect_status("the stored value", value, 1020);
    expect_status("val_dec beyond the stored value", val_dec(h, 5000), QL_VALUE_TOO_SMALL);
    expect_status("val_read", val_read(h, &value), 0);
    expect_status("the refused subtraction left the value", value, 1020);
    close_port(h);
}

/* The reader runs at 115200: the line speed of the Windows port decides whether it answers. */
void rates_session(const struct session* self) {
    (void)self;
    uint8_t version[10];
    const int32_t slow = open_com1();
    if (slow <= 0) return;
    const clock_t start = clock();
    expect_status("at 9600 the reader does not answer", srd_ver(slow, 10, version), QL_TIMEOUT);
    const long waited = milliseconds_since(start);
    expect_true("the normal reply wait gave up after about 2 s", waited >= 1900 && waited < 3000);
    close_port(slow);

    expect_status("chk_baud finds 115200", chk_baud(0), 115200);
    const int32_t fast = ic_init(0, 115200);
    expect_true("ic_init(0, 115200)", fast > 0);
    expect_version(fast);
    close_port(fast);

    const int32_t moved = auto_init(0, 9600);
    expect_true("auto_init(0, 9600) brings the reader to 9600", moved > 0);
    expect_version(moved);
    close_port(moved);
    const int32_t plain = open_com1();
    expect_version(plain);
    close_port(plain);
}
