/**
 * @file quillet_status.h
 * Readable statuses for the functions of quillet.h. Everything here is inline in the caller's
 * program: the library exports nothing for it. Nothing allocates memory, nothing keeps state, so
 * every function may be called from any thread.
 *
 * A negative status is either one of the library's own codes (QL_TIMEOUT and the others of
 * quillet.h) or minus a status byte of the reader: the reader refused or failed the command, and
 * the byte is the reader's own (its meaning is in the reader's documentation; the virtual reader's
 * bytes are listed in docs/vreader.md). Reader status bytes 0x80..0xFF give -128..-255 and so
 * share numbers with the library's codes: -132 is QL_TIMEOUT and also reader status byte 0x84.
 *
 *     char text[QUILLET_STATUS_TEXT_SIZE];
 *     int16_t s = srd_4442(h, 0, 16, buffer);
 *     if (s != 0) fprintf(stderr, "srd_4442: %s\n", quillet_status_describe(s, text, sizeof text));
 *
 * Compiles as C89 and later and as C++98 and later.
 */
#ifndef QUILLET_STATUS_H
#define QUILLET_STATUS_H

#include <stddef.h>

#include "quillet.h"

/** @cond QL_INTERNAL */
#if defined(__cplusplus) || (defined(__STDC_VERSION__) && __STDC_VERSION__ >= 199901L)
#define QL_STATUS_INLINE static inline
#elif defined(__GNUC__)
#define QL_STATUS_INLINE static __inline__
#elif defined(_MSC_VER)
#define QL_STATUS_INLINE static __inline
#else
#define QL_STATUS_INLINE static
#endif
/** @endcond */

/** Room for every text quillet_status_describe writes. */
#define QUILLET_STATUS_TEXT_SIZE 160

/** One of the library's own codes. */
struct quillet_status_row {
    int16_t status;   /**< the code */
    const char* name; /**< the macro's name, "QL_TIMEOUT" */
    const char* text; /**< what it means */
};

/** @cond QL_INTERNAL */
#define QL_STATUS_ROW(code, text) {code, #code, text}
/** @endcond */

/**
 * The row of a library code, or NULL for any other value. Where two names share a number
 * (QL_NO_READER and QL_NOT_HEX) the first row is found.
 */
QL_STATUS_INLINE const struct quillet_status_row* quillet_status_find(int16_t status) {
    /* One row per code of quillet.h, in the order of the codes there. A new code adds its row. */
    static const struct quillet_status_row rows[] = {
        QL_STATUS_ROW(QL_OK, "success"),
        QL_STATUS_ROW(QL_READ_FAILED, "read failed: a serial read call failed, or the reply carried fewer bytes than asked"),
        QL_STATUS_ROW(QL_WRITE_FAILED, "write failed: a serial write call failed, or bytes read back after a write differ"),
        QL_STATUS_ROW(QL_READER_0x83, "the reader answered with status byte 0x83 (the openers take it as a reader present)"),
        QL_STATUS_ROW(QL_TIMEOUT, "time-out: no reply byte within its limit"),
        QL_STATUS_ROW(QL_WRONG_CARD, "the inserted card is not of the family"),
        QL_STATUS_ROW(QL_VALUE_TOO_SMALL, "the stored value is smaller than the amount"),
        QL_STATUS_ROW(QL_PORT_ERROR, "port error: the port cannot be opened, configured or closed"),
        QL_STATUS_ROW(QL_BAD_BCC, "the reply's checksum (BCC) is wrong"),
        QL_STATUS_ROW(QL_REPLY_TOO_LONG, "the reply announced more data than its buffer holds"),
        QL_STATUS_ROW(QL_NO_READER, "no reader answered at any rate, or a character is not a hexadecimal digit"),
        QL_STATUS_ROW(QL_NOT_HEX, "a character is not a hexadecimal digit, or no reader answered at any rate"),
        QL_STATUS_ROW(QL_BAD_LEAD, "the reply's first byte is not 0x55"),
        QL_STATUS_ROW(QL_BAD_LENGTH, "a length or count argument is out of range (nothing sent)"),
        QL_STATUS_ROW(QL_BAD_ADDRESS, "an address, offset or zone argument is out of range (nothing sent)"),
        QL_STATUS_ROW(QL_BAD_ARGUMENT, "an argument the library cannot use safely (nothing sent)"),
        QL_STATUS_ROW(QL_PORT_BUSY, "the port is held by another program, or access to it was refused"),
        QL_STATUS_ROW(QL_BAD_SLOT, "a processor-card slot outside 0..5"),
        QL_STATUS_ROW(QL_RESPONSE_TOO_LONG, "the card's answer or response is longer than the library writes, or too many follow-ups"),
    };
    size_t i;
    for (i = 0; i < sizeof rows / sizeof rows[0]; ++i)
        if (rows[i].status == status) return &rows[i];
    return NULL;
}

