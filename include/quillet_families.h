/**
 * @file quillet_families.h
 * The catalogue of the memory card families that quillet.h drives: one row per family, as lists
 * of rows that a program expands with a macro of its own (X-macros). The header defines no data
 * and no function: the library exports nothing for it, and each program builds from the rows the
 * tables it needs, with the exports' addresses where it wants them (in C++ a constant table; in C
 * a table filled at run time, since an export's address is not a constant on platforms that
 * import it from a DLL).
 *
 * A family's key is its name as a token ("sle4442", "2042", "24c01a", "at88sc1604b"): `#key` is the
 * name, `QL_FAMILY_##key` its number in enum ql_family. The name lists of the card functions are
 * separate lists by call shape, so that a program expands only the shapes it calls:
 *
 *     #define NAME_ROW(key, alias, type, rank, shape, unit, units, write_units, zones, code, kinds, counter) #key,
 *     static const char* const names[] = {QL_FAMILIES(NAME_ROW) 0};
 *
 *     #define FLAT_ROW(key, read, write) case QL_FAMILY_##key: return read(h, offset, length, buffer);
 *     switch (family) { QL_FAMILY_FLAT_MEMORY(FLAT_ROW) default: return QL_BAD_ARGUMENT; }
 *
 * Compiles as C89 and later and as C++98 and later.
 */
#ifndef QUILLET_FAMILIES_H
#define QUILLET_FAMILIES_H

/** @name How a family's memory is addressed (the shape column)
 *  @{ */
#define QL_SHAPE_FLAT 0  /**< (handle, int16 offset, int16 length, buffer) over the whole card */
#define QL_SHAPE_ZONED 1 /**< (handle, int16 zone, int16 offset, int16 length, buffer); zones in QL_FAMILY_ZONES */
#define QL_SHAPE_PAGED 2 /**< (handle, int16 page, int16 offset, int32 length, buffer); pages of units / zones units */
/** @} */

/** @name Kinds of code a family has (the kinds column, bits)
 *  @{ */
#define QL_CODE_SECURITY 1      /**< one security code: QL_FAMILY_CODES, or QL_FAMILY_ZONED_CODES with QL_CODE_PER_ZONE */
#define QL_CODE_ERASE 2         /**< erase codes: QL_FAMILY_ERASE_CODES, or QL_FAMILY_ZONED_ERASE_CODES with QL_CODE_PER_ZONE */
#define QL_CODE_PER_ZONE 4      /**< the zoned code lists: codes and counters named by zone */
#define QL_CODE_PASSWORD_SETS 8 /**< password sets of two passwords each; the counter is the card's raw byte */
/** @} */

/**
 * The families, one ROW(...) each, with these columns:
 *  - key: the family's name as a token (see above);
 *  - alias: the other name the family answers to (the suffix of its exports, "4442"), "" for none;
 *  - type: chk_card's number for the family, 0 when chk_card does not try it;
 *  - rank: the family's place in chk_card's detection order (1 first), 0 when not tried; the
 *    order matters, since several checks accept more than one kind of card: the security memory
 *    cards go before the SLE4442 class, and the I2C EEPROM checks run from the 24C16 down to the
 *    24C01A before the 24C64 and 24C32;
 *  - shape: QL_SHAPE_FLAT, QL_SHAPE_ZONED or QL_SHAPE_PAGED;
 *  - unit: bytes of one addressed unit (2 on a card addressed in 16-bit words);
 *  - units: the card's size in units (zoned cards: the sum of their zones);
 *  - write_units: the end of the writable units on a flat card (the security code's bytes of an
 *    SLE4428 are written with its code functions), else units;
 *  - zones: zones (zoned) or pages (paged), 0 on a flat card;
 *  - code: bytes of the security code (or password), 0 for none;
 *  - kinds: QL_CODE_ bits, 0 for none;
 *  - counter: the error counter's highest value (a fresh card's attempts), 0 for none.
 */
