/**
 * @file quillet.h
 * Quillet: driver library for contact IC card readers on a serial or parallel port.
 *
 * Every function takes its port handle first (where it has one) and returns a status: 0 is
 * success, a negative value is either minus the reader's reply status byte or one of the
 * library's own codes below. Buffers belong to the caller; the library never allocates memory
 * that the caller must free.
 *
 * Threads: the library starts none. Opening and closing ports and finding a handle's port are
 * safe from any thread, and calls on different serial port handles are independent: they may
 * run at the same time on different threads. Calls on one handle must be serialised by the
 * caller (one exchange at a time on a line). Process-wide, shared by every handle and thread,
 * are only: the parallel port address (each parallel open replaces it, so one parallel port is
 * in use at a time, and the two parallel handles are the same for every thread); the extended
 * reader flag (set when a reader identifies itself as KTV4 or NOBLU, never cleared); the card
 * codes registered with set_code (register them before card checks on other threads rely on
 * them); and the cipher state of SetInit and Authenticate (one computation at a time in the
 * process).
 *
 * On 32-bit Windows every function uses the standard Windows calling convention (stdcall) and
 * is exported undecorated from quillet.dll; elsewhere the platform's C calling convention.
 *
 * Time-outs: a reply's first byte is awaited 2 s on a serial link (3 s on a parallel one, 8 s
 * for the card operations that program slowly), every later byte 200 ms (800 ms). Signals that
 * interrupt a wait neither end it nor restart it. After a failed reception (time-out in the
 * middle of a reply, wrong lead byte, wrong BCC, a reply longer than its buffer) the serial link
 * reads and discards whatever still arrives until the line has been quiet for 200 ms, for at
 * most 2 s, so that the next call does not take the rest of the bad reply for its own. A whole
 * reply that arrives later than its time-out (a reader answering after 2.5 s) cannot be told
 * from the reply to the next call, since frames carry no sequence number: after QL_TIMEOUT, a
 * reader known to answer late should be given that time before the next call.
 */
#ifndef QUILLET_H
#define QUILLET_H

/** Major version of the library (lib_ver reports "KOV###DRVSFT-V9.40A"). */
#define QUILLET_VERSION_MAJOR 9
/** Minor version of the library. */
#define QUILLET_VERSION_MINOR 40

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

/* Nothing thrown inside the library ever reaches a caller: noexcept from C++11 on (MSVC reports
 * its language level in _MSVC_LANG), throw() before; nothing in C. */
#if defined(__cplusplus) && (__cplusplus >= 201103L || (defined(_MSVC_LANG) && _MSVC_LANG >= 201103L))
#define QL_NOTHROW noexcept
#elif defined(__cplusplus)
#define QL_NOTHROW throw()
#else
#define QL_NOTHROW
#endif

/** @cond QL_INTERNAL */
/* The symbol of the export "xor" as the assembler names it, for the alias ql_xor below (on 32-bit
 * Windows the compiler makes the import reference __imp__xor@8 of it, as for a call to xor). */
#if defined(_WIN32) && !defined(_WIN64)
#define QL_XOR_SYMBOL "xor@8"
#elif defined(__APPLE__)
#define QL_XOR_SYMBOL "_xor"
#else
#define QL_XOR_SYMBOL "xor"
#endif
/** @endcond */

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

/*
 * Glossary of export prefixes
 *
 * A card function's name is an operation prefix, an underscore and the card family it drives
 * (srd_4442 reads an SLE4442, swr_24c02 writes a 24C02, csc_1608 presents a password to an
 * AT88SC1608); a _hex suffix takes or gives a code as hexadecimal text.
 *
 *   srd_  swr_          read, write the card's memory (srd_eeprom, swr_eeprom: the reader's own)
 *   ser_  eral_         erase a range, erase all
 *   prd_  pwr_          read the protection memory; protect bytes (write protection)
 *   rdwpb_  wrwpb_      read, write with the protection bits
 *   csc_  wsc_  rsc_    present, write, read the security code (password)
 *   rsct_               read the security code's error (attempt) counter
 *   cesc_ wesc_ resc_ resct_   the same four for the erase code
 *   clrpr_  clrrd_      clear the protect flag, the read flag
 *   fakefus_            fuse simulation
 *   srfus_  swfus_      read the fuse byte, blow a fuse
 *   psnl_               personalise (blows the personalisation fuse; cannot be undone)
 *   rac_  wac_          read, write an access register
 *   srdconfig_  swrconfig_   read, write the configuration zone
 *   rdcr_  wdcr_        read, write the device configuration register
 *   rautht_             read the authentication attempt counter
 *   init_auth_          send the host's half of a mutual authentication
 *   reset_              reset the card and read its answer to reset
 *   chk_                judge whether the inserted card is of the family (0 or QL_WRONG_CARD);
 *                       chk_card tries the families in turn, chk_baud finds the reader's rate
 *
 * The reader's own services: ic_init, auto_init, ic_exit (open, close), srd_ver (version text),
 * set_baud (its rate), dv_beep (buzzer), turn_on, turn_off (card contacts), get_status (card
 * present), srd_snr, swr_snr (serial number), srd_dvsc, swr_dvsc, cmp_dvsc (device code),
 * setsc_md (mode byte), val_ (stored value). Host computations: asc_hex, hex_asc and the other
 * conversions, cr_bcc, ck_bcc (checksums), SetInit, Authenticate (authentication cipher),
 * DES_Encrypt, DES_Decrypt, ic_encrypt, ic_decrypt (DES). Status texts: quillet_status.h.
 */

/*
 * Time-outs and durations
 *
 * Each exchange sends one frame and waits for one reply, with these limits (serial link; the
 * parallel links in brackets):
 *   - the reply's first byte within 2 s (3 s), or within 8 s for the long wait of the operations
 *     that give a card long programming times;
 *   - every later byte within 200 ms (800 ms) of the one before.
 * A missed limit ends the call with QL_TIMEOUT; a request cut into several frames may wait that
 * long for each. Nothing is retried, except the card-present query of get_status and
 * get_status_DPEx, which is tried up to three times (6 s with no reader).
 *
 * The longest calls, with no reader answering on a serial port:
 *   - chk_baud: about 23 s. It tries 9600, 115200, 38400, 57600, 19200, 28800, 4800, 2400, 1200,
 *     each with a 2 s query and, after the first, 0.5 s before closing.
 *   - auto_init: about 13 s. It queries at the requested rate, then hunts only 9600, 115200,
 *     19200, 38400 and 57600 (0.1 s settling and a 2 s query each): a reader running at 1200,
 *     2400, 4800 or 28800 is not found by auto_init (QL_NO_READER); chk_baud finds it, and
 *     ic_init at that rate followed by set_baud moves it. Once the reader is found, set_baud's
 *     2 s and a last query follow.
 *   - chk_card: a minute and a half or more. It tries 22 card checks, each after a turn_off, and
 *     every exchange of them waits its 2 s.
 *   - set_baud always takes at least 2 s (the reader restarts its link); dv_beep waits as long as
 *     the beep lasts.
 */

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
/*
 * xor: "xor" is an operator token in C++ and a macro of <iso646.h> in C, so the export is declared
 * under that name only in C (with the macro set aside while it is declared), and under the name
 * ql_xor wherever the compiler lets a declaration name its symbol (GCC, Clang: C and C++). ql_xor
 * is no second export: calls to it bind to the export "xor" itself.
 */
#ifndef __cplusplus
#ifdef xor
#pragma push_macro("xor")
#undef xor
/** @return a XOR b, 8 bits */
QL_API uint8_t QL_CALL xor(int32_t a, int32_t b);
#pragma pop_macro("xor")
#else
/** @return a XOR b, 8 bits */
QL_API uint8_t QL_CALL xor(int32_t a, int32_t b);
#endif
#endif
#if (defined(__GNUC__) || defined(__clang__)) && !defined(QUILLET_BUILDING) /* the library defines xor itself */
/** The export xor under a name C++ and <iso646.h> leave free. @return a XOR b, 8 bits */
QL_API uint8_t QL_CALL ql_xor(int32_t a, int32_t b) QL_NOTHROW __asm__(QL_XOR_SYMBOL);
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
 * The list replaces the family's earlier one; it is process-wide and lasts until the library is
 * unloaded.
 * @param count      [in] number of codes, at most 20 (0 or less empties the list); never more than
 *                   the codes whose bytes were given (byte_count / 2, or / 4 for family 6), so that
 *                   no zero or stale bytes count as a code
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

/* ---- AT45D041 flash cards ---- */

/*
 * Cards with an AT45D041 serial flash: 2048 pages of 264 bytes (540672 bytes), addressed by page
 * and byte offset within the page. Card type byte 0x6E.
 *
 * Transfers check, in this order and before anything is sent: length >= 1, else QL_BAD_LENGTH;
 * page 0..2047 and offset 0..263, else QL_BAD_ADDRESS; length <= (2048 - page) x 264 - offset,
 * else QL_BAD_LENGTH. A transfer walks from (page, offset) in chunks that never cross a page end;
 * the first failure ends it and the chunks already carried out stay done.
 *
 * srd_45d041 and swr_45d041 first make sure the card answers (chk_45d041; QL_READ_FAILED or
 * QL_WRITE_FAILED when it does not), then move at most 144 bytes a frame. A failed send or
 * receive is tried again up to 10 times after a pause of 300 ms; swr_45d041 also tries again up
 * to 3 times, after the same pause, when the reader answers "busy" (status byte 0x94, -148 when it
 * lasts). Every other refusal ends the call at once. The pauses hold the calling thread.
 *
 * Read_45 and Write_45 move up to the rest of a page (264 bytes) a frame and repeat a failed
 * exchange of any kind at once, up to 3 times in a row. Read_45 reads every chunk twice; when the
 * two replies differ, a third read decides which one holds, and QL_READ_FAILED when all three
 * differ.
 *
 * While the reader is an extended one (it identified itself as such when the port was opened,
 * for the rest of the process), srd_45d041 and swr_45d041 are Read_45 and Write_45.
 *
 * Other failures: a transport status (QL_TIMEOUT, QL_BAD_LEAD, QL_BAD_BCC, QL_REPLY_TOO_LONG,
 * QL_READ_FAILED, QL_WRITE_FAILED) or minus the reply status byte, after the retries. A read
 * whose reply carries fewer bytes than asked returns QL_READ_FAILED.
 */

