/* quillet-wintest: a Windows console program that uses quillet.dll as an application does, run
 * under Wine against the virtual reader (COM1 is its pseudo-terminal). Each session runs in its
 * own process, with the virtual reader started for it with the session's arguments. */
#ifndef QUILLET_WINTEST_H
#define QUILLET_WINTEST_H

#include <stddef.h>

#include "quillet.h"

/* One session: its name, the virtual reader's arguments for it, and the code; the code returns
 * through the checks below. */
struct session {
    const char* name;
    const char* vreader_arguments;
    void (*run)(const struct session* self);
    const void* detail; /* the family's table row, for the card sessions */
};

/* Checks: each prints one line; a failed one is counted and makes the program's exit status 1. */
void expect_status(const char* what, long got, long expected);
int expect_true(const char* what, int condition);
int expect_bytes(const char* what, const unsigned char* got, const unsigned char* expected, size_t count);
int failed_checks(void);

/* ic_init(0, 9600): COM1, which the driver points at the virtual reader; a negative result is
 * a failed check. */
int32_t open_com1(void);
void close_port(int32_t handle);

/* The sessions of the reader itself and of the port openers. */
extern const char reader_version_text[];
void ports_session(const struct session* self);
void reader_session(const struct session* self);
void rates_session(const struct session* self);

/* The card sessions: one table row per family (wintest_cards.c, wintest_crypto.c). */
void card_sessions(const struct session** first, size_t* count);
void crypto_card_sessions(const struct session** first, size_t* count);
void des_session(const struct session* self);

/* exp_dis: instruction files on the SLE4442 (wintest_instructions.c). */
void instructions_session(const struct session* self);

#endif
