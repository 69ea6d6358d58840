/* exp_dis through quillet.dll: instruction files on the SLE4442, run in a temporary directory of
 * their own (the scratch files ins.ins and data.tmp and the output files go to the current one). */
#include <direct.h>
#include <stdio.h>
#include <string.h>
#include <windows.h>

#include "wintest.h"

static void write_text(const char* name, const char* text) {
    FILE* f = fopen(name, "wb");
    if (f == NULL) return;
    fputs(text, f);
    fclose(f);
}

static size_t read_bytes(const char* name, unsigned char* into, size_t capacity) {
    FILE* f = fopen(name, "rb");
    if (f == NULL) return 0;
    const size_t got = fread(into, 1, capacity, f);
    fclose(f);
    return got;
}

static int missing(const char* name) { return GetFileAttributesA(name) == INVALID_FILE_ATTRIBUTES; }

static void run_instruction_files(int32_t h) {
    int16_t failed = -1;
    write_text("job.ins",
               "csc_4442(dev, 3) { 0xFF, 0xFF, 0xFF }\r\n"
               "swr_4442(dev, 0x40, 0) { \"WINE\", (0x2A)*2 }\r\n"
               "srd_4442(dev, 0x40, 6, \"out.bin/wb\") { }\r\n");
    expect_status("exp_dis runs the three instructions", exp_dis(h, "job.ins", &failed), 0);
    expect_status("failed_index stays 0", failed, 0);
    unsigned char got[8] = {0};
    expect_true("out.bin holds the 6 bytes read", read_bytes("out.bin", got, sizeof got) == 6);
    expect_bytes("the bytes written through the data block", got, (const unsigned char*)"WINE**", 6);
    expect_true("the scratch files are gone", missing("ins.ins") && missing("data.tmp"));

    write_text("job.ins",
               "turn_on(dev) { }\r\n"
               "srd_4442(dev, 300, 1, \"never.bin\") { }\r\n");
    expect_status("the second instruction's address is refused", exp_dis(h, "job.ins", &failed), QL_BAD_ADDRESS);
    expect_status("failed_index names it", failed, 1);
    expect_true("its output file is removed", missing("never.bin"));

    write_text("job.ins", "srd_4442(dev, 0, 1, \"out.bin/wx\") { }");
    expect_status("a mode that is not a standard one is refused", exp_dis(h, "job.ins", &failed), 254);
}

void instructions_session(const struct session* self) {
    (void)self;
    char before[MAX_PATH], base[MAX_PATH], directory[MAX_PATH + 40];
    if (!expect_true("the current and the temporary directory are known",
                     GetCurrentDirectoryA(MAX_PATH, before) > 0 && GetTempPathA(MAX_PATH, base) > 0))
        return;
    snprintf(directory, sizeof directory, "%squillet-wintest-%lu", base, (unsigned long)GetCurrentProcessId());
    if (!expect_true("a directory of its own", _mkdir(directory) == 0 && _chdir(directory) == 0)) return;
    const int32_t h = open_com1();
    if (h > 0) {
        run_instruction_files(h);
        close_port(h);
    }
    remove("job.ins");
    remove("out.bin");
    _chdir(before);
    _rmdir(directory);
}