#define QL_FAMILIES(ROW) \
    ROW(sle4442, "4442", 21, 9, QL_SHAPE_FLAT, 1, 256, 256, 0, 3, QL_CODE_SECURITY, 3) \
    ROW(2042, "", 22, 10, QL_SHAPE_FLAT, 1, 256, 256, 0, 3, QL_CODE_SECURITY, 3) \
    ROW(sle4432, "4432", 0, 0, QL_SHAPE_FLAT, 1, 256, 256, 0, 0, 0, 0) \
    ROW(sle4428, "4428", 31, 8, QL_SHAPE_FLAT, 1, 1024, 1021, 0, 2, QL_CODE_SECURITY, 8) \
    ROW(sle4418, "4418", 0, 0, QL_SHAPE_FLAT, 1, 1024, 1024, 0, 0, 0, 0) \
    ROW(24c01a, "", 1, 19, QL_SHAPE_FLAT, 1, 128, 128, 0, 0, 0, 0) \
    ROW(24c02, "", 2, 18, QL_SHAPE_FLAT, 1, 256, 256, 0, 0, 0, 0) \
    ROW(24c04, "", 3, 17, QL_SHAPE_FLAT, 1, 512, 512, 0, 0, 0, 0) \
    ROW(24c08, "", 4, 16, QL_SHAPE_FLAT, 1, 1024, 1024, 0, 0, 0, 0) \
    ROW(24c16, "", 5, 15, QL_SHAPE_FLAT, 1, 2048, 2048, 0, 0, 0, 0) \
    ROW(24c32, "", 6, 21, QL_SHAPE_FLAT, 1, 4096, 4096, 0, 0, 0, 0) \
    ROW(24c64, "", 7, 20, QL_SHAPE_FLAT, 1, 8192, 8192, 0, 0, 0, 0) \
    ROW(93c46a, "", 60, 12, QL_SHAPE_FLAT, 2, 64, 64, 0, 0, 0, 0) \
    ROW(93c46, "", 61, 13, QL_SHAPE_FLAT, 1, 128, 128, 0, 0, 0, 0) \
    ROW(93c57, "", 62, 14, QL_SHAPE_FLAT, 1, 256, 256, 0, 0, 0, 0) \
    ROW(93c66, "", 0, 0, QL_SHAPE_FLAT, 1, 512, 512, 0, 0, 0, 0) \
    ROW(at88sc1608, "1608", 54, 6, QL_SHAPE_ZONED, 1, 2176, 2176, 9, 3, QL_CODE_PASSWORD_SETS, 255) \
    ROW(at88sc153, "153", 55, 7, QL_SHAPE_ZONED, 1, 192, 192, 3, 3, QL_CODE_PASSWORD_SETS, 255) \
    ROW(sle4404, "4404", 40, 1, QL_SHAPE_FLAT, 1, 52, 52, 0, 2, (QL_CODE_SECURITY | QL_CODE_ERASE), 4) \
    ROW(sle4406, "4406", 41, 2, QL_SHAPE_FLAT, 1, 13, 13, 0, 3, QL_CODE_SECURITY, 8) \
    ROW(sle4436, "4436", 0, 0, QL_SHAPE_FLAT, 1, 13, 13, 0, 3, QL_CODE_SECURITY, 8) \
    ROW(at88sc101, "101", 0, 0, QL_SHAPE_FLAT, 1, 172, 172, 0, 2, (QL_CODE_SECURITY | QL_CODE_ERASE), 8) \
    ROW(at88sc102, "102", 51, 3, QL_SHAPE_ZONED, 1, 178, 178, 3, 2, (QL_CODE_SECURITY | QL_CODE_ERASE), 4) \
    ROW(at88sc1604, "1604", 52, 4, QL_SHAPE_ZONED, 1, 2007, 2007, 5, 2, \
        (QL_CODE_SECURITY | QL_CODE_ERASE | QL_CODE_PER_ZONE), 4) \
    ROW(at88sc1604b, "1604b", 53, 5, QL_SHAPE_ZONED, 1, 2042, 2042, 5, 2, \
        (QL_CODE_SECURITY | QL_CODE_ERASE | QL_CODE_PER_ZONE), 4) \
    ROW(at88sc1604c, "1604c", 0, 0, QL_SHAPE_ZONED, 1, 2011, 2011, 5, 2, \
        (QL_CODE_SECURITY | QL_CODE_ERASE | QL_CODE_PER_ZONE), 4) \
    ROW(at45d041, "45d041", 10, 11, QL_SHAPE_PAGED, 1, 540672, 540672, 2048, 0, 0, 0) \
    ROW(ssf1101, "", 12, 22, QL_SHAPE_PAGED, 1, 524288, 524288, 512, 0, 0, 0)

/**
 * The zones of the zoned families, Z(key, zone, size, read_end, write_end, erase_code) each:
 * the zone's size in units; the largest offset + length of a read and of a write starting in the
 * zone (a read that runs on into the later zones ends beyond the zone's size, a write that stops
 * short of the code block at the zone's end before it); the bytes of the zone's erase code, 0
 * for none.
 */
