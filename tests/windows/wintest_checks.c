#include <stdio.h>
#include <string.h>

#include "wintest.h"

static int failures;

static int record(const char* what, int passed, const char* detail) {
    printf("  %-4s %s%s\n", passed ? "ok" : "FAIL", what, detail);
    if (!passed) ++failures;
    fflush(stdout);
    return passed;
}

void expect_status(const char* what, long got, long expected) {
    char detail[64];
    snprintf(detail, sizeof detail, got == expected ? "" : " (got %ld, expected %ld)", got, expected);
    record(what, got == expected, detail);
}

int expect_true(const char* what, int condition) { return record(what, condition, ""); }

int expect_bytes(const char* what, const unsigned char* got, const unsigned char* expected, size_t count) {
    char detail[64] = "";
    size_t at = 0;
    while (at < count && got[at] == expected[at]) ++at;
    if (at < count) snprintf(detail, sizeof detail, " (byte %u is %02X, expected %02X)", (unsigned)at, got[at], expected[at]);
    return record(what, at == count, detail);
}

int failed_checks(void) { return failures; }

int32_t open_com1(void) {
    const int32_t handle = ic_init(0, 9600);
    char what[64];
    snprintf(what, sizeof what, "ic_init(0, 9600) opens COM1 (handle %ld)", (long)handle);
    expect_true(what, handle > 0);
    return handle;
}

void close_port(int32_t handle) {
    if (handle > 0) expect_status("ic_exit closes the port", ic_exit(handle), 0);
}
