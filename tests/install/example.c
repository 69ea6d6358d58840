/* An application of the installed package: identifies the reader on port 0 and reads the first
 * bytes of the SLE4442 in its slot. Prints one line; exit status 0 when every call succeeded,
 * otherwise each status in words (quillet_status.h). */
#include <stdio.h>

#include <quillet.h>
#include <quillet_status.h>

int main(void) {
    uint8_t version[19] = {0};
    uint8_t bytes[4] = {0};
    const int32_t handle = ic_init(0, 115200);
    if (handle < 0) {
        fprintf(stderr, "ic_init: %d\n", (int)handle);
        return 1;
    }
    const int16_t status = srd_ver(handle, 18, version);
    const int16_t read = srd_4442(handle, 0, 4, bytes);
    ic_exit(handle);
    if (status != 0 || read != 0) {
        char text[QUILLET_STATUS_TEXT_SIZE];
        fprintf(stderr, "srd_ver: %s\n", quillet_status_describe(status, text, sizeof text));
        fprintf(stderr, "srd_4442: %s\n", quillet_status_describe(read, text, sizeof text));
        return 1;
    }
    printf("reader %s, card %02X%02X%02X%02X\n", (const char*)version, bytes[0], bytes[1], bytes[2], bytes[3]);
    return 0;
}
