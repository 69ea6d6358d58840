/* quillet-wintest --list          prints every session: its name, a tab, the virtual reader's arguments
 * quillet-wintest SESSION         runs one session against the virtual reader on COM1 */
#include <stdio.h>
#include <string.h>

#include "wintest.h"

static const struct session reader_sessions[] = {
    {"ports", "--card sle4442", ports_session, NULL},
    {"reader", "--version QVR-WINE-SESSION-1", reader_session, NULL},
    {"rates", "--rate 115200", rates_session, NULL},
    {"des", "", des_session, NULL},
    {"instructions", "--card sle4442", instructions_session, NULL},
};

/* Each group of card sessions. */
static void (*const card_groups[])(const struct session**, size_t*) = {card_sessions, crypto_card_sessions};

static size_t reader_session_count(void) { return sizeof reader_sessions / sizeof reader_sessions[0]; }

static const struct session* session_at(size_t i) {
    if (i < reader_session_count()) return &reader_sessions[i];
    i -= reader_session_count();
    for (size_t g = 0; g < sizeof card_groups / sizeof card_groups[0]; ++g) {
        const struct session* first;
        size_t count;
        card_groups[g](&first, &count);
        if (i < count) return &first[i];
        i -= count;
    }
    return NULL;
}

int main(int argc, char** argv) {
    if (argc == 2 && strcmp(argv[1], "--list") == 0) {
        for (size_t i = 0; session_at(i); ++i) printf("%s\t%s\n", session_at(i)->name, session_at(i)->vreader_arguments);
        return 0;
    }
    if (argc != 2) {
        fprintf(stderr, "usage: quillet-wintest --list | SESSION\n");
        return 2;
    }
    for (size_t i = 0; session_at(i); ++i) {
        const struct session* s = session_at(i);
        if (strcmp(s->name, argv[1]) != 0) continue;
        s->run(s);
        printf("session %s: %s\n", s->name, failed_checks() ? "FAILED" : "passed");
        return failed_checks() ? 1 : 0;
    }
    fprintf(stderr, "quillet-wintest: no session named %s\n", argv[1]);
    return 2;
}
