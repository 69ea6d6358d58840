/* Uses quillet.h, quillet_status.h and quillet_families.h as a C or C++ application would; check_header.sh builds it
 * under every language standard, with <iso646.h> first when QL_TEST_ISO646_FIRST is defined, and
 * runs it against the shared library. Exits 0 when the export xor answers through the names the
 * language leaves free, the status texts read as documented and the family catalogue holds
 * together (every family in exactly one memory shape, its zones summing to its size, a code list
 * for every code kind, chk_card's ranks and numbers each given once). */
#ifdef QL_TEST_ISO646_FIRST
#include <iso646.h>
#endif
#include <stdio.h>
#include <string.h>

#include "quillet.h"
#include "quillet_status.h"
#include "quillet_families.h"

static int failures = 0;

static void expect(int ok, const char* what) {
    if (!ok) {
        failures++;
        printf("failed: %s\n", what);
    }
}

/* Counts per family, filled by expanding the catalogue's lists. */
#define ROWS QL_FAMILY_COUNT
static int shapes[ROWS], memory_lists[ROWS], zone_rows[ROWS], zone_units[ROWS], code_lists[ROWS];
static int erase_lists[ROWS], kinds[ROWS], checks[ROWS];
static long units[ROWS];

#define COUNT_ZONE(key, zone, size, read_end, write_end, erase_code) \
    zone_rows[QL_FAMILY_##key]++; \
    zone_units[QL_FAMILY_##key] += size; \
    expect(read_end >= size && write_end > 0 && zone < 16, #key " zone " #zone " bounds");
#define COUNT_MEMORY(key, read, write) memory_lists[QL_FAMILY_##key]++;
#define COUNT_CODE(key, present, change, counter) code_lists[QL_FAMILY_##key]++;
#define COUNT_SET_CODE(key, present, change, counter, sets) code_lists[QL_FAMILY_##key]++;
#define COUNT_ERASE(key, present, change, counter) erase_lists[QL_FAMILY_##key]++;
#define COUNT_FLAT_ERASE(key, present, change, counter, bytes) erase_lists[QL_FAMILY_##key]++;
#define COUNT_CHECK(key, check, identifies) checks[QL_FAMILY_##key]++; \
    expect(identifies == 1 || identifies == 0, #key " identifies");
#define KEEP_ROW(key, alias, type, rank, shape, unit, size, write_units, zones, code, kind, counter) \
    shapes[QL_FAMILY_##key] = shape; \
    kinds[QL_FAMILY_##key] = kind; \
    units[QL_FAMILY_##key] = size; \
    expect(rank >= 0 && rank <= 22 && (rank == 0) == (type == 0), #key " rank and type"); \
    if (rank > 0) ranks[rank - 1]++; \
    if (type > 0 && type < 64) types[type]++; \
    expect((code == 0) == (kind == 0) && (counter == 0) == (kind == 0), #key " code columns"); \
    expect(write_units <= size && unit >= 1 && unit <= 2, #key " units"); \
    expect((shape == QL_SHAPE_FLAT) == (zones == 0), #key " zones");

static void check_catalogue(void) {
    int ranks[22] = {0}, types[64] = {0};
    int i;
    /* The shared library's checks are reached through the names, in C from a table filled at run
     * time (an import's address is no constant on every platform). */
    int16_t(QL_CALL * check_of[ROWS])(int32_t);
    QL_FAMILIES(KEEP_ROW)
    QL_FAMILY_ZONES(COUNT_ZONE)
    QL_FAMILY_FLAT_MEMORY(COUNT_MEMORY)
    QL_FAMILY_ZONED_MEMORY(COUNT_MEMORY)
    QL_FAMILY_PAGED_MEMORY(COUNT_MEMORY)
    QL_FAMILY_CODES(COUNT_CODE)
    QL_FAMILY_ZONED_CODES(COUNT_CODE)
    QL_FAMILY_PASSWORDS_SET_LENGTH_SELECTOR(COUNT_SET_CODE)
    QL_FAMILY_PASSWORDS_SET_SELECTOR_LENGTH(COUNT_SET_CODE)
    QL_FAMILY_ERASE_CODES(COUNT_FLAT_ERASE)
    QL_FAMILY_ZONED_ERASE_CODES(COUNT_ERASE)
    QL_FAMILY_CHECKS(COUNT_CHECK)
#define KEEP_CHECK(key, check, identifies) check_of[QL_FAMILY_##key] = check;
    QL_FAMILY_CHECKS(KEEP_CHECK)
    expect(QL_FAMILY_COUNT == 28 && QL_FAMILY_sle4442 == 0, "28 families, the SLE4442 first");
    for (i = 0; i < 22; i++) expect(ranks[i] == 1, "every detection rank given once");
    for (i = 0; i < 64; i++) expect(types[i] <= 1, "every chk_card number given once");
    for (i = 0; i < ROWS; i++) {
        expect(memory_lists[i] == 1 && checks[i] == 1 && check_of[i] != NULL, "one memory list and one check");
        expect((shapes[i] == QL_SHAPE_ZONED) == (zone_rows[i] > 0), "zone rows for the zoned families");
        expect(shapes[i] != QL_SHAPE_ZONED || zone_units[i] == units[i], "zones sum to the card");
        expect((code_lists[i] == 1) == ((kinds[i] & (QL_CODE_SECURITY | QL_CODE_PASSWORD_SETS)) != 0),
               "a code list for the families with a code");
        expect((erase_lists[i] == 1) == ((kinds[i] & QL_CODE_ERASE) != 0), "an erase-code list for the erase codes");
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
    check_catalogue();
    return failures == 0 ? 0 : 1;
}
