/*
 * What the example programs share: each call's status printed as the library describes it, and a
 * count of the calls that did not turn out as the example expects (its exit status).
 */
#ifndef EXAMPLE_REPORT_H
#define EXAMPLE_REPORT_H

#include <stdio.h>

#include "quillet.h"
#include "quillet_status.h"

static int failures = 0;

/* Prints a call and its status; counts a failure when the call should have succeeded and did
 * not, or should have been refused and was not. */
static inline void report(const char* call, int16_t status, int should_succeed) {
    char text[QUILLET_STATUS_TEXT_SIZE];
    printf("  %-44s %s\n", call, quillet_status_describe(status, text, sizeof text));
    if ((status == 0) != (should_succeed != 0)) failures++;
}

static inline void expect(const char* call, int16_t status) { report(call, status, 1); }
static inline void expect_refused(const char* call, int16_t status) { report(call, status, 0); }

/* The end of every example: 0 when everything turned out as expected. */
static inline int finish(void) {
    printf("%s\n", failures ? "something did not go as expected" : "done");
    return failures ? 1 : 0;
}

#endif