/**
 * Writes flash, at most 144 bytes a frame, with pauses between retries.
 * @param page   [in] 0..2047
 * @param offset [in] 0..263
 * @param length [in] 1..(2048-page) x 264 - offset
 * @param data   [in] length bytes
 * @return 0, QL_BAD_LENGTH, QL_BAD_ADDRESS, QL_WRITE_FAILED (no card answers), -148 (still busy),
 *         or a status of the list above
 */
QL_API int16_t QL_CALL swr_45d041(int32_t handle, int16_t page, int16_t offset, int32_t length, const uint8_t* data) QL_NOTHROW;
/**
 * Reads flash, at most 144 bytes a frame, with pauses between retries.
 * @param page   [in] 0..2047
 * @param offset [in] 0..263
 * @param length [in] 1..(2048-page) x 264 - offset
 * @param buffer [out] length bytes
 * @return 0, QL_BAD_LENGTH, QL_BAD_ADDRESS, QL_READ_FAILED (no card answers), or a status of the
 *         list above
 */
QL_API int16_t QL_CALL srd_45d041(int32_t handle, int16_t page, int16_t offset, int32_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * Writes flash, up to the rest of a page a frame, retrying at once.
 * @param page   [in] 0..2047
 * @param offset [in] 0..263
 * @param length [in] 1..(2048-page) x 264 - offset
 * @param data   [in] length bytes
 * @return 0, QL_BAD_LENGTH, QL_BAD_ADDRESS or a status of the list above
 */
QL_API int16_t QL_CALL Write_45(int32_t handle, int16_t page, int16_t offset, int32_t length, const uint8_t* data) QL_NOTHROW;
/**
 * Reads flash, up to the rest of a page a frame, every chunk twice (a third read settles a
 * disagreement), retrying at once.
 * @param page   [in] 0..2047
 * @param offset [in] 0..263
 * @param length [in] 1..(2048-page) x 264 - offset
 * @param buffer [out] length bytes
 * @return 0, QL_BAD_LENGTH, QL_BAD_ADDRESS, QL_READ_FAILED (three reads that all differ) or a
 *         status of the list above
 */
QL_API int16_t QL_CALL Read_45(int32_t handle, int16_t page, int16_t offset, int32_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * Reads the flash status byte: the status frame goes out four times, the fourth reply counts.
 * @param status [out] one byte; 0x00 and 0xFF mean no usable card
 * @return 0, a transport status or minus the reply status byte
 */
QL_API int16_t QL_CALL rdstrg_45d041(int32_t handle, uint8_t* status) QL_NOTHROW;
/**
 * Is an AT45D041 card there? Up to three flash status reads (rdstrg_45d041).
 * @return 0 when a status other than 0x00 and 0xFF shows, QL_WRONG_CARD after three 0x00 or 0xFF,
 *         or the status of a failed read
 */
QL_API int16_t QL_CALL chk_45d041(int32_t handle) QL_NOTHROW;
/**
 * Opens a parallel port for an AT45D041 reader: the parallel mode command on the byte link
 * (twice), then on the nibble link (twice), 800 ms apart; when none is answered, the card-present
 * query on the nibble link. Nothing needs closing afterwards.
 * @param address [in] the port's I/O address (888 for 0x378)
 * @return QL_BYTE_LINK (8888), QL_NIBBLE_LINK (6666) or QL_PORT_ERROR when no reader answers
 */
QL_API int32_t QL_CALL Init_45(int16_t address) QL_NOTHROW;

/* ---- SSF1101 ---- */

/*
 * SSF1101 cards: 512 pages of 1024 bytes (524288 bytes). Card type byte 0x6F. Transfers go page
 * by page, up to the rest of a page an exchange; the first failure ends them and the pieces
 * already carried out stay done. A failed exchange is tried again after a pause of 300 ms (which
 * holds the calling thread): a read up to 10 times for a failed send or receive and 3 times for a
 * refusal; a write up to 4 times for a failed send or receive and 3 times for "busy" (status byte
 * 0x94, -148 when it lasts), every retry starting the piece again with its announce frame.
 *
 * chk_ssf1101 and eral_ssf1101 let the card work longer: on a serial port the read time-outs grow
 * for each of their exchanges (up to 2 s between bytes for the status read, 3 s for the erase)
 * and are put back afterwards, also when the exchange fails. The parallel links keep their waits.
 *
 * Failures: a transport status (QL_TIMEOUT, QL_BAD_LEAD, QL_BAD_BCC, QL_REPLY_TOO_LONG,
 * QL_READ_FAILED, QL_WRITE_FAILED) or minus the reply status byte, after the retries. A read whose
 * reply carries fewer bytes than asked returns QL_READ_FAILED.
 */

/**
 * Reads an SSF1101.
 * @param page   [in] 0..511
 * @param offset [in] 0..1023
 * @param length [in] 1..(512-page) x 1024 - offset
 * @param buffer [out] length bytes
 * @return 0; QL_BAD_LENGTH (checked first: length < 1; last: past the card's end); QL_BAD_ADDRESS;
 *         or a status of the list above
 */
QL_API int16_t QL_CALL srd_ssf1101(int32_t handle, int16_t page, int16_t offset, int32_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * Writes an SSF1101: for each piece an announce frame, then, once the reader accepts it, the data.
 * @param page   [in] 0..511
 * @param offset [in] 0..1024 (1024: the end of the page; the data start on the next page)
 * @param length [in] up to (512-page) x 1024 - offset; 0 or less returns 0 and sends nothing
 * @param data   [in] length bytes
 * @return 0, QL_BAD_ADDRESS, QL_BAD_LENGTH, -148 (still busy) or a status of the list above
 */
QL_API int16_t QL_CALL swr_ssf1101(int32_t handle, int16_t page, int16_t offset, int32_t length, const uint8_t* data) QL_NOTHROW;
/** Erases the whole SSF1101 (every byte 0xFF). @return 0, a transport status or minus the reply status byte */
QL_API int16_t QL_CALL eral_ssf1101(int32_t handle) QL_NOTHROW;
/**
 * Is an SSF1101 there? Up to three card status reads, each of four frames; the fourth reply's
 * status byte is 0x0F on an SSF1101.
 * @return 0, QL_WRONG_CARD after three other values, or the status of a failed exchange
 */
QL_API int16_t QL_CALL chk_ssf1101(int32_t handle) QL_NOTHROW;

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

/* ---- SLE4404 ---- */

/*
 * SLE4404 security memory cards (frames with card type byte 0x7A): 52 bytes. Bytes 0..2 identify
 * the card; 8..9 hold the security code, byte 10 its error counter in bits 4..7; byte 14 carries
 * the protect flag (bit 7) and the read flag (bit 6); 40..43 hold the erase code, 44..51 the erase
 * counter (64 bits). The card enforces its codes, counters, flags and fuse (what it allows before
 * and after personalisation is its own); its refusals come back as minus the reader's status byte.
 * The library keeps no state for the card. Arguments are checked before anything is sent.
 * Statuses of every function below, besides those named: 0, a transport status, or minus the
 * reply status byte; reads also QL_READ_FAILED (a reply shorter than asked, buffer untouched).
 */

/** Reads. @param offset [in] 0..51 @param length [in] 1..52 - offset @param buffer [out] length bytes
 *  @return also QL_BAD_ADDRESS, QL_BAD_LENGTH (nothing sent) */
QL_API int16_t QL_CALL srd_4404(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) QL_NOTHROW;
/** Writes (the card only clears bits: erase first to store new values).
 *  @param offset [in] 0..51 @param length [in] 1..52 - offset @param data [in] length bytes
 *  @return also QL_BAD_ADDRESS, QL_BAD_LENGTH (nothing sent) */
QL_API int16_t QL_CALL swr_4404(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) QL_NOTHROW;
/**
 * Erases bytes (sets them to FF). No erase starts inside 14..39; one that starts before 14 may run
 * on across it.
 * @param offset [in] 0..13 or 40..51
 * @param length [in] 1..52 - offset
 * @return also QL_BAD_ADDRESS (offset out of range or in 14..39), QL_BAD_LENGTH (nothing sent)
 */
QL_API int16_t QL_CALL ser_4404(int32_t handle, int16_t offset, int16_t length) QL_NOTHROW;
/** Presents the security code; a wrong one costs the card an attempt.
 *  @param length [in] 2 @param code [in] 2 bytes @return also QL_BAD_LENGTH (nothing sent) */
QL_API int16_t QL_CALL csc_4404(int32_t handle, int16_t length, const uint8_t* code) QL_NOTHROW;
/** Writes a new security code: ser_4404(8, 2), then swr_4404(8, 2, code); a failed erase sends no
 *  write, a failed write leaves the code erased. @param length [in] 2 @param code [in] 2 bytes
 *  @return also QL_BAD_LENGTH (nothing sent) */
QL_API int16_t QL_CALL wsc_4404(int32_t handle, int16_t length, const uint8_t* code) QL_NOTHROW;
/** Reads the security code: srd_4404(8, 2, buffer). @param length [in] 2 @param buffer [out] 2 bytes
 *  @return also QL_BAD_LENGTH (nothing sent) */
QL_API int16_t QL_CALL rsc_4404(int32_t handle, int16_t length, uint8_t* buffer) QL_NOTHROW;
/** Reads the error counter: the 1 bits among bits 4..7 of byte 10 (0..4).
 *  @param count [out] set only on success */
QL_API int16_t QL_CALL rsct_4404(int32_t handle, int16_t* count) QL_NOTHROW;
/** Presents the erase code. @param length [in] 4 @param code [in] 4 bytes
 *  @return also QL_BAD_LENGTH (nothing sent) */
QL_API int16_t QL_CALL cesc_4404(int32_t handle, int16_t length, const uint8_t* code) QL_NOTHROW;
/** Writes a new erase code: ser_4404(40, 4), then swr_4404(40, 4, code).
 *  @param length [in] 4 @param code [in] 4 bytes @return also QL_BAD_LENGTH (nothing sent) */
QL_API int16_t QL_CALL wesc_4404(int32_t handle, int16_t length, const uint8_t* code) QL_NOTHROW;
/** Reads the erase code: srd_4404(40, 4, buffer). @param length [in] 4 @param buffer [out] 4 bytes
 *  @return also QL_BAD_LENGTH (nothing sent) */
QL_API int16_t QL_CALL resc_4404(int32_t handle, int16_t length, uint8_t* buffer) QL_NOTHROW;
/** Reads the erase counter: the 1 bits of bytes 44..51 (0..64). @param count [out] set only on success */
QL_API int16_t QL_CALL resct_4404(int32_t handle, int16_t* count) QL_NOTHROW;
/** Asks the reader to simulate a blown fuse (flag not 0: byte 0xFF) or to stop (flag 0: 0x00).
 *  @param flag [in] any value */
QL_API int16_t QL_CALL fakefus_4404(int32_t handle, int16_t flag) QL_NOTHROW;
/** Clears the protect flag (bit 7 of byte 14): reads the byte and writes it back only when the bit is set. */
QL_API int16_t QL_CALL clrpr_4404(int32_t handle) QL_NOTHROW;
/** Clears the read flag (bit 6 of byte 14): reads the byte and writes it back only when the bit is set. */
QL_API int16_t QL_CALL clrrd_4404(int32_t handle) QL_NOTHROW;
/** Personalises the card: blows its fuse. */
QL_API int16_t QL_CALL psnl_4404(int32_t handle) QL_NOTHROW;
/**
 * Judges whether the card is an SLE4404: bytes 0..1 are B7 A0, 81 24, or a code registered under
 * family index 3 (set_code).
 * @return 0, QL_WRONG_CARD, or the status of the failed read
 */
QL_API int16_t QL_CALL chk_4404(int32_t handle) QL_NOTHROW;

/* ---- SLE4406, SLE4436 ---- */

/*
 * SLE4406 counter cards (frames with card type byte 0x7B; SLE4436 cards use the same functions and
 * have their own check chk_4436): 13 bytes. Bytes 0..2 identify the card; byte 8 bit 7 is the
 * personalisation bit; bytes 8..12 are the counter bytes, byte 9 the error counter and 10..12 the
 * 3-byte security code. The card enforces code, counter and personalisation; its refusals come
 * back as minus the reader's status byte. The library keeps no state for the card. Arguments are
 * checked before anything is sent. Statuses of every function below, besides those named: 0, a
 * transport status, or minus the reply status byte; reads also QL_READ_FAILED (a reply shorter
 * than asked, buffer untouched).
 */

/** Reads. @param offset [in] 0..12 @param length [in] 1..13 - offset @param buffer [out] length bytes
 *  @return also QL_BAD_ADDRESS, QL_BAD_LENGTH (nothing sent) */
QL_API int16_t QL_CALL srd_4406(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) QL_NOTHROW;
/** Writes. @param offset [in] 0..12 @param length [in] 1..13 - offset @param data [in] length bytes
 *  @return also QL_BAD_ADDRESS, QL_BAD_LENGTH (nothing sent) */
QL_API int16_t QL_CALL swr_4406(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) QL_NOTHROW;
/** One counter step on a counter byte. @param offset [in] 8..12
 *  @return also QL_BAD_ADDRESS (nothing sent) */
QL_API int16_t QL_CALL eswc_4406(int32_t handle, int16_t offset) QL_NOTHROW;
/**
 * Presents the security code, then reads bytes 10..12 back to confirm it (nothing is read when
 * the presentation is refused).
 * @param length [in] 3
 * @param code   [in] 3 bytes
 * @return also QL_BAD_LENGTH (nothing sent), the status of the failed read-back, QL_WRITE_FAILED
 *         (the bytes read back differ from the code)
 */
QL_API int16_t QL_CALL csc_4406(int32_t handle, int16_t length, const uint8_t* code) QL_NOTHROW;
/** Writes a new security code: swr_4406(10, 3, code), nothing erased first.
 *  @param length [in] 3 @param code [in] 3 bytes @return also QL_BAD_LENGTH (nothing sent) */
QL_API int16_t QL_CALL wsc_4406(int32_t handle, int16_t length, const uint8_t* code) QL_NOTHROW;
/** Reads the security code: srd_4406(10, 3, buffer). @param length [in] 3 @param buffer [out] 3 bytes
 *  @return also QL_BAD_LENGTH (nothing sent) */
QL_API int16_t QL_CALL rsc_4406(int32_t handle, int16_t length, uint8_t* buffer) QL_NOTHROW;
/** Reads the error counter: the 1 bits of byte 9 (0..8). @param count [out] set only on success */
QL_API int16_t QL_CALL rsct_4406(int32_t handle, int16_t* count) QL_NOTHROW;
/** Personalises the card: reads byte 8 and writes it back with bit 7 cleared, only when the bit is set. */
QL_API int16_t QL_CALL psnl_4406(int32_t handle) QL_NOTHROW;
/**
 * Judges whether the card is an SLE4406: bytes 0..1 are 98 20, or byte 2 is 22, or bytes 0..1 are
 * a code registered under family index 4 (set_code).
 * @return 0, or QL_WRONG_CARD (also when the read fails)
 */
QL_API int16_t QL_CALL chk_4406(int32_t handle) QL_NOTHROW;
/**
 * Judges whether the card is an SLE4436 (read with the SLE4406 frames): bytes 0..1 are E8 31, or
 * byte 2 is 5F, or bytes 0..1 are a code registered under family index 4 (set_code).
 * @return 0, or QL_WRONG_CARD (also when the read fails)
 */
QL_API int16_t QL_CALL chk_4436(int32_t handle) QL_NOTHROW;

/* ---- AT88SC101, AT88SC102 ---- */

/*
 * AT88SC101 (frames with card type byte 0x71): 172 bytes in one area. Bytes 0..1 identify the
 * card; 10..11 hold the security code, byte 12 its error counter; byte 22 carries the protect flag
 * (bit 7) and the read flag (bit 6); 150..153 hold the erase code, 154..169 the erase counter.
 *
 * AT88SC102 (card type byte 0x72): 178 bytes in three zones, addressed by zone and offset.
 *   zone 0 (base 0, offsets 0..21): identification 0..1, security code 10..11, error counter in
 *          bits 4..7 of byte 12;
 *   zone 1 (base 22, offsets 0..69): flag byte at offset 0, erase code of 6 bytes at offset 64;
 *   zone 2 (base 92, offsets 0..85): flag byte at offset 0, erase code of 4 bytes at offset 64,
 *          erase counter of 16 bytes at offset 68.
 * A read or erase may run on from its zone across the following zones to the end of the card (byte
 * 177); a write stays inside its zone. A zone the card does not have is reported as an address by
 * the reads and the erase-code and flag functions, and as a length by swr_102 and ser_102.
 *
 * Requests of more than 144 bytes travel as two frames; a failure in the second leaves the first
 * done (for a read: the first 144 bytes are in the buffer). Codes are written by erasing their
 * bytes first (a failed erase sends no write; a failed write leaves the code erased). The card
 * enforces its codes, counters, flags and fuse; its refusals come back as minus the reader's
 * status byte. The library keeps no state for the cards. Arguments are checked before anything is
 * sent. Statuses of every function below, besides those named: 0, a transport status, or minus
 * the reply status byte; reads also QL_READ_FAILED (a reply shorter than asked).
 */

/** Reads. @param offset [in] 0..171 @param length [in] 1..172 - offset @param buffer [out] length bytes
 *  @return also QL_BAD_ADDRESS, QL_BAD_LENGTH (nothing sent) */
QL_API int16_t QL_CALL srd_101(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer) QL_NOTHROW;
/** Writes (the card only clears bits: erase first to store new values).
 *  @param offset [in] 0..171 @param length [in] 1..172 - offset @param data [in] length bytes
 *  @return also QL_BAD_ADDRESS, QL_BAD_LENGTH (nothing sent) */
QL_API int16_t QL_CALL swr_101(int32_t handle, int16_t offset, int16_t length, const uint8_t* data) QL_NOTHROW;
/** Erases bytes (sets them to FF). @param offset [in] 0..171 @param length [in] 1..172 - offset
 *  @return also QL_BAD_ADDRESS, QL_BAD_LENGTH (nothing sent) */
QL_API int16_t QL_CALL ser_101(int32_t handle, int16_t offset, int16_t length) QL_NOTHROW;
/** Presents the security code; a wrong one costs the card an attempt.
 *  @param length [in] 2 @param code [in] 2 bytes @return also QL_BAD_LENGTH (nothing sent) */
QL_API int16_t QL_CALL csc_101(int32_t handle, int16_t length, const uint8_t* code) QL_NOTHROW;
/** Writes a new security code: erases bytes 10..11, then stores the code with the code-area write.
 *  @param length [in] 2 @param code [in] 2 bytes @return also QL_BAD_LENGTH (nothing sent) */
QL_API int16_t QL_CALL wsc_101(int32_t handle, int16_t length, const uint8_t* code) QL_NOTHROW;
/** Reads the security code: srd_101(10, 2, buffer). @param length [in] 2 @param buffer [out] 2 bytes
 *  @return also QL_BAD_LENGTH (nothing sent) */
QL_API int16_t QL_CALL rsc_101(int32_t handle, int16_t length, uint8_t* buffer) QL_NOTHROW;
/** Reads the error counter: the 1 bits of byte 12 (0..8). @param count [out] set only on success */
QL_API int16_t QL_CALL rsct_101(int32_t handle, int16_t* count) QL_NOTHROW;
/** Presents the erase code. @param length [in] 4 @param code [in] 4 bytes
 *  @return also QL_BAD_LENGTH (nothing sent) */
QL_API int16_t QL_CALL cesc_101(int32_t handle, int16_t length, const uint8_t* code) QL_NOTHROW;
/** Writes a new erase code: erases bytes 150..153, then stores the code with the code-area write.
 *  @param length [in] 4 @param code [in] 4 bytes @return also QL_BAD_LENGTH (nothing sent) */
QL_API int16_t QL_CALL wesc_101(int32_t handle, int16_t length, const uint8_t* code) QL_NOTHROW;
/** Reads the erase code: srd_101(150, 4, buffer). @param length [in] 4 @param buffer [out] 4 bytes
 *  @return also QL_BAD_LENGTH (nothing sent) */
QL_API int16_t QL_CALL resc_101(int32_t handle, int16_t length, uint8_t* buffer) QL_NOTHROW;
/** Reads the erase counter: the 1 bits of bytes 154..169 (0..128). @param count [out] set only on success */
QL_API int16_t QL_CALL resct_101(int32_t handle, int16_t* count) QL_NOTHROW;
/** Clears the protect flag (bit 7 of byte 22): reads the byte and writes it back only when the bit is set. */
QL_API int16_t QL_CALL clrpr_101(int32_t handle) QL_NOTHROW;
/** Clears the read flag (bit 6 of byte 22): reads the byte and writes it back only when the bit is set. */
QL_API int16_t QL_CALL clrrd_101(int32_t handle) QL_NOTHROW;
/** Personalises the card: blows its fuse. */
QL_API int16_t QL_CALL psnl_101(int32_t handle) QL_NOTHROW;
/** Judges whether the card is an AT88SC101: bytes 0..1 are 0F 0F (no registered codes).
 *  @return 0, QL_WRONG_CARD, or the status of the failed read */
QL_API int16_t QL_CALL chk_101(int32_t handle) QL_NOTHROW;
/** Asks the reader to simulate a blown fuse (flag not 0: byte 0xFF) or to stop (flag 0: 0x00).
 *  @param flag [in] any value */
QL_API int16_t QL_CALL fakefus_101(int32_t handle, int16_t flag) QL_NOTHROW;

/**
 * Reads from zone/offset on, running on across the following zones up to byte 177.
 * @param zone   [in] 0, 1 or 2
 * @param offset [in] zone 0: 0..21, zone 1: 0..69, zone 2: 0..85
 * @param length [in] 1 or more, at most 178 - offset (zone 0), 156 - offset (zone 1), 86 - offset (zone 2)
 * @param buffer [out] length bytes
 * @return also QL_BAD_LENGTH (checked first), QL_BAD_ADDRESS (zone or offset) (nothing sent)
 */
QL_API int16_t QL_CALL srd_102(int32_t handle, int16_t zone, int16_t offset, int16_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * Writes inside one zone, in one frame (the card only clears bits: erase first to store new values).
 * @param zone   [in] 0, 1 or 2
 * @param offset [in] zone 0: 0..21, zone 1: 0..69, zone 2: 0..85
 * @param length [in] 1 or more, at most 22, 70 or 86 - offset
 * @param data   [in] length bytes
 * @return also QL_BAD_LENGTH (length, or a zone other than 0..2), QL_BAD_ADDRESS (offset) (nothing sent)
 */
QL_API int16_t QL_CALL swr_102(int32_t handle, int16_t zone, int16_t offset, int16_t length, const uint8_t* data) QL_NOTHROW;
/**
 * Erases from zone/offset on (sets bytes to FF), with the limits of srd_102.
 * @return also QL_BAD_LENGTH (length, or a zone other than 0..2), QL_BAD_ADDRESS (offset) (nothing sent)
 */
QL_API int16_t QL_CALL ser_102(int32_t handle, int16_t zone, int16_t offset, int16_t length) QL_NOTHROW;
/** Presents the security code; a wrong one costs the card an attempt.
 *  @param length [in] 2 @param code [in] 2 bytes @return also QL_BAD_LENGTH (nothing sent) */
QL_API int16_t QL_CALL csc_102(int32_t handle, int16_t length, const uint8_t* code) QL_NOTHROW;
/** Writes a new security code: erases zone 0 bytes 10..11, then stores the code with the code-area
 *  write. @param length [in] 2 @param code [in] 2 bytes @return also QL_BAD_LENGTH (nothing sent) */
QL_API int16_t QL_CALL wsc_102(int32_t handle, int16_t length, const uint8_t* code) QL_NOTHROW;
/** Reads the security code: srd_102(0, 10, 2, buffer). @param length [in] 2 @param buffer [out] 2 bytes
 *  @return also QL_BAD_LENGTH (nothing sent) */
QL_API int16_t QL_CALL rsc_102(int32_t handle, int16_t length, uint8_t* buffer) QL_NOTHROW;
/** Reads the error counter: the 1 bits among bits 4..7 of byte 12 (0..4). @param count [out] set only on success */
QL_API int16_t QL_CALL rsct_102(int32_t handle, int16_t* count) QL_NOTHROW;
/**
 * Presents the erase code of a zone.
 * @param zone   [in] 1 or 2
 * @param length [in] 6 (zone 1) or 4 (zone 2)
 * @param code   [in] length bytes
 * @return also QL_BAD_LENGTH (below 1, or not the zone's), QL_BAD_ADDRESS (zone) (nothing sent)
 */
QL_API int16_t QL_CALL cesc_102(int32_t handle, int16_t zone, int16_t length, const uint8_t* code) QL_NOTHROW;
/** Writes a new erase code of a zone: erases offsets 64.. of the zone, then stores the code with
 *  the code-area write. Arguments and checks as cesc_102. */
QL_API int16_t QL_CALL wesc_102(int32_t handle, int16_t zone, int16_t length, const uint8_t* code) QL_NOTHROW;
/** Reads the erase code of a zone: srd_102(zone, 64, length, buffer). Arguments and checks as
 *  cesc_102. @param buffer [out] length bytes */
QL_API int16_t QL_CALL resc_102(int32_t handle, int16_t zone, int16_t length, uint8_t* buffer) QL_NOTHROW;
/** Reads the erase counter of zone 2: the 1 bits of its 16 bytes (0..128).
 *  @param zone [in] 2 @param count [out] set only on success @return also QL_BAD_ADDRESS (nothing sent) */
QL_API int16_t QL_CALL resct_102(int32_t handle, int16_t zone, int16_t* count) QL_NOTHROW;
/** Clears the protect flag (bit 7 of the zone's first byte), writing only when the bit is set.
 *  @param zone [in] 1 or 2 @return also QL_BAD_ADDRESS (nothing sent) */
QL_API int16_t QL_CALL clrpr_102(int32_t handle, int16_t zone) QL_NOTHROW;
/** Clears the read flag (bit 6 of the zone's first byte), writing only when the bit is set.
 *  @param zone [in] 1 or 2 @return also QL_BAD_ADDRESS (nothing sent) */
QL_API int16_t QL_CALL clrrd_102(int32_t handle, int16_t zone) QL_NOTHROW;
/** Asks the reader to simulate a blown fuse (flag not 0: byte 0xFF) or to stop (flag 0: 0x00).
 *  @param flag [in] any value */
QL_API int16_t QL_CALL fakefus_102(int32_t handle, int16_t flag) QL_NOTHROW;
/** Personalises the card: blows its fuse. */
QL_API int16_t QL_CALL psnl_102(int32_t handle) QL_NOTHROW;
/**
 * Judges whether the card is an AT88SC102: bytes 0..1 are 0F 0F, 71 55, 17 AA, 77 57, or a code
 * registered under family index 0 (set_code).
 * @return 0, QL_WRONG_CARD, or the status of the failed read
 */
QL_API int16_t QL_CALL chk_102(int32_t handle) QL_NOTHROW;

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

/* ---- AT88SC1604, AT88SC1604B, AT88SC1604C ---- */

/*
 * AT88SC1604 security memory cards (frames with card type byte 0x73) in three variants of 16
 * functions each: suffix _1604 (AT88SC1604), _1604b (AT88SC1604B) and _1604c (AT88SC1604C). The
 * caller names a zone (0 the card's system area, 1..4 the application zones) and an offset within
 * it; the frames carry the zone number and the absolute address, zone base + offset. Zone bases
 * of zones 1..4: 27, 1227, 1488, 1749 (1604); 27, 545, 1063, 1581 (1604B); 27, 544, 1061, 1578
 * (1604C). Identification bytes: zone 0 offsets 0..1; zone 0 security code at 10..11, its error
 * counter at 12.
 *
 * Bounds of the data functions per zone: the largest offset (else QL_BAD_ADDRESS, as for a
 * negative offset), then the largest offset + length (else QL_BAD_LENGTH):
 *
 *   variant  function  zone 0    zone 1     zone 2     zone 3    zone 4
 *   1604     srd       26; 2007  1199; 1980 260; 780   260; 519  257; 258
 *   1604     ser       26; 27    1199; 1200 260; 261   260; 261  257; 258
 *   1604     swr       20; 21    1194; 1195 255; 256   255; 256  257; 258
 *   1604B    srd       26; 2042  517; 2015  517; 1497  517; 979  460; 461
 *   1604B    ser       26; 27    517; 518   517; 518   517; 518  460; 461
 *   1604B    swr       20; 21    511; 512   511; 512   511; 512  460; 461
 *   1604C    srd       26; 2011  516; 1984  516; 1467  516; 950  461; 433
 *   1604C    ser       26; 27    516; 517   516; 517   516; 517  461; 462
 *   1604C    swr       20; 21    511; 512   511; 512   511; 512  459; 460
 *
 * A read may start in any zone and run on across the later zones to the end of the readable
 * memory (absolute 2006, 2041 and 2010); erases and writes stay inside their zone. The plain write
 * stops short of the code block at the end of a zone (the next zone's security code, error
 * counter, erase code and erase counter); the erase reaches it. On the 1604C a zone-4 read
 * accepts offsets up to 461 but ends at 433, so offsets 433..461 give QL_BAD_LENGTH whatever the
 * length. A zone outside 0..4 is QL_BAD_LENGTH in srd_, swr_ and ser_, and QL_BAD_ADDRESS in the
 * code, counter and flag functions.
 *
 * Codes are 2 bytes; counters are 1 byte whose 1 bits are counted. Writing a code (wsc_, wesc_)
 * erases its 2 bytes and then stores it with the card's code-area write (which has the erase's
 * bounds); when the erase fails the write is not tried, and when the write fails nothing is
 * restored. Frames carry at most 144 bytes; longer requests go as several frames, and the first
 * failing frame ends the call with the earlier frames done.
 *
 * Reply waits: writes and code writes wait long on the 1604 (8 s for the first reply byte),
 * erases and writes on the 1604B and 1604C; everything else waits normally (2 s on a serial link,
 * 3 s on a parallel link). The card enforces its codes, counters, protect and read flags and its
 * fuse: its refusals come back as minus the reply status byte. The library keeps no state for
 * these cards, and checks every argument before anything is sent.
 */

/**
 * AT88SC1604: reads from zone/offset on, continuing into the later zones up to absolute 2006.
 * A failure leaves the bytes of the earlier frames in buffer.
 * @param zone   [in] 0..4
 * @param offset [in] 0 .. the zone's largest read offset (table above)
 * @param length [in] 1 or more, offset + length within the zone's read end (table above)
 * @param buffer [out] length bytes
 * @return 0, QL_BAD_LENGTH (length, zone or end), QL_BAD_ADDRESS (offset) (nothing sent),
 *         QL_READ_FAILED (short reply), a transport status or minus the reply status byte
 */
QL_API int16_t QL_CALL srd_1604(int32_t handle, int16_t zone, int16_t offset, int16_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * AT88SC1604: writes inside one zone, stopping short of the code block at its end (long wait).
 * @param zone   [in] 0..4
 * @param offset [in] 0 .. the zone's largest write offset (table above)
 * @param length [in] 1 or more, offset + length within the zone's write end (table above)
 * @param data   [in] length bytes
 * @return 0, QL_BAD_LENGTH (length, zone or end), QL_BAD_ADDRESS (offset) (nothing sent), a
 *         transport status or minus the reply status byte
 */
QL_API int16_t QL_CALL swr_1604(int32_t handle, int16_t zone, int16_t offset, int16_t length, const uint8_t* data) QL_NOTHROW;
/**
 * AT88SC1604: erases bytes inside one zone, its code block included (normal wait).
 * @param zone   [in] 0..4
 * @param offset [in] 0 .. the zone's largest erase offset (table above)
 * @param length [in] 1 or more, offset + length within the zone's erase end (table above)
 * @return 0, QL_BAD_LENGTH (length, zone or end), QL_BAD_ADDRESS (offset) (nothing sent), a
 *         transport status or minus the reply status byte
 */
QL_API int16_t QL_CALL ser_1604(int32_t handle, int16_t zone, int16_t offset, int16_t length) QL_NOTHROW;
/**
 * AT88SC1604: presents the zone's security code to the card.
 * @param zone   [in] 0..4
 * @param length [in] 2
 * @param code   [in] 2 bytes
 * @return 0, QL_BAD_LENGTH, QL_BAD_ADDRESS (zone) (nothing sent), a transport status or minus
 *         the reply status byte
 */
QL_API int16_t QL_CALL csc_1604(int32_t handle, int16_t zone, int16_t length, const uint8_t* code) QL_NOTHROW;
/**
 * AT88SC1604: writes the zone's security code: erase its 2 bytes (normal wait), then the code-area write
 * (long wait).
 * @param zone   [in] 0..4
 * @param length [in] 2
 * @param code   [in] 2 bytes
 * @return 0, QL_BAD_LENGTH, QL_BAD_ADDRESS (zone) (nothing sent), a transport status or minus
 *         the reply status byte of the erase or of the write
 */
QL_API int16_t QL_CALL wsc_1604(int32_t handle, int16_t zone, int16_t length, const uint8_t* code) QL_NOTHROW;
/**
 * AT88SC1604: reads the zone's security code.
 * @param zone   [in] 0..4
 * @param length [in] 2
 * @param buffer [out] 2 bytes
 * @return 0, QL_BAD_LENGTH, QL_BAD_ADDRESS (zone) (nothing sent), QL_READ_FAILED (short reply),
 *         a transport status or minus the reply status byte
 */
QL_API int16_t QL_CALL rsc_1604(int32_t handle, int16_t zone, int16_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * AT88SC1604: presents the zone's erase code to the card.
 * @param zone   [in] 1..4
 * @param length [in] 2
 * @param code   [in] 2 bytes
 * @return 0, QL_BAD_LENGTH, QL_BAD_ADDRESS (zone) (nothing sent), a transport status or minus
 *         the reply status byte
 */
QL_API int16_t QL_CALL cesc_1604(int32_t handle, int16_t zone, int16_t length, const uint8_t* code) QL_NOTHROW;
/**
 * AT88SC1604: writes the zone's erase code: erase its 2 bytes (normal wait), then the code-area write
 * (long wait).
 * @param zone   [in] 1..4
 * @param length [in] 2
 * @param code   [in] 2 bytes
 * @return 0, QL_BAD_LENGTH, QL_BAD_ADDRESS (zone) (nothing sent), a transport status or minus
 *         the reply status byte of the erase or of the write
 */
QL_API int16_t QL_CALL wesc_1604(int32_t handle, int16_t zone, int16_t length, const uint8_t* code) QL_NOTHROW;
/**
 * AT88SC1604: reads the zone's erase code.
 * @param zone   [in] 1..4
 * @param length [in] 2
 * @param buffer [out] 2 bytes
 * @return 0, QL_BAD_LENGTH, QL_BAD_ADDRESS (zone) (nothing sent), QL_READ_FAILED (short reply),
 *         a transport status or minus the reply status byte
 */
QL_API int16_t QL_CALL resc_1604(int32_t handle, int16_t zone, int16_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * AT88SC1604: reads the zone's error counter and counts its 1 bits.
 * @param zone  [in] 0 or 1
 * @param count [out] 0..8; untouched on failure
 * @return 0, QL_BAD_ADDRESS (zone) (nothing sent), QL_READ_FAILED (short reply), a transport
 *         status or minus the reply status byte
 */
QL_API int16_t QL_CALL rsct_1604(int32_t handle, int16_t zone, int16_t* count) QL_NOTHROW;
/**
 * AT88SC1604: reads the zone's erase counter and counts its 1 bits.
 * @param zone  [in] 1..4
 * @param count [out] 0..8; untouched on failure
 * @return 0, QL_BAD_ADDRESS (zone) (nothing sent), QL_READ_FAILED (short reply), a transport
 *         status or minus the reply status byte
 */
QL_API int16_t QL_CALL resct_1604(int32_t handle, int16_t zone, int16_t* count) QL_NOTHROW;
/**
 * AT88SC1604: clears bit 7, the protect flag, of the zone's first byte. Reads the byte first and
 * writes it back with only that bit cleared; writes nothing when the bit is already 0.
 * @param zone [in] 1..4
 * @return 0, QL_BAD_ADDRESS (zone) (nothing sent), the status of the read or of the write
 */
QL_API int16_t QL_CALL clrpr_1604(int32_t handle, int16_t zone) QL_NOTHROW;
/**
 * AT88SC1604: clears bit 6, the read flag, of the zone's first byte. Reads the byte first and
 * writes it back with only that bit cleared; writes nothing when the bit is already 0.
 * @param zone [in] 1..4
 * @return 0, QL_BAD_ADDRESS (zone) (nothing sent), the status of the read or of the write
 */
QL_API int16_t QL_CALL clrrd_1604(int32_t handle, int16_t zone) QL_NOTHROW;
/**
 * AT88SC1604: sets (flag not 0) or clears (flag 0) the reader's fuse simulation.
 * @param flag [in] any value
 * @return 0, a transport status or minus the reply status byte
 */
QL_API int16_t QL_CALL fakefus_1604(int32_t handle, int16_t flag) QL_NOTHROW;
/**
 * AT88SC1604: personalises the card: blows its fuse.
 * @return 0, a transport status or minus the reply status byte
 */
QL_API int16_t QL_CALL psnl_1604(int32_t handle) QL_NOTHROW;
/**
 * AT88SC1604: judges whether the card is an AT88SC1604 by zone 0 bytes 0..1: a match with a code
 * registered with set_code under family index 1 passes; otherwise byte 0 must be one of 31 69 16
 * and byte 1 one of 3A 35 04, each judged by itself.
 * @return 0, QL_WRONG_CARD, or the status of the failed read
 */
QL_API int16_t QL_CALL chk_1604(int32_t handle) QL_NOTHROW;

/**
 * AT88SC1604B: reads from zone/offset on, continuing into the later zones up to absolute 2041.
 * A failure leaves the bytes of the earlier frames in buffer.
 * @param zone   [in] 0..4
 * @param offset [in] 0 .. the zone's largest read offset (table above)
 * @param length [in] 1 or more, offset + length within the zone's read end (table above)
 * @param buffer [out] length bytes
 * @return 0, QL_BAD_LENGTH (length, zone or end), QL_BAD_ADDRESS (offset) (nothing sent),
 *         QL_READ_FAILED (short reply), a transport status or minus the reply status byte
 */
QL_API int16_t QL_CALL srd_1604b(int32_t handle, int16_t zone, int16_t offset, int16_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * AT88SC1604B: writes inside one zone, stopping short of the code block at its end (long wait).
 * @param zone   [in] 0..4
 * @param offset [in] 0 .. the zone's largest write offset (table above)
 * @param length [in] 1 or more, offset + length within the zone's write end (table above)
 * @param data   [in] length bytes
 * @return 0, QL_BAD_LENGTH (length, zone or end), QL_BAD_ADDRESS (offset) (nothing sent), a
 *         transport status or minus the reply status byte
 */
QL_API int16_t QL_CALL swr_1604b(int32_t handle, int16_t zone, int16_t offset, int16_t length, const uint8_t* data) QL_NOTHROW;
/**
 * AT88SC1604B: erases bytes inside one zone, its code block included (long wait).
 * @param zone   [in] 0..4
 * @param offset [in] 0 .. the zone's largest erase offset (table above)
 * @param length [in] 1 or more, offset + length within the zone's erase end (table above)
 * @return 0, QL_BAD_LENGTH (length, zone or end), QL_BAD_ADDRESS (offset) (nothing sent), a
 *         transport status or minus the reply status byte
 */
QL_API int16_t QL_CALL ser_1604b(int32_t handle, int16_t zone, int16_t offset, int16_t length) QL_NOTHROW;
/**
 * AT88SC1604B: presents the zone's security code to the card.
 * @param zone   [in] 0..4
 * @param length [in] 2
 * @param code   [in] 2 bytes
 * @return 0, QL_BAD_LENGTH, QL_BAD_ADDRESS (zone) (nothing sent), a transport status or minus
 *         the reply status byte
 */
QL_API int16_t QL_CALL csc_1604b(int32_t handle, int16_t zone, int16_t length, const uint8_t* code) QL_NOTHROW;
/**
 * AT88SC1604B: writes the zone's security code: erase its 2 bytes (long wait), then the code-area write
 * (normal wait).
 * @param zone   [in] 0..4
 * @param length [in] 2
 * @param code   [in] 2 bytes
 * @return 0, QL_BAD_LENGTH, QL_BAD_ADDRESS (zone) (nothing sent), a transport status or minus
 *         the reply status byte of the erase or of the write
 */
QL_API int16_t QL_CALL wsc_1604b(int32_t handle, int16_t zone, int16_t length, const uint8_t* code) QL_NOTHROW;
/**
 * AT88SC1604B: reads the zone's security code.
 * @param zone   [in] 0..4
 * @param length [in] 2
 * @param buffer [out] 2 bytes
 * @return 0, QL_BAD_LENGTH, QL_BAD_ADDRESS (zone) (nothing sent), QL_READ_FAILED (short reply),
 *         a transport status or minus the reply status byte
 */
QL_API int16_t QL_CALL rsc_1604b(int32_t handle, int16_t zone, int16_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * AT88SC1604B: presents the zone's erase code to the card.
 * @param zone   [in] 1..4
 * @param length [in] 2
 * @param code   [in] 2 bytes
 * @return 0, QL_BAD_LENGTH, QL_BAD_ADDRESS (zone) (nothing sent), a transport status or minus
 *         the reply status byte
 */
QL_API int16_t QL_CALL cesc_1604b(int32_t handle, int16_t zone, int16_t length, const uint8_t* code) QL_NOTHROW;
/**
 * AT88SC1604B: writes the zone's erase code: erase its 2 bytes (long wait), then the code-area write
 * (normal wait).
 * @param zone   [in] 1..4
 * @param length [in] 2
 * @param code   [in] 2 bytes
 * @return 0, QL_BAD_LENGTH, QL_BAD_ADDRESS (zone) (nothing sent), a transport status or minus
 *         the reply status byte of the erase or of the write
 */
QL_API int16_t QL_CALL wesc_1604b(int32_t handle, int16_t zone, int16_t length, const uint8_t* code) QL_NOTHROW;
/**
 * AT88SC1604B: reads the zone's erase code.
 * @param zone   [in] 1..4
 * @param length [in] 2
 * @param buffer [out] 2 bytes
 * @return 0, QL_BAD_LENGTH, QL_BAD_ADDRESS (zone) (nothing sent), QL_READ_FAILED (short reply),
 *         a transport status or minus the reply status byte
 */
QL_API int16_t QL_CALL resc_1604b(int32_t handle, int16_t zone, int16_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * AT88SC1604B: reads the zone's error counter and counts its 1 bits.
 * @param zone  [in] 0..4
 * @param count [out] 0..8; untouched on failure
 * @return 0, QL_BAD_ADDRESS (zone) (nothing sent), QL_READ_FAILED (short reply), a transport
 *         status or minus the reply status byte
 */
QL_API int16_t QL_CALL rsct_1604b(int32_t handle, int16_t zone, int16_t* count) QL_NOTHROW;
/**
 * AT88SC1604B: reads the zone's erase counter and counts its 1 bits.
 * @param zone  [in] 1..4
 * @param count [out] 0..8; untouched on failure
 * @return 0, QL_BAD_ADDRESS (zone) (nothing sent), QL_READ_FAILED (short reply), a transport
 *         status or minus the reply status byte
 */
QL_API int16_t QL_CALL resct_1604b(int32_t handle, int16_t zone, int16_t* count) QL_NOTHROW;
/**
 * AT88SC1604B: clears bit 7, the protect flag, of the zone's first byte. Reads the byte first and
 * writes it back with only that bit cleared; writes nothing when the bit is already 0.
 * @param zone [in] 1..4
 * @return 0, QL_BAD_ADDRESS (zone) (nothing sent), the status of the read or of the write
 */
QL_API int16_t QL_CALL clrpr_1604b(int32_t handle, int16_t zone) QL_NOTHROW;
/**
 * AT88SC1604B: clears bit 6, the read flag, of the zone's first byte. Reads the byte first and
 * writes it back with only that bit cleared; writes nothing when the bit is already 0.
 * @param zone [in] 1..4
 * @return 0, QL_BAD_ADDRESS (zone) (nothing sent), the status of the read or of the write
 */
QL_API int16_t QL_CALL clrrd_1604b(int32_t handle, int16_t zone) QL_NOTHROW;
/**
 * AT88SC1604B: sets (flag not 0) or clears (flag 0) the reader's fuse simulation.
 * @param flag [in] any value
 * @return 0, a transport status or minus the reply status byte
 */
QL_API int16_t QL_CALL fakefus_1604b(int32_t handle, int16_t flag) QL_NOTHROW;
/**
 * AT88SC1604B: personalises the card: blows its fuse.
 * @return 0, a transport status or minus the reply status byte
 */
QL_API int16_t QL_CALL psnl_1604b(int32_t handle) QL_NOTHROW;
/**
 * AT88SC1604B: judges whether the card is an AT88SC1604B by zone 0 bytes 0..1: a match with a
 * code registered with set_code under family index 2 passes; otherwise they must be 72 55.
 * @return 0, QL_WRONG_CARD, or the status of the failed read
 */
QL_API int16_t QL_CALL chk_1604b(int32_t handle) QL_NOTHROW;

/**
 * AT88SC1604C: reads from zone/offset on, continuing into the later zones up to absolute 2010.
 * A failure leaves the bytes of the earlier frames in buffer.
 * @param zone   [in] 0..4
 * @param offset [in] 0 .. the zone's largest read offset (table above)
 * @param length [in] 1 or more, offset + length within the zone's read end (table above)
 * @param buffer [out] length bytes
 * @return 0, QL_BAD_LENGTH (length, zone or end), QL_BAD_ADDRESS (offset) (nothing sent),
 *         QL_READ_FAILED (short reply), a transport status or minus the reply status byte
 */
QL_API int16_t QL_CALL srd_1604c(int32_t handle, int16_t zone, int16_t offset, int16_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * AT88SC1604C: writes inside one zone, stopping short of the code block at its end (long wait).
 * @param zone   [in] 0..4
 * @param offset [in] 0 .. the zone's largest write offset (table above)
 * @param length [in] 1 or more, offset + length within the zone's write end (table above)
 * @param data   [in] length bytes
 * @return 0, QL_BAD_LENGTH (length, zone or end), QL_BAD_ADDRESS (offset) (nothing sent), a
 *         transport status or minus the reply status byte
 */
QL_API int16_t QL_CALL swr_1604c(int32_t handle, int16_t zone, int16_t offset, int16_t length, const uint8_t* data) QL_NOTHROW;
/**
 * AT88SC1604C: erases bytes inside one zone, its code block included (long wait).
 * @param zone   [in] 0..4
 * @param offset [in] 0 .. the zone's largest erase offset (table above)
 * @param length [in] 1 or more, offset + length within the zone's erase end (table above)
 * @return 0, QL_BAD_LENGTH (length, zone or end), QL_BAD_ADDRESS (offset) (nothing sent), a
 *         transport status or minus the reply status byte
 */
QL_API int16_t QL_CALL ser_1604c(int32_t handle, int16_t zone, int16_t offset, int16_t length) QL_NOTHROW;
/**
 * AT88SC1604C: presents the zone's security code to the card.
 * @param zone   [in] 0..4
 * @param length [in] 2
 * @param code   [in] 2 bytes
 * @return 0, QL_BAD_LENGTH, QL_BAD_ADDRESS (zone) (nothing sent), a transport status or minus
 *         the reply status byte
 */
QL_API int16_t QL_CALL csc_1604c(int32_t handle, int16_t zone, int16_t length, const uint8_t* code) QL_NOTHROW;
/**
 * AT88SC1604C: writes the zone's security code: erase its 2 bytes (long wait), then the code-area write
 * (normal wait).
 * @param zone   [in] 0..4
 * @param length [in] 2
 * @param code   [in] 2 bytes
 * @return 0, QL_BAD_LENGTH, QL_BAD_ADDRESS (zone) (nothing sent), a transport status or minus
 *         the reply status byte of the erase or of the write
 */
QL_API int16_t QL_CALL wsc_1604c(int32_t handle, int16_t zone, int16_t length, const uint8_t* code) QL_NOTHROW;
/**
 * AT88SC1604C: reads the zone's security code.
 * @param zone   [in] 0..4
 * @param length [in] 2
 * @param buffer [out] 2 bytes
 * @return 0, QL_BAD_LENGTH, QL_BAD_ADDRESS (zone) (nothing sent), QL_READ_FAILED (short reply),
 *         a transport status or minus the reply status byte
 */
QL_API int16_t QL_CALL rsc_1604c(int32_t handle, int16_t zone, int16_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * AT88SC1604C: presents the zone's erase code to the card.
 * @param zone   [in] 1..4
 * @param length [in] 2
 * @param code   [in] 2 bytes
 * @return 0, QL_BAD_LENGTH, QL_BAD_ADDRESS (zone) (nothing sent), a transport status or minus
 *         the reply status byte
 */
QL_API int16_t QL_CALL cesc_1604c(int32_t handle, int16_t zone, int16_t length, const uint8_t* code) QL_NOTHROW;
/**
 * AT88SC1604C: writes the zone's erase code: erase its 2 bytes (long wait), then the code-area write
 * (normal wait).
 * @param zone   [in] 1..4
 * @param length [in] 2
 * @param code   [in] 2 bytes
 * @return 0, QL_BAD_LENGTH, QL_BAD_ADDRESS (zone) (nothing sent), a transport status or minus
 *         the reply status byte of the erase or of the write
 */
QL_API int16_t QL_CALL wesc_1604c(int32_t handle, int16_t zone, int16_t length, const uint8_t* code) QL_NOTHROW;
/**
 * AT88SC1604C: reads the zone's erase code.
 * @param zone   [in] 1..4
 * @param length [in] 2
 * @param buffer [out] 2 bytes
 * @return 0, QL_BAD_LENGTH, QL_BAD_ADDRESS (zone) (nothing sent), QL_READ_FAILED (short reply),
 *         a transport status or minus the reply status byte
 */
QL_API int16_t QL_CALL resc_1604c(int32_t handle, int16_t zone, int16_t length, uint8_t* buffer) QL_NOTHROW;
/**
 * AT88SC1604C: reads the zone's error counter and counts its 1 bits.
 * @param zone  [in] 0 or 1
 * @param count [out] 0..8; untouched on failure
 * @return 0, QL_BAD_ADDRESS (zone) (nothing sent), QL_READ_FAILED (short reply), a transport
 *         status or minus the reply status byte
 */
QL_API int16_t QL_CALL rsct_1604c(int32_t handle, int16_t zone, int16_t* count) QL_NOTHROW;
/**
 * AT88SC1604C: reads the zone's erase counter and counts its 1 bits.
 * @param zone  [in] 1..4
 * @param count [out] 0..8; untouched on failure
 * @return 0, QL_BAD_ADDRESS (zone) (nothing sent), QL_READ_FAILED (short reply), a transport
 *         status or minus the reply status byte
 */
QL_API int16_t QL_CALL resct_1604c(int32_t handle, int16_t zone, int16_t* count) QL_NOTHROW;
/**
 * AT88SC1604C: clears bit 7, the protect flag, of the zone's first byte. Reads the byte first and
 * writes it back with only that bit cleared; writes nothing when the bit is already 0.
 * @param zone [in] 1..4
 * @return 0, QL_BAD_ADDRESS (zone) (nothing sent), the status of the read or of the write
 */
QL_API int16_t QL_CALL clrpr_1604c(int32_t handle, int16_t zone) QL_NOTHROW;
/**
 * AT88SC1604C: clears bit 6, the read flag, of the zone's first byte. Reads the byte first and
 * writes it back with only that bit cleared; writes nothing when the bit is already 0.
 * @param zone [in] 1..4
 * @return 0, QL_BAD_ADDRESS (zone) (nothing sent), the status of the read or of the write
 */
QL_API int16_t QL_CALL clrrd_1604c(int32_t handle, int16_t zone) QL_NOTHROW;
/**
 * AT88SC1604C: sets (flag not 0) or clears (flag 0) the reader's fuse simulation.
 * @param flag [in] any value
 * @return 0, a transport status or minus the reply status byte
 */
QL_API int16_t QL_CALL fakefus_1604c(int32_t handle, int16_t flag) QL_NOTHROW;
/**
 * AT88SC1604C: personalises the card: blows its fuse.
 * @return 0, a transport status or minus the reply status byte
 */
QL_API int16_t QL_CALL psnl_1604c(int32_t handle) QL_NOTHROW;
/**
 * AT88SC1604C: judges whether the card is an AT88SC1604C: zone 0 bytes 0..1 must be 72 55
 * (registered card codes are not consulted).
 * @return 0, QL_WRONG_CARD, or the status of the failed read
 */
QL_API int16_t QL_CALL chk_1604c(int32_t handle) QL_NOTHROW;

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

/* ---- processor cards and SAM slots ---- */
/*
 * Processor cards in the main contact slot (slot number 0) and SAMs in slots 1..5. The reader
 * resets the card and carries its T=1 blocks (ISO/IEC 7816-3: NAD PCB LEN INF LRC); the library
 * wraps the caller's block into a frame (frame byte 2 = 0x80, byte 3 = N + 5, slot byte 0x20 + slot
 * number; 0x21 also names the SAM last chosen with sam_select) and passes the card's answer up.
 * The card's sequence numbers are the caller's business: the library sends the caller's PCB as it
 * is. Slot numbers count by their low byte (0x105 is slot 5).
 *
 * Attempts: a failed send, a failed reply wait or a reader refusal repeats the frame; all frames
 * of one call share the attempts (cpu_reset 4, the block exchanges 3, the SAM resets 1) and
 * success never gives any back.
 *
 * Follow-ups of cpu_protocol, sam_protocol and sam_slt_protocol: when the card answers SW1 = 6C
 * the block sent last goes again with Le = SW2 (its byte before the LRC) and a fresh LRC; when it
 * answers SW1 = 61 the INF data before SW1 SW2 is kept and a GET RESPONSE block (NAD PCB 05
 * 00 C0 00 00 SW2 LRC) follows. The follow-ups carry the caller's NAD and PCB 0x40 when the
 * caller's PCB is 0x00, else 0x00. The response: byte 0 NAD and byte 1 PCB of the card's last
 * block, byte 2 the total INF length, then the INF data of all blocks ending with the last SW1
 * SW2. A card's refusal (SW1 SW2 other than 90 00) comes back in the response with status 0.
 *
 * Bounds: the exports have no buffer-size argument; these are the most they ever write.
 */
#define QL_CPU_BLOCK_MIN 4           /**< shortest block accepted: NAD PCB LEN LRC */
#define QL_CPU_BLOCK_MAX 250         /**< longest block accepted (frame byte 3 holds N + 5) */
#define QL_CPU_ANSWER_MAX 33         /**< longest answer to reset written: TS and 32 further characters */
#define QL_CPU_RESPONSE_MAX 258      /**< longest response of the protocol exports: 3 + 255 INF bytes */
#define QL_CPU_RAW_RESPONSE_MAX 259  /**< longest card block of the comres exports: NAD PCB LEN, 255 INF, LRC */
#define QL_CPU_FOLLOW_UPS_MAX 32     /**< follow-up blocks (6Cxx resends, GET RESPONSE) of one call */
/** A card's answer to reset or response passes the bounds above, or the card still answers 6Cxx
 *  or 61xx after QL_CPU_FOLLOW_UPS_MAX follow-ups. Lies beyond any reader status byte. */
#define QL_RESPONSE_TOO_LONG (-258)

/**
 * Resets the processor card in the main slot and reads its answer to reset; up to 4 attempts.
 * @param answer [out] QL_CPU_ANSWER_MAX bytes; the answer (the reply data) is written, its length
 *               is not returned (sam_slt_reset with slot 0 returns it)
 * @return 0, QL_RESPONSE_TOO_LONG (an answer longer than QL_CPU_ANSWER_MAX: nothing written), the
 *         last attempt's transport status or minus its reply status byte
 */
QL_API int16_t QL_CALL cpu_reset(int32_t handle, uint8_t* answer) QL_NOTHROW;
/**
 * Exchanges one command APDU with the card in the main slot and gathers the whole response,
 * answering the card's 6Cxx and 61xx itself (see above); up to 3 attempts for all frames together.
 * The frames' BCC is the XOR of their nine header bytes.
 * @param length   [in] N, the block's length: QL_CPU_BLOCK_MIN..QL_CPU_BLOCK_MAX
 * @param block    [in] NAD PCB LEN INF LRC, N bytes; the INF is an APDU ending with its Le; not written
 * @param response [out] QL_CPU_RESPONSE_MAX bytes: NAD PCB LEN INF (see above)
 * @return 0, QL_BAD_LENGTH (nothing sent), QL_READ_FAILED (a card block too short to hold the
 *         SW1 SW2 it is read for), QL_RESPONSE_TOO_LONG (more than 255 INF bytes, or too many
 *         follow-ups; the data gathered so far stays from response byte 3 on), the last attempt's
 *         transport status or minus its reply status byte
 */
QL_API int16_t QL_CALL cpu_protocol(int32_t handle, int16_t length, const uint8_t* block, uint8_t* response) QL_NOTHROW;
/**
 * Sends one block to the card in the main slot and copies the card's block unchanged; no status
 * words are interpreted; up to 3 attempts.
 * @param length   [in] QL_CPU_BLOCK_MIN..QL_CPU_BLOCK_MAX
 * @param block    [in] length bytes
 * @param response [out] QL_CPU_RAW_RESPONSE_MAX bytes: the reply data, the card's block with its LRC
 * @return 0, QL_BAD_LENGTH (nothing sent), QL_REPLY_TOO_LONG (a reply longer than a card block),
 *         the last attempt's transport status or minus its reply status byte
 */
QL_API int16_t QL_CALL cpu_comres(int32_t handle, int16_t length, const uint8_t* block, uint8_t* response) QL_NOTHROW;
/**
 * Sets the card speed of a slot; the reader interprets the value.
 * @param slot  [in] 0 (main slot) .. 5; only the low byte counts
 * @param value [in] the speed setting
 * @return 0, QL_BAD_SLOT (nothing sent), a transport status or minus the reply status byte
 */
QL_API int16_t QL_CALL set_card_baud(int32_t handle, int16_t slot, uint8_t value) QL_NOTHROW;

/** Switches the card contacts on (the frame of turn_on). @return as turn_on */
QL_API int16_t QL_CALL sam_power_on(int32_t handle) QL_NOTHROW;
/** Switches the card contacts off (the frame of turn_off). @return as turn_off */
QL_API int16_t QL_CALL sam_power_down(int32_t handle) QL_NOTHROW;
/**
 * Makes a SAM the target of slot byte 0x21 (sam_reset, sam_protocol, sam_comres).
 * @param sam_number [in] the SAM slot, 1..5 on the readers known
 * @return 0, a transport status or minus the reply status byte
 */
QL_API int16_t QL_CALL sam_select(int32_t handle, uint8_t sam_number) QL_NOTHROW;
/**
 * Resets the selected SAM and reads its answer to reset; one attempt.
 * @param length [out] written 0 first; the answer's length on success
 * @param answer [out] QL_CPU_ANSWER_MAX bytes
 * @return 0, QL_RESPONSE_TOO_LONG (an answer longer than QL_CPU_ANSWER_MAX: nothing written), a
 *         transport status or minus the reply status byte
 */
QL_API int16_t QL_CALL sam_reset(int32_t handle, int16_t* length, uint8_t* answer) QL_NOTHROW;
/**
 * sam_reset for the card in a slot named by number.
 * @param slot [in] 0 (main slot) .. 5; only the low byte counts
 * @return as sam_reset, or QL_BAD_SLOT (nothing sent; length is still written 0)
 */
QL_API int16_t QL_CALL sam_slt_reset(int32_t handle, int16_t slot, int16_t* length, uint8_t* answer) QL_NOTHROW;
/**
 * cpu_protocol with the selected SAM; the first frame's BCC is the XOR of the whole frame, the
 * follow-ups' the XOR of their nine header bytes.
 * @return as cpu_protocol
 */
QL_API int16_t QL_CALL sam_protocol(int32_t handle, int16_t length, const uint8_t* block, uint8_t* response) QL_NOTHROW;
/**
 * sam_protocol for the card in a slot named by number.
 * @param slot            [in] 0 (main slot) .. 5; only the low byte counts; checked first
 * @param response_length [out] on success, response byte 2 (the total INF length)
 * @return as cpu_protocol, or QL_BAD_SLOT (nothing sent)
 */
QL_API int16_t QL_CALL sam_slt_protocol(int32_t handle, int16_t slot, int16_t length, const uint8_t* block,
                                        int16_t* response_length, uint8_t* response) QL_NOTHROW;
/** cpu_comres with the selected SAM. @return as cpu_comres */
QL_API int16_t QL_CALL sam_comres(int32_t handle, int16_t length, const uint8_t* block, uint8_t* response) QL_NOTHROW;

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

/* ---- card type detection ---- */

/**
 * Tells which kind of card is in the reader: tries the card checks of 22 families in a fixed
 * order, switching the contacts off (turn_off) before each try, and answers with the first that
 * accepts the card: chk_4404 40, chk_4406 41, chk_102 51, chk_1604 52, chk_1604b 53, chk_1608 54,
 * chk_153 55, chk_4428 31, chk_4442 21, chk_2042 22, chk_45d041 10, chk_93c46a 60, chk_93c46 61,
 * chk_93c57 62, chk_24c16 5, chk_24c08 4, chk_24c04 3, chk_24c02 2, chk_24c01a 1, chk_24c64 7,
 * chk_24c32 6, chk_ssf1101 12. When none accepts, the contacts are switched off once more.
 * Several checks accept more than one kind of card; the first acceptance wins. Cards of the
 * AT88SC101, SLE4436, AT88SC1604C, SLE4418, SLE4432 and 93C66 have no try of their own.
 * @return the card type number above, or 0 when no check accepts the card (also without a
 *         reader or a card); never a negative status
 */
QL_API int16_t QL_CALL chk_card(int32_t handle) QL_NOTHROW;

/* ---- instruction files ---- */

/**
 * Runs the instructions of an instruction file, one after another, until one fails. Each
 * instruction names a command in a call-like form, its numbers, an optional output file and a
 * data block in braces:
 *
 *     srd_4442(dev, 0, 32, "card.bin/wb") { }
 *     swr_4442(dev, 0x20, 4) { "AB", 0x43, 'D' }
 *     swr_24c02(dev, 0, -1) { <image.bin>[16][64], (0xFF)*8 }
 *
 * The first argument is skipped (the port handle is given here); up to four numbers follow
 * (decimal, 0x hexadecimal; -5 and any other negative number read as -1), or up to three and the
 * output file "name" or "name/mode" (mode r, w or a with optional + and b or t; "w" when none is
 * given; name at most 19 characters, mode at most 11). Names are at most 19 characters and
 * compared without case; a name that begins with a command's name runs that command. Read
 * commands write their bytes to the output file and remove it again when they fail (a file that
 * existed before and was opened to read, update or append keeps what it held).
 * The data block holds strings "...", characters 'c', numbers (one byte each), file items
 * \<name\>[offset][length] and repeat groups (items)*count. An empty block passes the data length -1.
 * Scratch files ins.ins and data.tmp are made new in the current directory (a file or link of
 * that name is removed first, never followed) and removed on every way out: one run at a time
 * per working directory.
 * @param instruction_file [in] the instruction file's name
 * @param failed_index     [out] set to 0 first; the number (from 0) of the instruction that
 *                         failed when a command failed; may be null
 * @return 0 when every instruction ran (also for a file without instructions); 254 when the
 *         instruction file or a scratch file cannot be opened, read or written, a brace is left
 *         open, an instruction or data block does not parse, or a command cannot be run (unknown
 *         name, output file not opened or written, too few data bytes, a number its argument
 *         cannot hold); QL_BAD_LENGTH for a count above the 2100-byte working buffer (except the
 *         24C64 and flash commands, which go in pieces) or a negative count; QL_BAD_ADDRESS for a
 *         zone the command does not have; else the status of the failed command's export
 */
QL_API int16_t QL_CALL exp_dis(int32_t handle, const char* instruction_file, int16_t* failed_index) QL_NOTHROW;

#ifdef __cplusplus
}
#endif

#endif /* QUILLET_H */
