/*
 * Quick start: what an application does with a reader on COM1 (QUILLET_COM1 on Linux).
 * Opens the port, identifies the reader, uses its own services, and reads and writes its
 * memory; prints a transcript of every call and its status.
 */
#include <stdio.h>
#include <string.h>

#include "quillet.h"

static int failures = 0;

static void show(const char* call, int status) {
    printf("  %-44s -> %d%s\n", call, status, status == 0 ? "" : "  (failed)");
    if (status != 0) failures++;
}

static void show_hex(const char* label, const uint8_t* bytes, int count) {
    char text[2 * 64 + 1];
    hex_asc(bytes, (uint8_t*)text, count);
    printf("      %s: %s\n", label, text);
}

int main(void) {
    uint8_t version[20] = {0};
    lib_ver(version);
    printf("Quillet library %s\n\n", (const char*)version);

    printf("Opening COM1 at 9600 baud\n");
    int32_t handle = ic_init(0, 9600);
    printf("  %-44s -> %d\n", "ic_init(0, 9600)", (int)handle);
    if (handle < 0) {
        printf("no port: set QUILLET_COM1 to the virtual reader's pseudo-terminal\n");
        return 1;
    }

    printf("\nIdentifying the reader\n");
    memset(version, 0, sizeof version);
    show("srd_ver(h, 18, version)", srd_ver(handle, 18, version));
    printf("      version text: %.18s\n", (const char*)version);

    printf("\nThe reader's own services\n");
    int16_t state = -1;
    show("dv_beep(h, 10)", dv_beep(handle, 10));
    show("get_status(h, &state)", get_status(handle, &state));
    printf("      card state: %d (%s)\n", state, state ? "a card is inserted" : "no card");

    const uint8_t greeting[] = "Hello from quillet";
    uint8_t back[sizeof greeting] = {0};
    show("swr_eeprom(h, 0, 19, greeting)", swr_eeprom(handle, 0, (int16_t)sizeof greeting, greeting));
    show("srd_eeprom(h, 0, 19, back)", srd_eeprom(handle, 0, (int16_t)sizeof back, back));
    printf("      user area: \"%s\"\n", (const char*)back);

    uint8_t serial[16];
    show("srd_snr(h, 16, serial)", srd_snr(handle, 16, serial));
    show_hex("serial number", serial, 16);
    const uint8_t device_code[3] = {0x12, 0x34, 0x56};
    show("swr_dvsc(h, 3, 12 34 56)", swr_dvsc(handle, 3, device_code));
    show("cmp_dvsc(h, 3, 12 34 56)", cmp_dvsc(handle, 3, device_code));

    int32_t value = 0;
    show("val_set(h, 1000)", val_set(handle, 1000));
    show("val_inc(h, 250)", val_inc(handle, 250));
    show("val_dec(h, 100)", val_dec(handle, 100));
    show("val_read(h, &value)", val_read(handle, &value));
    printf("      stored value: %d\n", (int)value);
    printf("  %-44s -> %d  (refused: the value stays)\n", "val_dec(h, 5000)", val_dec(handle, 5000));

    printf("\nA card session on the SLE4442 in the slot\n");
    show("chk_4442(h)  (is it an SLE4442?)", chk_4442(handle));
    uint8_t card[32] = {0};
    show("srd_4442(h, 32, 16, card)", srd_4442(handle, 32, 16, card));
    show_hex("bytes 32..47", card, 16);
    int16_t attempts = -1;
    show("rsct_4442(h, &attempts)", rsct_4442(handle, &attempts));
    printf("      error counter: %d\n", attempts);
    const uint8_t code[3] = {0xFF, 0xFF, 0xFF};
    show("csc_4442(h, 3, FF FF FF)  (present the code)", csc_4442(handle, 3, code));
    const uint8_t record[16] = "quillet demo  01";
    show("swr_4442(h, 32, 16, record)", swr_4442(handle, 32, 16, record));
    show("srd_4442(h, 32, 16, card)", srd_4442(handle, 32, 16, card));
    printf("      bytes 32..47 now: \"%.16s\"\n", (const char*)card);

    printf("\nClosing\n");
    show("ic_exit(h)", ic_exit(handle));
    printf("\n%s\n", failures ? "some calls failed" : "all calls succeeded");
    return failures ? 1 : 0;
}