#define QL_FAMILY_ZONES(Z) \
    Z(at88sc102, 0, 22, 178, 22, 0) Z(at88sc102, 1, 70, 156, 70, 6) Z(at88sc102, 2, 86, 86, 86, 4) \
    Z(at88sc1604, 0, 27, 2007, 21, 0) Z(at88sc1604, 1, 1200, 1980, 1195, 2) Z(at88sc1604, 2, 261, 780, 256, 2) \
    Z(at88sc1604, 3, 261, 519, 256, 2) Z(at88sc1604, 4, 258, 258, 258, 2) \
    Z(at88sc1604b, 0, 27, 2042, 21, 0) Z(at88sc1604b, 1, 518, 2015, 512, 2) Z(at88sc1604b, 2, 518, 1497, 512, 2) \
    Z(at88sc1604b, 3, 518, 979, 512, 2) Z(at88sc1604b, 4, 461, 461, 461, 2) \
    Z(at88sc1604c, 0, 27, 2011, 21, 0) Z(at88sc1604c, 1, 517, 1984, 512, 2) Z(at88sc1604c, 2, 517, 1467, 512, 2) \
    Z(at88sc1604c, 3, 517, 950, 512, 2) Z(at88sc1604c, 4, 433, 433, 460, 2) \
    Z(at88sc1608, 0, 256, 2176, 2048, 0) Z(at88sc1608, 1, 256, 1920, 1792, 0) Z(at88sc1608, 2, 256, 1664, 1536, 0) \
    Z(at88sc1608, 3, 256, 1408, 1280, 0) Z(at88sc1608, 4, 256, 1152, 1024, 0) Z(at88sc1608, 5, 256, 896, 768, 0) \
    Z(at88sc1608, 6, 256, 640, 512, 0) Z(at88sc1608, 7, 256, 384, 256, 0) Z(at88sc1608, 8, 128, 128, 128, 0) \
    Z(at88sc153, 0, 64, 64, 64, 0) Z(at88sc153, 1, 64, 64, 64, 0) Z(at88sc153, 2, 64, 64, 64, 0)

/** Every family's check, X(key, check, identifies): int16_t check(int32_t handle), 0 when the card is
 *  of the family; identifies 0 for a check that accepts any card (the SLE4418 carries nothing to
 *  identify it by). */
#define QL_FAMILY_CHECKS(X) \
    X(sle4442, chk_4442, 1) X(2042, chk_2042, 1) X(sle4432, chk_4432, 1) X(sle4428, chk_4428, 1) X(sle4418, chk_4418, 0) \
    X(24c01a, chk_24c01a, 1) X(24c02, chk_24c02, 1) X(24c04, chk_24c04, 1) X(24c08, chk_24c08, 1) X(24c16, chk_24c16, 1) \
    X(24c32, chk_24c32, 1) X(24c64, chk_24c64, 1) X(93c46a, chk_93c46a, 1) X(93c46, chk_93c46, 1) X(93c57, chk_93c57, 1) \
    X(93c66, chk_93c66, 1) X(at88sc1608, chk_1608, 1) X(at88sc153, chk_153, 1) X(sle4404, chk_4404, 1) X(sle4406, chk_4406, 1) \
    X(sle4436, chk_4436, 1) X(at88sc101, chk_101, 1) X(at88sc102, chk_102, 1) X(at88sc1604, chk_1604, 1) \
    X(at88sc1604b, chk_1604b, 1) X(at88sc1604c, chk_1604c, 1) X(at45d041, chk_45d041, 1) X(ssf1101, chk_ssf1101, 1)

/** Memory of the flat families, X(key, read, write):
 *  int16_t read(int32_t handle, int16_t offset, int16_t length, uint8_t* buffer), write with const data. */
#define QL_FAMILY_FLAT_MEMORY(X) \
    X(sle4442, srd_4442, swr_4442) X(2042, srd_2042, swr_2042) X(sle4432, srd_4432, swr_4432) \
    X(sle4428, srd_4428, swr_4428) X(sle4418, srd_4418, swr_4418) X(24c01a, srd_24c01a, swr_24c01a) \
    X(24c02, srd_24c02, swr_24c02) X(24c04, srd_24c04, swr_24c04) X(24c08, srd_24c08, swr_24c08) \
    X(24c16, srd_24c16, swr_24c16) X(24c32, srd_24c32, swr_24c32) X(24c64, srd_24c64, swr_24c64) \
    X(93c46a, srd_93c46a, swr_93c46a) X(93c46, srd_93c46, swr_93c46) X(93c57, srd_93c57, swr_93c57) \
    X(93c66, srd_93c66, swr_93c66) X(sle4404, srd_4404, swr_4404) X(sle4406, srd_4406, swr_4406) \
    X(sle4436, srd_4406, swr_4406) X(at88sc101, srd_101, swr_101)

/** Memory of the zoned families, X(key, read, write):
 *  int16_t read(int32_t handle, int16_t zone, int16_t offset, int16_t length, uint8_t* buffer). */