/** True for -1..-255: the value can be minus a reader status byte (library codes included). */
QL_STATUS_INLINE int quillet_status_from_reader(int16_t status) { return status <= -1 && status >= -255; }

/**
 * The name of a library code ("QL_TIMEOUT"); "QL_READER_STATUS" for minus a reader status byte
 * that is no library code; "QL_UNKNOWN_STATUS" for anything else. A constant string.
 */
QL_STATUS_INLINE const char* quillet_status_name(int16_t status) {
    const struct quillet_status_row* row = quillet_status_find(status);
    if (row) return row->name;
    return quillet_status_from_reader(status) ? "QL_READER_STATUS" : "QL_UNKNOWN_STATUS";
}

/**
 * What a status means, without its number: the text of a library code, "refused by the reader
 * (minus its status byte)" for the other values -1..-255, "not a status of the library" for the
 * rest. A constant string. quillet_status_describe adds the numbers.
 */
QL_STATUS_INLINE const char* quillet_status_text(int16_t status) {
    const struct quillet_status_row* row = quillet_status_find(status);
    if (row) return row->text;
    return quillet_status_from_reader(status) ? "refused by the reader (minus its status byte)"
                                              : "not a status of the library";
}

/** @cond QL_INTERNAL */
/* Appends text to buffer[size], keeping the terminating zero; *used counts the characters kept. */
QL_STATUS_INLINE void quillet_status_append_(char* buffer, size_t size, size_t* used, const char* text) {
    while (*text && *used + 1 < size) buffer[(*used)++] = *text++;
    buffer[*used] = '\0';
}
/** @endcond */

/**
 * A line for a log or a message, into the caller's buffer (cut to fit, always terminated when size
 * is at least 1):
 *   "-132 QL_TIMEOUT: time-out: no reply byte within its limit (or reader status byte 0x84)"
 *   "-151: reader status byte 0x97"
 * @param buffer [out] size bytes; QUILLET_STATUS_TEXT_SIZE hold every text
 * @return buffer
 */
QL_STATUS_INLINE char* quillet_status_describe(int16_t status, char* buffer, size_t size) {
    static const char digits[] = "0123456789ABCDEF";
    const struct quillet_status_row* row = quillet_status_find(status);
    char number[8];
    char byte_text[5];
    size_t used = 0;
    long value = status < 0 ? -(long)status : (long)status;
    int at = (int)sizeof number - 1;
    if (size == 0) return buffer;
    number[at] = '\0';
    do {
        number[--at] = digits[value % 10];
        value /= 10;
    } while (value > 0);
    if (status < 0) number[--at] = '-';
    byte_text[0] = '0';
    byte_text[1] = 'x';
    byte_text[2] = digits[(-status >> 4) & 0x0F];
    byte_text[3] = digits[-status & 0x0F];
    byte_text[4] = '\0';

    buffer[0] = '\0';
    quillet_status_append_(buffer, size, &used, number + at);
    if (row) {
        quillet_status_append_(buffer, size, &used, " ");
        quillet_status_append_(buffer, size, &used, row->name);
        quillet_status_append_(buffer, size, &used, ": ");
        quillet_status_append_(buffer, size, &used, row->text);
        if (status <= -128 && status >= -255) {
            quillet_status_append_(buffer, size, &used, " (or reader status byte ");
            quillet_status_append_(buffer, size, &used, byte_text);
            quillet_status_append_(buffer, size, &used, ")");
        }
    } else if (quillet_status_from_reader(status)) {
        quillet_status_append_(buffer, size, &used, ": reader status byte ");
        quillet_status_append_(buffer, size, &used, byte_text);
    } else {
        quillet_status_append_(buffer, size, &used, ": not a status of the library");
    }
    return buffer;
}

#endif /* QUILLET_STATUS_H */
