/* Uses quillet.h and quillet_status.h as a C or C++ application would; check_header.sh builds it
 * under every language standard, with <iso646.h> first when QL_TEST_ISO646_FIRST is defined, and
 * runs it against the shared library. Exits 0 when the export xor answers through the names the
 * language leaves free and the status texts read as documented. */
#ifdef QL_TEST_ISO646_FIRST
#include <iso646.h>
#endif
#include <stdio.h>
#include <string.h>

#include "quillet.h"
#include "quillet_status.h"

static int failures = 0;

static void expect(int ok, const char* what) {
    if (!ok) {
        failures++;
        printf("failed: %s\n", what);
    }
}

int main(void) {
    char text[QUILLET_STATUS_TEXT_SIZE];
    char small[8];

    expect(ql_xor(0x5A, 0x0F) == 0x55, "ql_xor(0x5A, 0x0F) is 0x55");
    expect(ql_xor(0x1FF, 0x100) == 0xFF, "ql_xor keeps the low 8 bits");
#if !defined(__cplusplus) && !defined(QL_TEST_ISO646_FIRST)
    expect(xor(0x5A, 0x0F) == 0x55, "xor(0x5A, 0x0F) is 0x55 in C");
#elif !defined(__cplusplus)
    expect((5 xor 3) == 6, "the caller's xor of <iso646.h> is left as it was");
#endif

    expect(strcmp(quillet_status_name(QL_TIMEOUT), "QL_TIMEOUT") == 0, "name of -132");
    expect(strcmp(quillet_status_name(-151), "QL_READER_STATUS") == 0, "name of a reader status");
    expect(strcmp(quillet_status_name(-300), "QL_UNKNOWN_STATUS") == 0, "name of no status");
    expect(strcmp(quillet_status_describe(-151, text, sizeof text), "-151: reader status byte 0x97") == 0,
           "a reader status byte in hex");
    expect(strcmp(quillet_status_describe(-5, text, sizeof text), "-5: reader status byte 0x05") == 0,
           "a small reader status byte");
    quillet_status_describe(QL_TIMEOUT, text, sizeof text);
    expect(strstr(text, "-132 QL_TIMEOUT: ") == text && strstr(text, "(or reader status byte 0x84)") != NULL,
           "a library code that is also a reader byte");
    quillet_status_describe(QL_REPLY_TOO_LONG, text, sizeof text);
    expect(strstr(text, "-256 QL_REPLY_TOO_LONG: ") == text && strstr(text, "reader") == NULL,
           "a library code beyond any reader byte");
    expect(strcmp(quillet_status_describe(0, text, sizeof text), "0 QL_OK: success") == 0, "success");
    expect(strcmp(quillet_status_describe(-151, small, sizeof small), "-151: r") == 0, "cut to the buffer");
    expect(quillet_status_describe(-151, small, 0) == small, "an empty buffer is left alone");
    return failures == 0 ? 0 : 1;
}
