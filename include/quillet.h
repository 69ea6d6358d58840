/**
 * @file quillet.h
 * Quillet: driver library for contact IC card readers on a serial or parallel port.
 *
 * Every function takes its port handle first (where it has one) and returns a status: 0 is
 * success, a negative value is either minus the reader's reply status byte or one of the
 * library's own codes below. Buffers belong to the caller; the library never allocates memory
 * that the caller must free. Calls on one port handle must be serialised by the caller.
 *
 * On 32-bit Windows every function uses the standard Windows calling convention (stdcall) and
 * is exported undecorated from quillet.dll; elsewhere the platform's C calling convention.
 */
#ifndef QUILLET_H
#define QUILLET_H

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define QL_CALL __stdcall
#else
#define QL_CALL
#endif

#if defined(QUILLET_BUILDING)
#if defined(_WIN32)
#define QL_API __declspec(dllexport)
#else
#define QL_API __attribute__((visibility("default")))
#endif
#else
#if defined(_WIN32)
#define QL_API __declspec(dllimport)
#else
#define QL_API
#endif
#endif

/* Nothing thrown inside the library ever reaches a caller. */
#ifdef __cplusplus
#define QL_NOTHROW noexcept
#else
#define QL_NOTHROW
#endif

#ifdef __cplusplus
extern "C" {
#endif

/** @name Status codes of the library (reader refusals are minus the reply status byte, -1..-255)
 *  @{ */
#define QL_OK 0                /**< success */
#define QL_READ_FAILED (-128)  /**< a serial read call failed, or a read-back inside a composite operation failed */
#define QL_WRITE_FAILED (-129) /**< a serial write call failed, or bytes read back after a write differ */
#define QL_READER_0x83 (-131)  /**< reader status byte 0x83: accepted by the openers as proof that a reader answered */
#define QL_TIMEOUT (-132)      /**< no reply byte within its limit, a short block read, or a parallel handshake step timed out */
#define QL_WRONG_CARD (-133)   /**< a card check found that the inserted card is not of the family */
#define QL_VALUE_TOO_SMALL (-135) /**< val_dec: the stored value is smaller than the amount */
#define QL_PORT_ERROR (-136)   /**< a port cannot be opened, configured or closed; no reader on a parallel port */
#define QL_BAD_BCC (-138)      /**< reply BCC wrong */
#define QL_REPLY_TOO_LONG (-256) /**< the reply announced more data than the reply buffer holds; nothing past it was read */
#define QL_NO_READER (-141)    /**< no reader answered at any rate or parallel mode; a character is not a hexadecimal digit */
#define QL_NOT_HEX (-141)      /**< same code as QL_NO_READER, returned by the hexadecimal conversions */
#define QL_BAD_LEAD (-142)     /**< the reply's first byte is not 0x55 */
#define QL_BAD_LENGTH (-143)   /**< a length or count argument is out of range */
#define QL_BAD_ADDRESS (-144)  /**< an address, offset or zone argument is out of range */
#define QL_BAD_ARGUMENT (-257) /**< an argument the library cannot use safely (negative count, unknown family index) */
#define QL_PORT_BUSY (-149)    /**< the serial port is held by another program */
#define QL_BAD_SLOT (-201)     /**< a processor-card slot selector outside 0..5 */
/** @} */

/* Handles of the two parallel links. */
#define QL_NIBBLE_LINK 6666 /**< handle of the parallel nibble link */
#define QL_BYTE_LINK 8888   /**< handle of the parallel byte link */

/* ---- port opening and reader identification ---- */

/**
 * Opens the link to the reader. Port 0..8 opens COM1..COM9, 9..19 COM10..COM20, any other number
 * up to 100 COM1 (on Linux: the device named by QUILLET_COM\<n+1\>, else /dev/ttyS\<n\>); a number
 * above 100 selects the parallel port at that I/O address and asks the reader for its version.
 * @param port         [in] port number
 * @param baud         [in] serial rate (1200..115200, other values open at 9600); for a parallel
 *                     port the link kind: 1 byte link, anything else nibble link
 * @return the port handle (6666 or 8888 for the parallel links), or QL_PORT_BUSY, QL_PORT_ERROR
 */
QL_API int32_t QL_CALL ic_init(int16_t port, int32_t baud) QL_NOTHROW;

/**
 * Opens the port and brings the reader to the requested rate or parallel mode: probes, hunts the
 * reader's current rate, tells it to switch and reopens at the new rate.
 * @return the port handle, or QL_PORT_BUSY, QL_PORT_ERROR, QL_NO_READER, or an exchange status
 */
QL_API int32_t QL_CALL auto_init(int16_t port, int32_t baud) QL_NOTHROW;

/**
 * Finds the rate at which a reader answers; the port is left closed. Port 100 and above is a
 * parallel port.
 * @return the rate found (serial), 0 (nibble link) or 1 (byte link) for a parallel port, or
 *         QL_NO_READER, QL_READER_0x83, QL_PORT_BUSY, QL_PORT_ERROR
 */
QL_API int32_t QL_CALL chk_baud(int16_t port) QL_NOTHROW;

/** Closes a serial port handle; the parallel handles need no closing. @return 0 or QL_PORT_ERROR */
QL_API int16_t QL_CALL ic_exit(int32_t handle) QL_NOTHROW;

/** Does nothing. @return 0 */
QL_API int16_t QL_CALL auto_chk(int32_t handle) QL_NOTHROW;

/**
 * Reads the reader's version text (no terminating zero is added).
 * @param length [in] 10 or 18
 * @param buffer [out] at least length bytes; min(length, text length) are written
 * @return 0, QL_BAD_LENGTH (nothing sent), an exchange status or minus the reply status byte
 */
QL_API int16_t QL_CALL srd_ver(int32_t handle, int16_t length, uint8_t* buffer) QL_NOTHROW;

/** Writes the library's version text "KOV###DRVSFT-V9.40A" and its zero (20 bytes). @return 0 */
QL_API int16_t QL_CALL lib_ver(uint8_t* buffer) QL_NOTHROW;

/**
 * Tells the reader to switch its serial rate or parallel mode (the host port keeps its speed;
 * reopen at the new rate). Waits 2 s after the reader's reply while it restarts its link.
 * @param value [in] a baud rate, or 0 (nibble link) / 1 (byte link)
 * @return 0, an exchange status or minus the reply status byte
 */
QL_API int16_t QL_CALL set_baud(int32_t handle, int32_t value) QL_NOTHROW;

/* ---- reader device services ---- */
/* Every function below returns 0, a transport status (QL_TIMEOUT, QL_BAD_LEAD, QL_BAD_BCC,
 * QL_REPLY_TOO_LONG, QL_READ_FAILED, QL_WRITE_FAILED) or minus the reader's reply status byte,
 * besides the statuses named with it. */

/** Sounds the buzzer for units x 10 ms (negative: 2, above 255: 255) and waits that long. */
QL_API int16_t QL_CALL dv_beep(int32_t handle, int16_t units) QL_NOTHROW;
/** Switches the card contacts on. */
QL_API int16_t QL_CALL turn_on(int32_t handle) QL_NOTHROW;
/** Switches the card contacts off. */
QL_API int16_t QL_CALL turn_off(int32_t handle) QL_NOTHROW;
/** Starts the reader's automatic card pull. */
QL_API int16_t QL_CALL auto_pull(int32_t handle) QL_NOTHROW;
/** Card state (0 no card, 1..3) into *state; one attempt. @param state [out] */
QL_API int16_t QL_CALL get_status0(int32_t handle, int16_t* state) QL_NOTHROW;
/** Card state into *state; up to three attempts. @param state [out] */
QL_API int16_t QL_CALL get_status(int32_t handle, int16_t* state) QL_NOTHROW;
/** 1 into *state when a card is at position 0..3 (low byte counts), else 0. @param state [out] */
QL_API int16_t QL_CALL get_status_DPEx(int32_t handle, int16_t position, int16_t* state) QL_NOTHROW;
/** Reads the reader's 384-byte user area. @return also QL_BAD_ADDRESS (offset), QL_BAD_LENGTH */
QL_API int16_t QL_CALL srd_eeprom(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) QL_NOTHROW;
/** Writes the reader's user area. @return also QL_BAD_ADDRESS (offset), QL_BAD_LENGTH */
QL_API int16_t QL_CALL swr_eeprom(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) QL_NOTHROW;
/** Reads the 16-byte serial number. @return also QL_BAD_LENGTH (length not 16) */
QL_API int16_t QL_CALL srd_snr(int32_t handle, int16_t length, uint8_t* buffer) QL_NOTHROW;
/** Writes and verifies the serial number. @return also QL_BAD_LENGTH, QL_WRITE_FAILED (read-back differs) */
QL_API int16_t QL_CALL swr_snr(int32_t handle, int16_t length, const uint8_t* data) QL_NOTHROW;
/** Reads the 3-byte device code. @return also QL_BAD_LENGTH (length not 3) */
QL_API int16_t QL_CALL srd_dvsc(int32_t handle, int16_t length, uint8_t* buffer) QL_NOTHROW;
/** Writes and verifies the device code. @return also QL_BAD_LENGTH, QL_WRITE_FAILED */
QL_API int16_t QL_CALL swr_dvsc(int32_t handle, int16_t length, const uint8_t* code) QL_NOTHROW;
/** Compares the device code with the reader's: 0 when they agree. @return also QL_BAD_LENGTH */
QL_API int16_t QL_CALL cmp_dvsc(int32_t handle, int16_t length, const uint8_t* code) QL_NOTHROW;
/** Writes the mode byte (non-zero: 0xFF) and verifies it. @return also QL_WRITE_FAILED */
QL_API int16_t QL_CALL setsc_md(int32_t handle, int16_t mode) QL_NOTHROW;
/** Reads the stored value. @param value [out] */
QL_API int16_t QL_CALL val_read(int32_t handle, int32_t* value) QL_NOTHROW;
/** Sets the stored value and verifies it. @return also QL_WRITE_FAILED */
QL_API int16_t QL_CALL val_set(int32_t handle, int32_t value) QL_NOTHROW;
/** Adds to the stored value (wraps on overflow) and verifies it. @return also QL_WRITE_FAILED */
QL_API int16_t QL_CALL val_inc(int32_t handle, int32_t amount) QL_NOTHROW;
/** Subtracts from the stored value. @return also QL_VALUE_TOO_SMALL (nothing written), QL_WRITE_FAILED */
QL_API int16_t QL_CALL val_dec(int32_t handle, int32_t amount) QL_NOTHROW;

/* ---- conversions, checksums, registered card codes ---- */

/**
 * Upper-cases the whole text in place, then converts count character pairs into bytes.
 * @param text [in,out] zero-terminated hexadecimal text
 * @param out  [out] count bytes (nothing for a count of 0 or less)
 * @return 0, or QL_NOT_HEX at the first character that is not a hexadecimal digit
 */
QL_API int16_t QL_CALL asc_hex(uint8_t* text, uint8_t* out, int32_t count) QL_NOTHROW;
/** Writes 2 x count upper-case digits and a zero byte (a count of 0 or less: the zero byte). @return 0 */
QL_API int16_t QL_CALL hex_asc(const uint8_t* in, uint8_t* out, int32_t count) QL_NOTHROW;
/** Copies count bytes (nothing for a count of 0 or less). @return 0 */
QL_API int16_t QL_CALL asc_asc(const uint8_t* source, uint8_t* destination, int32_t count) QL_NOTHROW;
#ifndef __cplusplus
/** @return a XOR b, 8 bits. ("xor" is an operator token in C++, so C++ callers do not see it.) */
QL_API uint8_t QL_CALL xor(int32_t a, int32_t b);
#endif
/** @return the XOR of the first count bytes; 0 for a count of 0 or less */
QL_API uint8_t QL_CALL cr_bcc(int16_t count, const uint8_t* bytes) QL_NOTHROW;
/** @return 0 when the XOR of the first count bytes (a frame with its BCC) is 0, else 118 */
QL_API int16_t QL_CALL ck_bcc(int16_t count, const uint8_t* bytes) QL_NOTHROW;
/**
 * Converts the first length hexadecimal characters (an odd last one is ignored; at most 596) into
 * bytes, appends their BCC and a zero byte, and writes the result over the text. A character that
 * is not a hexadecimal digit ends the conversion: that byte and all later ones are 0.
 * @param text [in,out] at least length + 1 bytes
 * @return the BCC
 */
QL_API uint8_t QL_CALL comm_bcc(int16_t length, uint8_t* text) QL_NOTHROW;
/** The 4-byte IEEE 754 image of value, least significant byte first. @return 0 */
QL_API int16_t QL_CALL float_uchar(float value, uint8_t* out) QL_NOTHROW;
/** The value of a 4-byte IEEE 754 image. @return 0 */
QL_API int16_t QL_CALL uchar_float(const uint8_t* in, float* value) QL_NOTHROW;
/** The 2-byte image of value, least significant byte first. @return 0 */
QL_API int16_t QL_CALL short_uchar(int16_t value, uint8_t* out) QL_NOTHROW;
/** The value of a 2-byte image. @return 0 */
QL_API int16_t QL_CALL uchar_short(const uint8_t* in, int16_t* value) QL_NOTHROW;
/** The 4-byte image of value, least significant byte first. @return 0 */
QL_API int16_t QL_CALL long_uchar(int32_t value, uint8_t* out) QL_NOTHROW;
/** The value of a 4-byte image. @return 0 */
QL_API int16_t QL_CALL uchar_long(const uint8_t* in, int32_t* value) QL_NOTHROW;
/**
 * Registers extra identification codes for the card checks of one family: 0 AT88SC102,
 * 1 AT88SC1604, 2 AT88SC1604B, 3 SLE4404, 4 SLE4406/4436, 6 SLE4428 (4-byte codes), 8 SLE4442/4432.
 * @param count      [in] number of codes, at most 20 (0 or less empties the list)
 * @param byte_count [in] bytes copied from codes, at most 100
 * @return 0, or QL_BAD_ARGUMENT for a family outside 0..8 or a negative byte count (nothing stored)
 */
QL_API int16_t QL_CALL set_code(int16_t family, int16_t count, int16_t byte_count, const uint8_t* codes) QL_NOTHROW;

/* ---- SLE4442, 2042, SLE4432 ---- */

/*
 * SLE4442-class cards (frames with card type byte 0x79): 256 bytes of main memory, protection
 * bits for bytes 0..31, a security memory of an error counter and a 3-byte code. The card itself
 * enforces the code, the protection and its error counter; its refusals come back as minus the
 * reader's status byte. Requests of more than 144 bytes travel as two frames; a failure in the
 * second leaves the first done. Arguments are checked before anything is sent.
 *
 * The 2042 functions (srd_2042 ... rsct_2042) and the SLE4432 functions (srd_4432 ... pwr_4432,
 * chk_4432) are the same operations under other names: same arguments, same frames, same statuses.
 * Only chk_2042 has its own identification rule.
 *
 * Codes as text (csc_4442_hex, wsc_4442_hex): the code is exactly six hexadecimal digits, either
 * case, the first pair giving the first code byte. At most the caller's first six characters are
 * read (a zero byte among them ends the text early), and those read are upper-cased in place.
 * Text that is not six hexadecimal digits is refused with QL_NOT_HEX and nothing is sent: a code
 * made up of the digits that happened to convert would cost one of the card's three attempts
 * (csc) or replace the card's code with one nobody knows (wsc).
 */

/**
 * Reads main memory.
 * @param offset [in] 0..255
 * @param length [in] 1..256 - offset
 * @param buffer [out] length bytes
 * @return 0, QL_BAD_ADDRESS, QL_BAD_LENGTH (nothing sent), QL_READ_FAILED (the reply carried fewer
 *         bytes than asked), a transport status or minus the reply status byte
 */
QL_API int16_t QL_CALL srd_4442(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * Writes main memory (the card refuses until the security code was presented, and for protected bytes).
 * @param offset [in] 0..256 (256 passes this check and fails the length check)
 * @param length [in] 1..256 - offset
 * @param data   [in] length bytes
 * @return 0, QL_BAD_ADDRESS, QL_BAD_LENGTH (nothing sent), a transport status or minus the reply status byte
 */
QL_API int16_t QL_CALL swr_4442(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) QL_NOTHROW;
/**
 * Reads the 4 protection bytes: the bit of address a is bit 7 - a % 8 of byte a / 8; 1 = not protected.
 * @param length [in] 4
 * @param buffer [out] 4 bytes
 * @return 0, QL_BAD_LENGTH (nothing sent), QL_READ_FAILED (short reply), a transport status or
 *         minus the reply status byte
 */
QL_API int16_t QL_CALL prd_4442(int32_t handle, int16_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * Protects bytes of 0..31, presenting their expected content, then verifies: their protection bits
 * must read 0 and the bytes must read back as data.
 * @param offset [in] 0..31
 * @param length [in] 1..32 - offset
 * @param data   [in] length bytes: the content the bytes hold
 * @return 0, QL_BAD_ADDRESS, QL_BAD_LENGTH (nothing sent), minus the reply status byte or a transport
 *         status of the protect frame, QL_READ_FAILED (a verifying read failed), QL_WRITE_FAILED (a
 *         byte is still unprotected or holds something else)
 */
QL_API int16_t QL_CALL pwr_4442(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) QL_NOTHROW;
/**
 * Presents the security code; a wrong code costs the card one of its three attempts.
 * @param length [in] 3
 * @param code   [in] 3 bytes
 * @return 0, QL_BAD_LENGTH (nothing sent), a transport status or minus the reply status byte
 */
QL_API int16_t QL_CALL csc_4442(int32_t handle, int16_t length, const uint8_t* code) QL_NOTHROW;
/**
 * Writes a new security code (the card refuses until the current code was presented).
 * @param length [in] 3
 * @param code   [in] 3 bytes
 * @return 0, QL_BAD_LENGTH (nothing sent), a transport status or minus the reply status byte
 */
QL_API int16_t QL_CALL wsc_4442(int32_t handle, int16_t length, const uint8_t* code) QL_NOTHROW;
/**
 * Reads the security code (the card shows it only after the code was presented).
 * @param length [in] 3
 * @param buffer [out] 3 bytes
 * @return 0, QL_BAD_LENGTH (nothing sent), QL_READ_FAILED (short reply), a transport status or
 *         minus the reply status byte
 */
QL_API int16_t QL_CALL rsc_4442(int32_t handle, int16_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * Reads the error counter: the number of its 1 bits (3 on a fresh card, 0 on a locked one).
 * @param count [out] set only on success
 * @return 0, QL_READ_FAILED (empty reply), a transport status or minus the reply status byte
 */
QL_API int16_t QL_CALL rsct_4442(int32_t handle, int16_t* count) QL_NOTHROW;
/**
 * csc_4442 with the code as six hexadecimal characters (see above).
 * @param length [in] not looked at
 * @param text   [in,out] at least the six characters; those read are upper-cased in place
 * @return as csc_4442, or QL_NOT_HEX (nothing sent)
 */
QL_API int16_t QL_CALL csc_4442_hex(int32_t handle, int16_t length, uint8_t* text) QL_NOTHROW;
/**
 * wsc_4442 with the code as six hexadecimal characters (see above).
 * @param length [in] not looked at
 * @param text   [in,out] at least the six characters; those read are upper-cased in place
 * @return as wsc_4442, or QL_NOT_HEX (nothing sent)
 */
QL_API int16_t QL_CALL wsc_4442_hex(int32_t handle, int16_t length, uint8_t* text) QL_NOTHROW;
/**
 * rsc_4442 with the code returned as six upper-case hexadecimal characters and a zero byte.
 * @param length [in] not looked at
 * @param text   [out] 7 bytes, cleared first: an empty text after any failure
 * @return as rsc_4442
 */
QL_API int16_t QL_CALL rsc_4442_hex(int32_t handle, int16_t length, uint8_t* text) QL_NOTHROW;
/**
 * Judges whether the card is an SLE4442: bytes 6..7 are a code registered under family index 8
 * (set_code), or 0x81, 0x88 or 0xA0 followed by 0x15.
 * @return 0, QL_WRONG_CARD, or the status of the failed read
 */
QL_API int16_t QL_CALL chk_4442(int32_t handle) QL_NOTHROW;

/** As srd_4442. */
QL_API int16_t QL_CALL srd_2042(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) QL_NOTHROW;
/** As swr_4442. */
QL_API int16_t QL_CALL swr_2042(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) QL_NOTHROW;
/** As prd_4442. */
QL_API int16_t QL_CALL prd_2042(int32_t handle, int16_t length, uint8_t* buffer) QL_NOTHROW;
/** As pwr_4442. */
QL_API int16_t QL_CALL pwr_2042(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) QL_NOTHROW;
/** As csc_4442. */
QL_API int16_t QL_CALL csc_2042(int32_t handle, int16_t length, const uint8_t* code) QL_NOTHROW;
/** As wsc_4442. */
QL_API int16_t QL_CALL wsc_2042(int32_t handle, int16_t length, const uint8_t* code) QL_NOTHROW;
/** As rsc_4442. */
QL_API int16_t QL_CALL rsc_2042(int32_t handle, int16_t length, uint8_t* buffer) QL_NOTHROW;
/** As rsct_4442. */
QL_API int16_t QL_CALL rsct_2042(int32_t handle, int16_t* count) QL_NOTHROW;
/**
 * Judges whether the card is a 2042: bytes 0..3 are A2 13 10 91 and bytes 6..7 are 82 15 (bytes
 * 4..5 are not compared; no registered codes).
 * @return 0, QL_WRONG_CARD, or the status of the failed read
 */
QL_API int16_t QL_CALL chk_2042(int32_t handle) QL_NOTHROW;

/** As srd_4442. */
QL_API int16_t QL_CALL srd_4432(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) QL_NOTHROW;
/** As swr_4442. */
QL_API int16_t QL_CALL swr_4432(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) QL_NOTHROW;
/** As prd_4442. */
QL_API int16_t QL_CALL prd_4432(int32_t handle, int16_t length, uint8_t* buffer) QL_NOTHROW;
/** As pwr_4442. */
QL_API int16_t QL_CALL pwr_4432(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) QL_NOTHROW;
/** As chk_4442 (the same identification bytes and registered codes). */
QL_API int16_t QL_CALL chk_4432(int32_t handle) QL_NOTHROW;

/* ---- SLE4428, SLE4418 ---- */

/*
 * SLE4428 (card type byte 0x77) and SLE4418 (0x76): 1024 bytes, each with its own protection bit.
 * The SLE4428 keeps its 2-byte security code at 1022..1023, out of reach of swr_, rdwpb_, wrwpb_
 * and pwr_ (addresses 0..1020 there); the SLE4418 has no code and reaches 0..1023. Requests travel
 * in frames of 144 bytes (72 addresses for protected reads); a failure ends the call and the frames
 * already carried out stay done. The card enforces code and protection; its refusals come back as
 * minus the reader's status byte. Arguments are checked before anything is sent.
 * Statuses of every function below: 0, QL_BAD_ADDRESS and QL_BAD_LENGTH (nothing sent), a transport
 * status, or minus the reply status byte; reads also QL_READ_FAILED (a reply shorter than asked).
 */

/** Reads. @param offset [in] 0..1023 @param length [in] 1..1024 - offset @param buffer [out] length bytes */
QL_API int16_t QL_CALL srd_4428(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) QL_NOTHROW;
/** Writes (after the code was presented). @param offset [in] 0..1020 @param length [in] 1..1021 - offset @param data [in] length bytes */
QL_API int16_t QL_CALL swr_4428(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) QL_NOTHROW;
/**
 * Reads with protection bits: two bytes per address, copied as the reader sends them (the data
 * byte and the byte's protection state).
 * @param offset [in] 0..1020
 * @param length [in] 1..1021 - offset
 * @param buffer [out] 2 x length bytes; the pair of address offset + i at buffer + 2i
 */
QL_API int16_t QL_CALL rdwpb_4428(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) QL_NOTHROW;
/** Writes and protects the bytes written. @param offset [in] 0..1020 @param length [in] 1..1021 - offset @param data [in] length bytes */
QL_API int16_t QL_CALL wrwpb_4428(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) QL_NOTHROW;
/**
 * Protects the bytes whose content equals data; nothing is read back (rdwpb_4428 shows the outcome).
 * @param offset [in] 0..1020 @param length [in] 1..1021 - offset @param data [in] length bytes
 */
QL_API int16_t QL_CALL pwr_4428(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) QL_NOTHROW;
/** Presents the 2-byte security code; a wrong one costs one of the card's 8 attempts. @param length [in] 2 */
QL_API int16_t QL_CALL csc_4428(int32_t handle, int16_t length, const uint8_t* code) QL_NOTHROW;
/** Writes a new security code (one write frame at 1022, after the code was presented). @param length [in] 2 */
QL_API int16_t QL_CALL wsc_4428(int32_t handle, int16_t length, const uint8_t* code) QL_NOTHROW;
/** Reads the security code: srd_4428(handle, 1022, 2, buffer). @param length [in] 2 @param buffer [out] 2 bytes */
QL_API int16_t QL_CALL rsc_4428(int32_t handle, int16_t length, uint8_t* buffer) QL_NOTHROW;
/** Reads the error counter: the number of its 1 bits (8 on a fresh card). @param count [out] set only on success */
QL_API int16_t QL_CALL rsct_4428(int32_t handle, int16_t* count) QL_NOTHROW;
/**
 * Judges whether the card is an SLE4428: bytes 0..3 are a code registered under family index 6
 * (set_code, 4-byte codes), or 92 23 10 91.
 * @return 0, QL_WRONG_CARD, or the status of the failed read
 */
QL_API int16_t QL_CALL chk_4428(int32_t handle) QL_NOTHROW;

/** As srd_4428 on an SLE4418. */
QL_API int16_t QL_CALL srd_4418(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) QL_NOTHROW;
/** As swr_4428, addresses 0..1023. */
QL_API int16_t QL_CALL swr_4418(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) QL_NOTHROW;
/** As rdwpb_4428, addresses 0..1023. */
QL_API int16_t QL_CALL rdwpb_4418(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) QL_NOTHROW;
/** As wrwpb_4428, addresses 0..1023. */
QL_API int16_t QL_CALL wrwpb_4418(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) QL_NOTHROW;
/** As pwr_4428, addresses 0..1023. */
QL_API int16_t QL_CALL pwr_4418(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) QL_NOTHROW;
/** An SLE4418 carries nothing to identify it by: sends nothing. @return 0 */
QL_API int16_t QL_CALL chk_4418(int32_t handle) QL_NOTHROW;

/* ---- I2C EEPROM cards ---- */

/*
 * Cards with a two-wire EEPROM of the 24Cxx series. Every size has a read, a write and a size
 * check; the sizes differ only in their card type byte and capacity:
 *
 *   24C01A 0x60  128 bytes     24C04 0x62  512 bytes     24C16 0x64 2048 bytes     24C64 0x66 8192 bytes
 *   24C02  0x61  256 bytes     24C08 0x62 1024 bytes     24C32 0x65 4096 bytes
 *
 * Reads and writes: offset 0..capacity-1, else QL_BAD_ADDRESS; length 1..capacity-offset, else
 * QL_BAD_LENGTH (swr_24c04 alone answers QL_BAD_ADDRESS for a length past the end); nothing is
 * sent when a check fails. Requests travel as frames of at most 144 bytes, one after the other;
 * the first failure ends the call and the frames already carried out stay done. A read whose
 * reply carries fewer bytes than asked returns QL_READ_FAILED. Other failures: a transport status
 * (QL_TIMEOUT, QL_BAD_LEAD, QL_BAD_BCC, QL_REPLY_TOO_LONG, QL_READ_FAILED, QL_WRITE_FAILED) or
 * minus the reply status byte.
 *
 * Size checks (chk_24cNN) write single bytes near the top of the size and watch whether they
 * also show at a lower address, as they do on a smaller card whose address lines wrap; every
 * probed byte is written back. They return 0 when the card is of that size and QL_WRONG_CARD for
 * any other card, a card that does not answer, or any failure on the way.
 */

/**
 * Reads a 24C01A.
 * @param offset [in] 0..127
 * @param length [in] 1..128-offset
 * @param buffer [out] length bytes
 * @return 0 or a status of the list above
 */
QL_API int16_t QL_CALL srd_24c01a(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * Writes a 24C01A.
 * @param offset [in] 0..127
 * @param length [in] 1..128-offset
 * @param data   [in] length bytes
 * @return 0 or a status of the list above
 */
QL_API int16_t QL_CALL swr_24c01a(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) QL_NOTHROW;
/** Is the card a 24C01A? @return 0 or QL_WRONG_CARD */
QL_API int16_t QL_CALL chk_24c01a(int32_t handle) QL_NOTHROW;
/**
 * Reads a 24C02.
 * @param offset [in] 0..255
 * @param length [in] 1..256-offset
 * @param buffer [out] length bytes
 * @return 0 or a status of the list above
 */
QL_API int16_t QL_CALL srd_24c02(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * Writes a 24C02.
 * @param offset [in] 0..255
 * @param length [in] 1..256-offset
 * @param data   [in] length bytes
 * @return 0 or a status of the list above
 */
QL_API int16_t QL_CALL swr_24c02(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) QL_NOTHROW;
/** Is the card a 24C02? @return 0 or QL_WRONG_CARD */
QL_API int16_t QL_CALL chk_24c02(int32_t handle) QL_NOTHROW;
/**
 * Reads a 24C04.
 * @param offset [in] 0..511
 * @param length [in] 1..512-offset
 * @param buffer [out] length bytes
 * @return 0 or a status of the list above
 */
QL_API int16_t QL_CALL srd_24c04(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * Writes a 24C04.
 * @param offset [in] 0..511
 * @param length [in] 1..512-offset
 * @param data   [in] length bytes
 * @return 0 or a status of the list above; QL_BAD_ADDRESS (not QL_BAD_LENGTH) for a length past the end
 */
QL_API int16_t QL_CALL swr_24c04(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) QL_NOTHROW;
/** Is the card a 24C04? @return 0 or QL_WRONG_CARD */
QL_API int16_t QL_CALL chk_24c04(int32_t handle) QL_NOTHROW;
/**
 * Reads a 24C08.
 * @param offset [in] 0..1023
 * @param length [in] 1..1024-offset
 * @param buffer [out] length bytes
 * @return 0 or a status of the list above
 */
QL_API int16_t QL_CALL srd_24c08(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * Writes a 24C08.
 * @param offset [in] 0..1023
 * @param length [in] 1..1024-offset
 * @param data   [in] length bytes
 * @return 0 or a status of the list above
 */
QL_API int16_t QL_CALL swr_24c08(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) QL_NOTHROW;
/** Is the card a 24C08? @return 0 or QL_WRONG_CARD */
QL_API int16_t QL_CALL chk_24c08(int32_t handle) QL_NOTHROW;
/**
 * Reads a 24C16.
 * @param offset [in] 0..2047
 * @param length [in] 1..2048-offset
 * @param buffer [out] length bytes
 * @return 0 or a status of the list above
 */
QL_API int16_t QL_CALL srd_24c16(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * Writes a 24C16.
 * @param offset [in] 0..2047
 * @param length [in] 1..2048-offset
 * @param data   [in] length bytes
 * @return 0 or a status of the list above
 */
QL_API int16_t QL_CALL swr_24c16(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) QL_NOTHROW;
/** Is the card a 24C16? Also saves byte 15 and writes it back. @return 0 or QL_WRONG_CARD */
QL_API int16_t QL_CALL chk_24c16(int32_t handle) QL_NOTHROW;
/**
 * Reads a 24C32.
 * @param offset [in] 0..4095
 * @param length [in] 1..4096-offset
 * @param buffer [out] length bytes
 * @return 0 or a status of the list above
 */
QL_API int16_t QL_CALL srd_24c32(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * Writes a 24C32.
 * @param offset [in] 0..4095
 * @param length [in] 1..4096-offset
 * @param data   [in] length bytes
 * @return 0 or a status of the list above
 */
QL_API int16_t QL_CALL swr_24c32(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) QL_NOTHROW;
/** Is the card a 24C32? @return 0 or QL_WRONG_CARD */
QL_API int16_t QL_CALL chk_24c32(int32_t handle) QL_NOTHROW;
/**
 * Reads a 24C64.
 * @param offset [in] 0..8191
 * @param length [in] 1..8192-offset
 * @param buffer [out] length bytes
 * @return 0 or a status of the list above
 */
QL_API int16_t QL_CALL srd_24c64(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * Writes a 24C64.
 * @param offset [in] 0..8191
 * @param length [in] 1..8192-offset
 * @param data   [in] length bytes
 * @return 0 or a status of the list above
 */
QL_API int16_t QL_CALL swr_24c64(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) QL_NOTHROW;
/** Is the card a 24C64? @return 0 or QL_WRONG_CARD */
QL_API int16_t QL_CALL chk_24c64(int32_t handle) QL_NOTHROW;

/* ---- three-wire EEPROM cards ---- */

/*
 * Cards with a three-wire EEPROM of the 93Cxx series: read, write, erase-all and a size check.
 *
 *   93C46A 0x68   64 16-bit words    93C57 0x6A 256 bytes
 *   93C46  0x69  128 bytes           93C66 0x6B 512 bytes
 *
 * On the 93C46A offsets and lengths count words; each word is two bytes of the caller's buffer,
 * sent and received in the buffer's order, so n words move 2n bytes.
 *
 * Reads and writes: offset 0..capacity-1, else QL_BAD_ADDRESS; length 1..capacity-offset, else
 * QL_BAD_LENGTH (srd_93c57 alone answers QL_BAD_ADDRESS for a length past the end); nothing is
 * sent when a check fails. Requests travel as frames of at most 144 bytes; the first failure ends
 * the call and the frames already carried out stay done. A read whose reply carries fewer bytes
 * than asked returns QL_READ_FAILED. Other failures: a transport status (QL_TIMEOUT, QL_BAD_LEAD,
 * QL_BAD_BCC, QL_REPLY_TOO_LONG, QL_READ_FAILED, QL_WRITE_FAILED) or minus the reply status byte.
 *
 * Size checks (chk_93cNN) write single cells and watch whether a value written at a top address
 * reads back there and stays away from a lower one; every probed cell is written back. They
 * return 0 when the card is of that size and QL_WRONG_CARD for any other card, a card that does
 * not answer, or any failure on the way.
 */

/**
 * Reads 93C46A words.
 * @param offset [in] word 0..63
 * @param length [in] 1..64-offset words
 * @param buffer [out] 2 x length bytes
 * @return 0 or a status of the list above
 */
QL_API int16_t QL_CALL srd_93c46a(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * Writes 93C46A words.
 * @param offset [in] word 0..63
 * @param length [in] 1..64-offset words
 * @param data   [in] 2 x length bytes
 * @return 0 or a status of the list above
 */
QL_API int16_t QL_CALL swr_93c46a(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) QL_NOTHROW;
/** Erases the whole 93C46A (every byte 0xFF). @return 0, a transport status or minus the reply status byte */
QL_API int16_t QL_CALL eral_93c46a(int32_t handle) QL_NOTHROW;
/** Is the card a 93C46A? @return 0 or QL_WRONG_CARD */
QL_API int16_t QL_CALL chk_93c46a(int32_t handle) QL_NOTHROW;
/**
 * Reads a 93C46.
 * @param offset [in] 0..127
 * @param length [in] 1..128-offset
 * @param buffer [out] length bytes
 * @return 0 or a status of the list above
 */
QL_API int16_t QL_CALL srd_93c46(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * Writes a 93C46.
 * @param offset [in] 0..127
 * @param length [in] 1..128-offset
 * @param data   [in] length bytes
 * @return 0 or a status of the list above
 */
QL_API int16_t QL_CALL swr_93c46(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) QL_NOTHROW;
/** Erases the whole 93C46. @return 0, a transport status or minus the reply status byte */
QL_API int16_t QL_CALL eral_93c46(int32_t handle) QL_NOTHROW;
/** Is the card a 93C46? @return 0 or QL_WRONG_CARD */
QL_API int16_t QL_CALL chk_93c46(int32_t handle) QL_NOTHROW;
/**
 * Reads a 93C57.
 * @param offset [in] 0..255
 * @param length [in] 1..256-offset
 * @param buffer [out] length bytes
 * @return 0 or a status of the list above; QL_BAD_ADDRESS (not QL_BAD_LENGTH) for a length past the end
 */
QL_API int16_t QL_CALL srd_93c57(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * Writes a 93C57.
 * @param offset [in] 0..255
 * @param length [in] 1..256-offset
 * @param data   [in] length bytes
 * @return 0 or a status of the list above
 */
QL_API int16_t QL_CALL swr_93c57(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) QL_NOTHROW;
/** Erases the whole 93C57. @return 0, a transport status or minus the reply status byte */
QL_API int16_t QL_CALL eral_93c57(int32_t handle) QL_NOTHROW;
/** Is the card a 93C57? @return 0 or QL_WRONG_CARD */
QL_API int16_t QL_CALL chk_93c57(int32_t handle) QL_NOTHROW;
/**
 * Reads a 93C66.
 * @param offset [in] 0..511
 * @param length [in] 1..512-offset
 * @param buffer [out] length bytes
 * @return 0 or a status of the list above
 */
QL_API int16_t QL_CALL srd_93c66(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * Writes a 93C66.
 * @param offset [in] 0..511
 * @param length [in] 1..512-offset
 * @param data   [in] length bytes
 * @return 0 or a status of the list above
 */
QL_API int16_t QL_CALL swr_93c66(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) QL_NOTHROW;
/** Erases the whole 93C66. @return 0, a transport status or minus the reply status byte */
QL_API int16_t QL_CALL eral_93c66(int32_t handle) QL_NOTHROW;
/** Is the card a 93C66? @return 0 or QL_WRONG_CARD */
QL_API int16_t QL_CALL chk_93c66(int32_t handle) QL_NOTHROW;

/* ---- authentication cipher ---- */
/* The host side of the AT88SC153/AT88SC1608 mutual authentication. The two functions share one
 * cipher state for the whole process (zero at load, not locked): one computation, SetInit and
 * then Authenticate, must end before another begins, whatever thread or port handle it serves.
 * Nothing is sent to the reader. */

/**
 * Starts a computation: stores three 8-byte input blocks and zeroes the cipher registers. The
 * output blocks of an earlier Authenticate stay as they were.
 * @param block1 [in] 8 bytes, fed first
 * @param block2 [in] 8 bytes, fed second
 * @param block3 [in] 8 bytes: bytes 0..3 are fed among block1's, bytes 4..7 among block2's
 */
QL_API void QL_CALL SetInit(const uint8_t* block1, const uint8_t* block2, const uint8_t* block3) QL_NOTHROW;

/**
 * Runs the cipher for 88 clocks from the registers as they are over the stored input blocks and
 * writes the two output blocks. The registers are not reset before or after: a second call
 * without a new SetInit continues from where the first one stopped and gives different values.
 * Before any SetInit it works on zero registers and zero input blocks.
 * @param out1 [out] 8 bytes: output block 1
 * @param out2 [out] 8 bytes: output block 2
 */
QL_API void QL_CALL Authenticate(uint8_t* out1, uint8_t* out2) QL_NOTHROW;

/* ---- AT88SC1608 ---- */
/*
 * AT88SC1608 crypto memory cards (frames with card type byte 0x74): user zones 0..7 of 256 bytes,
 * zone 8 of 128 bytes, and a configuration zone of 128 bytes (addresses 0..127) with the fuse
 * byte at address 128. Configuration addresses: access register of user zone z at 16 + z; password
 * set s (0..7) at 64 + 8s: attempt counter of its first password, the 3 password bytes, attempt
 * counter of its second password (68 + 8s), its 3 bytes. The card itself enforces passwords,
 * access registers and authentication; its refusals come back as minus the reader's status byte.
 * The library keeps no state for the card. Arguments are checked before anything is sent.
 *
 * Selectors: 0 names the first password of a set, every other value the second (in all four
 * password functions). Mutual authentication: compute the 16 bytes with SetInit/Authenticate and
 * send them with init_auth_1608; docs/crypto_cards.md gives the sequence the virtual card expects.
 */

/**
 * Resets the card and reads its answer to reset.
 * @param length [in] 4
 * @param buffer [out] 4 bytes (2C AA 55 A0 for an AT88SC1608)
 * @return 0, QL_BAD_LENGTH (nothing sent), QL_READ_FAILED (short reply), a transport status or
 *         minus the reply status byte
 */
QL_API int16_t QL_CALL reset_1608(int32_t handle, int16_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * Judges whether the card is an AT88SC1608: its answer to reset is 2C AA 55 A0.
 * @return 0, or QL_WRONG_CARD (also when the reset fails)
 */
QL_API int16_t QL_CALL chk_1608(int32_t handle) QL_NOTHROW;
/**
 * Sends the 16 bytes of a mutual authentication, unchanged, to the card.
 * @param length [in] 16
 * @param data   [in] 16 bytes prepared by the application
 * @return 0, QL_BAD_LENGTH (nothing sent), a transport status or minus the reply status byte
 */
QL_API int16_t QL_CALL init_auth_1608(int32_t handle, int16_t length, const uint8_t* data) QL_NOTHROW;
/**
 * Reads user zones from zone/address on, continuing into the following zones (a read from zone 7
 * may run on into zone 8). Each zone's share travels in frames of at most 144 bytes; a failure
 * leaves the bytes of earlier frames in buffer.
 * @param zone    [in] 0..8
 * @param address [in] 0..255 within the zone
 * @param length  [in] 1 or more, address + length <= 2176 - 256 * zone
 * @param buffer  [out] length bytes
 * @return 0, QL_BAD_LENGTH (length below 1, or address 256 or more), QL_BAD_ADDRESS (zone, a
 *         negative address, or the end past zone 8) (nothing sent), QL_READ_FAILED (short reply),
 *         a transport status or minus the reply status byte
 */
QL_API int16_t QL_CALL srd_1608(int32_t handle, int16_t zone, int16_t address, int16_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * Writes user zones from zone/address on, continuing into the following zones; zones 0..7 never
 * run on into zone 8, which is written only by a call that names it. A failure leaves the frames
 * already sent written on the card.
 * @param zone    [in] 0..8
 * @param address [in] 0..255 within the zone
 * @param length  [in] 1 or more, address + length <= 2048 - 256 * zone (zone 8: <= 128)
 * @param data    [in] length bytes
 * @return 0, QL_BAD_LENGTH, QL_BAD_ADDRESS (as srd_1608; nothing sent), a transport status or
 *         minus the reply status byte
 */
QL_API int16_t QL_CALL swr_1608(int32_t handle, int16_t zone, int16_t address, int16_t length, const uint8_t* data) QL_NOTHROW;
/**
 * Reads configuration bytes (and the fuse byte at 128) in one frame.
 * @param address [in] 0..128
 * @param length  [in] 1..129, address + length <= 129
 * @param buffer  [out] length bytes
 * @return 0, QL_BAD_LENGTH, QL_BAD_ADDRESS (negative address or end past 128; nothing sent),
 *         QL_READ_FAILED (short reply), a transport status or minus the reply status byte
 */
QL_API int16_t QL_CALL srdconfig_1608(int32_t handle, int16_t address, int16_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * Writes configuration bytes in one frame.
 * @param address [in] 0..128
 * @param length  [in] 1..129, address + length <= 129
 * @param data    [in] length bytes
 * @return 0, QL_BAD_LENGTH, QL_BAD_ADDRESS (as srdconfig_1608; nothing sent), a transport status
 *         or minus the reply status byte
 */
QL_API int16_t QL_CALL swrconfig_1608(int32_t handle, int16_t address, int16_t length, const uint8_t* data) QL_NOTHROW;
/**
 * Reads the fuse byte (configuration address 128).
 * @param length [in] 1
 * @param buffer [out] 1 byte
 * @return as srdconfig_1608
 */
QL_API int16_t QL_CALL srfus_1608(int32_t handle, int16_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * Presents a password; the card counts a wrong one against the password's attempt counter (read
 * it with rsct_1608). Note the order of the checks: length first, then the set.
 * @param set      [in] 0..7
 * @param length   [in] 3
 * @param selector [in] 0 first password, other values the second
 * @param password [in] 3 bytes
 * @return 0, QL_BAD_LENGTH, QL_BAD_ADDRESS (nothing sent), a transport status or minus the reply
 *         status byte
 */
QL_API int16_t QL_CALL csc_1608(int32_t handle, int16_t set, int16_t length, int16_t selector, const uint8_t* password) QL_NOTHROW;
/**
 * Writes a password: 3 bytes at 65 + 8 * set (selector 0) or 69 + 8 * set (other selectors).
 * @param set      [in] 0..7 (checked before the length)
 * @param length   [in] 3
 * @param selector [in] 0 first password, other values the second
 * @param password [in] 3 bytes
 * @return 0, QL_BAD_ADDRESS, QL_BAD_LENGTH (nothing sent), a transport status or minus the reply
 *         status byte
 */
QL_API int16_t QL_CALL wsc_1608(int32_t handle, int16_t set, int16_t length, int16_t selector, const uint8_t* password) QL_NOTHROW;
/**
 * Reads a password from the addresses of wsc_1608.
 * @param set      [in] 0..7 (checked before the length)
 * @param length   [in] 3
 * @param selector [in] 0 first password, other values the second
 * @param buffer   [out] 3 bytes
 * @return 0, QL_BAD_ADDRESS, QL_BAD_LENGTH (nothing sent), QL_READ_FAILED (short reply), a
 *         transport status or minus the reply status byte
 */
QL_API int16_t QL_CALL rsc_1608(int32_t handle, int16_t set, int16_t length, int16_t selector, uint8_t* buffer) QL_NOTHROW;
/**
 * Reads a password's attempt counter: 1 byte at 64 + 8 * set (selector 0) or 68 + 8 * set.
 * @param set      [in] 0..7 (checked before the length)
 * @param length   [in] 1
 * @param selector [in] 0 first password, other values the second
 * @param buffer   [out] 1 byte
 * @return as rsc_1608
 */
QL_API int16_t QL_CALL rsct_1608(int32_t handle, int16_t set, int16_t length, int16_t selector, uint8_t* buffer) QL_NOTHROW;
/**
 * Reads the access register of a user zone (configuration address 16 + zone).
 * @param zone   [in] 0..7 (checked before the length)
 * @param length [in] 1
 * @param buffer [out] 1 byte
 * @return as rsc_1608
 */
QL_API int16_t QL_CALL rac_1608(int32_t handle, int16_t zone, int16_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * Writes the access register of a user zone (configuration address 16 + zone).
 * @param zone   [in] 0..7 (checked before the length)
 * @param length [in] 1
 * @param data   [in] 1 byte
 * @return as wsc_1608
 */
QL_API int16_t QL_CALL wac_1608(int32_t handle, int16_t zone, int16_t length, const uint8_t* data) QL_NOTHROW;
/**
 * Personalises the card (the card blows its fuses; this cannot be undone).
 * @return 0, a transport status or minus the reply status byte
 */
QL_API int16_t QL_CALL psnl_1608(int32_t handle) QL_NOTHROW;

/* ---- AT88SC153 ---- */
/*
 * AT88SC153 crypto memory cards (frames with card type byte 0x75): user zones 0..2 of 64 bytes
 * and a configuration zone of 64 bytes. Configuration addresses: access register of user zone z
 * at 12 + z, device configuration register 24, authentication attempt counter 32; password r
 * (selector 0 or 1) of set s (0..1) has its attempt counter at 48 + 8s + 4r and its 3 bytes after
 * it. The fuse byte (7 as made) has frames of its own; fuses are blown in the order 1, 2, 4. Every
 * transfer is one frame of at most 64 bytes within one zone. The card itself enforces passwords,
 * access registers and authentication; its refusals come back as minus the reader's status byte.
 *
 * Addresses and selectors: a negative address is refused with QL_BAD_ADDRESS; a selector other
 * than 0 or 1 (it would reach the other set's bytes) is refused with QL_BAD_ADDRESS. Mutual
 * authentication: see init_auth_153 and docs/crypto_cards.md.
 */

/**
 * Resets the card and reads its answer to reset.
 * @param length [in] 4
 * @param buffer [out] 4 bytes (2C AA 55 A1 for an AT88SC153)
 * @return 0, QL_BAD_LENGTH (nothing sent), QL_READ_FAILED (short reply), a transport status or
 *         minus the reply status byte
 */
QL_API int16_t QL_CALL reset_153(int32_t handle, int16_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * Judges whether the card is an AT88SC153: its answer to reset is 2C AA 55 A1.
 * @return 0, or QL_WRONG_CARD (also when the reset fails)
 */
QL_API int16_t QL_CALL chk_153(int32_t handle) QL_NOTHROW;
/**
 * Sends the 16 bytes of a mutual authentication, unchanged, to the card.
 * @param length [in] 16
 * @param data   [in] 16 bytes prepared by the application
 * @return 0, QL_BAD_LENGTH (nothing sent), a transport status or minus the reply status byte
 */
QL_API int16_t QL_CALL init_auth_153(int32_t handle, int16_t length, const uint8_t* data) QL_NOTHROW;
/**
 * Reads a user zone in one frame.
 * @param zone    [in] 0..2
 * @param address [in] 0..63
 * @param length  [in] 1..64, address + length <= 64
 * @param buffer  [out] length bytes
 * @return 0, QL_BAD_LENGTH, QL_BAD_ADDRESS (nothing sent), QL_READ_FAILED (short reply), a
 *         transport status or minus the reply status byte
 */
QL_API int16_t QL_CALL srd_153(int32_t handle, int16_t zone, int16_t address, int16_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * Writes a user zone in one frame.
 * @param zone    [in] 0..2
 * @param address [in] 0..63
 * @param length  [in] 1..64, address + length <= 64
 * @param data    [in] length bytes
 * @return 0, QL_BAD_LENGTH, QL_BAD_ADDRESS (nothing sent), a transport status or minus the reply
 *         status byte
 */
QL_API int16_t QL_CALL swr_153(int32_t handle, int16_t zone, int16_t address, int16_t length, const uint8_t* data) QL_NOTHROW;
/**
 * Reads configuration bytes in one frame.
 * @param address [in] 0..63
 * @param length  [in] 1..64, address + length <= 64
 * @param buffer  [out] length bytes
 * @return as srd_153
 */
QL_API int16_t QL_CALL srdconfig_153(int32_t handle, int16_t address, int16_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * Writes configuration bytes in one frame.
 * @param address [in] 0..63
 * @param length  [in] 1..64, address + length <= 64
 * @param data    [in] length bytes
 * @return as swr_153
 */
QL_API int16_t QL_CALL swrconfig_153(int32_t handle, int16_t address, int16_t length, const uint8_t* data) QL_NOTHROW;
/**
 * Reads the access register of a user zone (configuration address 12 + zone).
 * @param zone   [in] 0..2 (checked before the length)
 * @param length [in] 1
 * @param buffer [out] 1 byte
 * @return as srd_153
 */
QL_API int16_t QL_CALL rac_153(int32_t handle, int16_t zone, int16_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * Writes the access register of a user zone (configuration address 12 + zone).
 * @param zone   [in] 0..2 (checked before the length)
 * @param length [in] 1
 * @param data   [in] 1 byte
 * @return as swr_153
 */
QL_API int16_t QL_CALL wac_153(int32_t handle, int16_t zone, int16_t length, const uint8_t* data) QL_NOTHROW;
/**
 * Reads the device configuration register (configuration address 24).
 * @param length [in] 1
 * @param buffer [out] 1 byte
 * @return as srd_153
 */
QL_API int16_t QL_CALL rdcr_153(int32_t handle, int16_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * Writes the device configuration register (configuration address 24).
 * @param length [in] 1
 * @param data   [in] 1 byte
 * @return as swr_153
 */
QL_API int16_t QL_CALL wdcr_153(int32_t handle, int16_t length, const uint8_t* data) QL_NOTHROW;
/**
 * Reads the authentication attempt counter (configuration address 32).
 * @param length [in] 1
 * @param buffer [out] 1 byte
 * @return as srd_153
 */
QL_API int16_t QL_CALL rautht_153(int32_t handle, int16_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * Presents a password; the card counts a wrong one against the password's attempt counter.
 * Note the order of the checks: length first, then set and selector.
 * @param set      [in] 0..1
 * @param selector [in] 0 or 1
 * @param length   [in] 3
 * @param password [in] 3 bytes
 * @return 0, QL_BAD_LENGTH, QL_BAD_ADDRESS (nothing sent), a transport status or minus the reply
 *         status byte
 */
QL_API int16_t QL_CALL csc_153(int32_t handle, int16_t set, int16_t selector, int16_t length, const uint8_t* password) QL_NOTHROW;
/**
 * Reads a password: 3 bytes at 49 + 8 * set + 4 * selector.
 * @param set      [in] 0..1 (set and selector are checked before the length)
 * @param selector [in] 0 or 1
 * @param length   [in] 3
 * @param buffer   [out] 3 bytes
 * @return 0, QL_BAD_ADDRESS, QL_BAD_LENGTH (nothing sent), QL_READ_FAILED (short reply), a
 *         transport status or minus the reply status byte
 */
QL_API int16_t QL_CALL rsc_153(int32_t handle, int16_t set, int16_t selector, int16_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * Writes a password: 3 bytes at 49 + 8 * set + 4 * selector.
 * @param set      [in] 0..1 (set and selector are checked before the length)
 * @param selector [in] 0 or 1
 * @param length   [in] 3
 * @param password [in] 3 bytes
 * @return 0, QL_BAD_ADDRESS, QL_BAD_LENGTH (nothing sent), a transport status or minus the reply
 *         status byte
 */
QL_API int16_t QL_CALL wsc_153(int32_t handle, int16_t set, int16_t selector, int16_t length, const uint8_t* password) QL_NOTHROW;
/**
 * Reads a password's attempt counter: 1 byte at 48 + 8 * set + 4 * selector.
 * @param set      [in] 0..1 (set and selector are checked before the length)
 * @param selector [in] 0 or 1
 * @param length   [in] 1
 * @param buffer   [out] 1 byte
 * @return as rsc_153
 */
QL_API int16_t QL_CALL rsct_153(int32_t handle, int16_t set, int16_t selector, int16_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * Reads the fuse byte.
 * @param length [in] 1
 * @param buffer [out] 1 byte
 * @return as srd_153
 */
QL_API int16_t QL_CALL srfus_153(int32_t handle, int16_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * Blows a fuse (the value is sent as given), then reads the fuse byte back: it must read 6 after
 * fuse 1, 4 after fuse 2, 0 after fuse 4.
 * @param fuse [in] 1, 2 or 4, in that order
 * @return 0, a transport status or minus the reply status byte of either frame, QL_READ_FAILED
 *         (short reply), QL_WRITE_FAILED (the fuse byte does not show the fuse blown in order, or
 *         a fuse value other than 1, 2 and 4, even when the card took the frame)
 */
QL_API int16_t QL_CALL swfus_153(int32_t handle, uint8_t fuse) QL_NOTHROW;
/**
 * Personalises the card: swfus_153 with fuse 4 (this cannot be undone).
 * @return as swfus_153
 */
QL_API int16_t QL_CALL psnl_153(int32_t handle) QL_NOTHROW;

/* ---- DES ---- */
/* Single DES (FIPS 46) in electronic codebook mode: each 8-byte block is encrypted by itself; the
 * last block of an input whose length is not a multiple of 8 is completed with zero bytes. Byte 0
 * of a block or key holds the standard's bits 1..8. Key parity bits are ignored and not tested.
 * Any length is processed whole in one call (there is no 8000-byte limit); in and out may be the
 * same buffer, or overlap. No state remains between calls. */

/**
 * Encrypts len bytes.
 * @param key    [in] the key: its first keylen bytes are read, followed by zero bytes up to 8
 * @param keylen [in] key length: 8 or more takes 8 bytes; 1..7 fills the rest with zero bytes;
 *               0 or less gives the all-zero key (nothing is read from key)
 * @param in     [in] len bytes
 * @param len    [in] input length in bytes, up to 2147483640
 * @param out    [out] len rounded up to a multiple of 8 bytes
 * @return the number of bytes written to out (len rounded up to a multiple of 8); 0 for a len
 *         above 2147483640, whose output size does not fit the result: nothing is read or written
 */
QL_API int32_t QL_CALL DES_Encrypt(const uint8_t* key, int16_t keylen, const uint8_t* in, uint32_t len,
                                   uint8_t* out) QL_NOTHROW;

/** Decrypts len bytes; arguments and result as DES_Encrypt, with the subkeys in reverse order. */
QL_API int32_t QL_CALL DES_Decrypt(const uint8_t* key, int16_t keylen, const uint8_t* in, uint32_t len,
                                   uint8_t* out) QL_NOTHROW;

/**
 * DES_Encrypt with an 8-byte key.
 * @param key [in] 8 bytes
 * @param in  [in] the input bytes
 * @param len [in] its low 16 bits are the input length, 0..65535; the upper bits are ignored
 * @param out [out] the length rounded up to a multiple of 8 bytes
 * @return 0
 */
QL_API int16_t QL_CALL ic_encrypt(const uint8_t* key, const uint8_t* in, uint32_t len, uint8_t* out) QL_NOTHROW;

/** DES_Decrypt with an 8-byte key; arguments and result as ic_encrypt. */
QL_API int16_t QL_CALL ic_decrypt(const uint8_t* key, const uint8_t* in, uint32_t len, uint8_t* out) QL_NOTHROW;

#ifdef __cplusplus
}
#endif

#endif /* QUILLET_H */