#define QL_FAMILY_ZONED_MEMORY(X) \
    X(at88sc1608, srd_1608, swr_1608) X(at88sc153, srd_153, swr_153) X(at88sc102, srd_102, swr_102) \
    X(at88sc1604, srd_1604, swr_1604) X(at88sc1604b, srd_1604b, swr_1604b) X(at88sc1604c, srd_1604c, swr_1604c)

/** Memory of the paged (flash) families, X(key, read, write):
 *  int16_t read(int32_t handle, int16_t page, int16_t offset, int32_t length, uint8_t* buffer). */
#define QL_FAMILY_PAGED_MEMORY(X) X(at45d041, srd_45d041, swr_45d041) X(ssf1101, srd_ssf1101, swr_ssf1101)

/** One security code, X(key, present, change, counter): int16_t present(int32_t handle, int16_t
 *  length, const uint8_t* code), change alike, int16_t counter(int32_t handle, int16_t* count). */
#define QL_FAMILY_CODES(X) \
    X(sle4442, csc_4442, wsc_4442, rsct_4442) X(2042, csc_2042, wsc_2042, rsct_2042) \
    X(sle4428, csc_4428, wsc_4428, rsct_4428) X(sle4404, csc_4404, wsc_4404, rsct_4404) \
    X(sle4406, csc_4406, wsc_4406, rsct_4406) X(sle4436, csc_4406, wsc_4406, rsct_4406) \
    X(at88sc101, csc_101, wsc_101, rsct_101) X(at88sc102, csc_102, wsc_102, rsct_102)

/** A security code per zone, X(key, present, change, counter): int16_t present(int32_t handle,
 *  int16_t zone, int16_t length, const uint8_t* code), int16_t counter(int32_t handle, int16_t zone, int16_t* count). */
#define QL_FAMILY_ZONED_CODES(X) \
    X(at88sc1604, csc_1604, wsc_1604, rsct_1604) X(at88sc1604b, csc_1604b, wsc_1604b, rsct_1604b) \
    X(at88sc1604c, csc_1604c, wsc_1604c, rsct_1604c)

/** One erase code, X(key, present, change, counter, bytes), with the shapes of QL_FAMILY_CODES. */
#define QL_FAMILY_ERASE_CODES(X) \
    X(sle4404, cesc_4404, wesc_4404, resct_4404, 4) X(at88sc101, cesc_101, wesc_101, resct_101, 4)

/** An erase code per zone, X(key, present, change, counter), with the shapes of
 *  QL_FAMILY_ZONED_CODES; the code's bytes are the zone's erase_code in QL_FAMILY_ZONES. */
#define QL_FAMILY_ZONED_ERASE_CODES(X) \
    X(at88sc102, cesc_102, wesc_102, resct_102) X(at88sc1604, cesc_1604, wesc_1604, resct_1604) \
    X(at88sc1604b, cesc_1604b, wesc_1604b, resct_1604b) X(at88sc1604c, cesc_1604c, wesc_1604c, resct_1604c)

/** Password sets with the set, then the length, then the selector, X(key, present, change,
 *  counter, sets): int16_t present(int32_t handle, int16_t set, int16_t length, int16_t selector,
 *  const uint8_t* password), counter(handle, set, 1, selector, uint8_t* byte). */
#define QL_FAMILY_PASSWORDS_SET_LENGTH_SELECTOR(X) X(at88sc1608, csc_1608, wsc_1608, rsct_1608, 8)

/** Password sets with the set, then the selector, then the length, X(key, present, change,
 *  counter, sets): int16_t present(int32_t handle, int16_t set, int16_t selector, int16_t length,
 *  const uint8_t* password), counter(handle, set, selector, 1, uint8_t* byte). */
#define QL_FAMILY_PASSWORDS_SET_SELECTOR_LENGTH(X) X(at88sc153, csc_153, wsc_153, rsct_153, 2)

/** The whole card erased in one call, X(key, erase): int16_t erase(int32_t handle). */
#define QL_FAMILY_ERASE_ALL(X) \
    X(93c46a, eral_93c46a) X(93c46, eral_93c46) X(93c57, eral_93c57) X(93c66, eral_93c66) X(ssf1101, eral_ssf1101)

/** @cond QL_INTERNAL */
#define QL_FAMILY_ENUM_ROW(key, alias, type, rank, shape, unit, units, write_units, zones, code, kinds, counter) \
    QL_FAMILY_##key,
/** @endcond */

/** The families' numbers, in the order of QL_FAMILIES: QL_FAMILY_sle4442 is 0. */
enum ql_family { QL_FAMILIES(QL_FAMILY_ENUM_ROW) QL_FAMILY_COUNT /**< the number of families */ };

#endif
