// Hexadecimal text, byte images, BCC exports and the registered card codes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "quillet.h"
#include "reader/conversions.h"
#include "core/process_state.h"

extern "C" int quillet_test_xor(int a, int b);

namespace {
uint8_t* text(std::string& s) { return reinterpret_cast<uint8_t*>(s.data()); }
}  // namespace

TEST(AscHex, UpperCasesInPlaceAndConverts) {
    std::string t = "1a2Bcd";
    uint8_t out[2] = {};
    EXPECT_EQ(asc_hex(text(t), out, 2), 0);
    EXPECT_EQ(out[0], 0x1A);
    EXPECT_EQ(out[1], 0x2B);
    EXPECT_EQ(t, "1A2BCD") << "the whole text is upper-cased, beyond the pairs converted";
}

TEST(AscHex, RefusesNonDigitsKeepingEarlierBytes) {
    std::string t = "AB1G";
    uint8_t out[2] = {0, 0x77};
    EXPECT_EQ(asc_hex(text(t), out, 2), QL_NOT_HEX);
    EXPECT_EQ(out[0], 0xAB);
    EXPECT_EQ(out[1], 0x77);
    std::string high = "G1";
    EXPECT_EQ(asc_hex(text(high), out, 1), QL_NOT_HEX);
}

TEST(AscHex, NonPositiveCountConvertsNothing) {
    std::string t = "ab";
    uint8_t out[1] = {0x33};
    EXPECT_EQ(asc_hex(text(t), out, -5), 0);
    EXPECT_EQ(out[0], 0x33);
    EXPECT_EQ(t, "AB");
}

TEST(HexAsc, WritesDigitsAndZero) {
    const uint8_t in[] = {0x00, 0x9F};
    char out[6];
    std::memset(out, 'x', sizeof out);
    EXPECT_EQ(hex_asc(in, reinterpret_cast<uint8_t*>(out), 2), 0);
    EXPECT_STREQ(out, "009F");
    EXPECT_EQ(out[5], 'x');
    char z[2] = {'x', 'x'};
    EXPECT_EQ(hex_asc(in, reinterpret_cast<uint8_t*>(z), -3), 0);
    EXPECT_EQ(z[0], '\0');
    EXPECT_EQ(z[1], 'x') << "a negative count writes only the zero byte";
}

TEST(AscAsc, CopiesCountBytesAndNothingForNegative) {
    const uint8_t src[] = {1, 2, 3};
    uint8_t dst[3] = {9, 9, 9};
    EXPECT_EQ(asc_asc(src, dst, 2), 0);
    EXPECT_EQ(dst[1], 2);
    EXPECT_EQ(dst[2], 9);
    EXPECT_EQ(asc_asc(src, dst, -1), 0);
}

TEST(Xor, EightBits) {
    EXPECT_EQ(quillet_test_xor(0x5A, 0xFF), 0xA5);
    EXPECT_EQ(quillet_test_xor(0x1FF, 0x100), 0xFF);
}

TEST(BccExports, CreateAndCheck) {
    const uint8_t three[] = {0xAA, 0x01, 0x02};
    EXPECT_EQ(cr_bcc(3, three), 0xA9);
    EXPECT_EQ(cr_bcc(0, three), 0);
    EXPECT_EQ(cr_bcc(-4, three), 0);
    uint8_t frame[] = {0xAA, 0x01, 0x02, 0xA9};
    EXPECT_EQ(ck_bcc(4, frame), 0);
    frame[3] = 0xA8;
    EXPECT_EQ(ck_bcc(4, frame), 118);
}

TEST(CommBcc, ConvertsPairsAppendsBccAndZero) {
    std::string t = "aa01";
    EXPECT_EQ(comm_bcc(4, text(t)), 0xAB);
    EXPECT_EQ(std::memcmp(t.data(), "\xAA\x01\xAB\x00", 4), 0);

    std::string odd = "12345";
    EXPECT_EQ(comm_bcc(5, text(odd)), 0x26);
    EXPECT_EQ(std::memcmp(odd.data(), "\x12\x34\x26\x00", 4), 0);
}

TEST(CommBcc, NonHexCharacterGivesZeroBytesFromThereOn) {
    std::string t = "12G45678";
    const uint8_t check = comm_bcc(8, text(t));
    EXPECT_EQ(std::memcmp(t.data(), "\x12\x00\x00\x00\x12\x00", 6), 0);
    EXPECT_EQ(check, 0x12);
}

TEST(CommBcc, StaysWithinTheStatedLength) {
    std::vector<uint8_t> buf(2000, 'A');
    buf[1999] = 0;
    // Longer than the work area: converted as 596 characters, nothing written past 598 bytes.
    comm_bcc(1500, buf.data());
    EXPECT_EQ(buf[299], 0);
    EXPECT_EQ(buf[300], 'A');
    std::vector<uint8_t> empty(2, 'x');
    empty[0] = 0;
    EXPECT_EQ(comm_bcc(0, empty.data()), 0);
    EXPECT_EQ(empty[1], 'x') << "an empty conversion writes only over the text's zero";
    EXPECT_EQ(comm_bcc(-7, empty.data()), 0);
}

TEST(ByteImages, LittleEndianAndRoundTrip) {
    uint8_t out[4];
    long_uchar(0x12345678, out);
    EXPECT_EQ(std::memcmp(out, "\x78\x56\x34\x12", 4), 0);
    int32_t l = 0;
    uchar_long(out, &l);
    EXPECT_EQ(l, 0x12345678);

    short_uchar(-2, out);
    EXPECT_EQ(out[0], 0xFE);
    EXPECT_EQ(out[1], 0xFF);
    int16_t s = 0;
    uchar_short(out, &s);
    EXPECT_EQ(s, -2);

    float_uchar(1.0f, out);
    EXPECT_EQ(std::memcmp(out, "\x00\x00\x80\x3F", 4), 0);
    float f = 0;
    uchar_float(out, &f);
    EXPECT_EQ(f, 1.0f);
}

TEST(SetCode, ClampsCountAndBytesAndIsSeenByTheChecks) {
    std::vector<uint8_t> codes(120);
    for (size_t i = 0; i < codes.size(); ++i) codes[i] = static_cast<uint8_t>(i + 1);
    EXPECT_EQ(set_code(8, 25, 120, codes.data()), 0);
    const auto& list = quillet::process_state().registered_codes[8];
    EXPECT_EQ(list.count, 20);
    EXPECT_EQ(list.codes[99], 100);
    const uint8_t first[] = {1, 2};
    const uint8_t nowhere[] = {2, 3};
    EXPECT_TRUE(quillet::is_registered_code(8, first, 2));
    EXPECT_FALSE(quillet::is_registered_code(8, nowhere, 2)) << "codes are pairs at even positions";
    const uint8_t four[] = {5, 6, 7, 8};
    set_code(6, 2, 8, codes.data());
    EXPECT_TRUE(quillet::is_registered_code(6, four, 4));
    set_code(6, 0, 0, codes.data());
    EXPECT_FALSE(quillet::is_registered_code(6, four, 4)) << "a count of 0 empties the list";
}

// A card whose identification bytes are 00 00, or those of a code registered earlier, must not
// pass because a count promised more codes than bytes were given.
TEST(SetCode, RegistersOnlyTheCodesWhoseBytesWereGiven) {
    std::vector<uint8_t> earlier(100, 0x00);
    earlier[2] = 0xE1;
    earlier[3] = 0xE2;
    ASSERT_EQ(set_code(8, 20, 100, earlier.data()), 0);
    const uint8_t one_code[] = {0x11, 0x22};
    EXPECT_EQ(set_code(8, 5, 2, one_code), 0);
    EXPECT_EQ(quillet::process_state().registered_codes[8].count, 1);
    EXPECT_TRUE(quillet::is_registered_code(8, one_code, 2));
    const uint8_t zero[] = {0x00, 0x00};
    const uint8_t stale[] = {0xE1, 0xE2};
    EXPECT_FALSE(quillet::is_registered_code(8, zero, 2));
    EXPECT_FALSE(quillet::is_registered_code(8, stale, 2)) << "left from the earlier registration";

    const uint8_t six_bytes[] = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(set_code(6, 2, 6, six_bytes), 0);
    EXPECT_EQ(quillet::process_state().registered_codes[6].count, 1) << "list 6 holds 4-byte codes";
    EXPECT_EQ(set_code(6, 0, 0, six_bytes), 0);
}

TEST(SetCode, RefusesWhatItCannotStoreSafely) {
    const uint8_t codes[4] = {1, 2, 3, 4};
    EXPECT_EQ(set_code(9, 1, 2, codes), QL_BAD_ARGUMENT);
    EXPECT_EQ(set_code(-1, 1, 2, codes), QL_BAD_ARGUMENT);
    EXPECT_EQ(set_code(3, 1, -2, codes), QL_BAD_ARGUMENT);
    EXPECT_EQ(quillet::process_state().registered_codes[3].count, 0) << "a refused call stores nothing";
}

TEST(LibVer, WritesExactlyTwentyBytes) {
    char buf[24];
    std::memset(buf, 'x', sizeof buf);
    EXPECT_EQ(lib_ver(reinterpret_cast<uint8_t*>(buf)), 0);
    EXPECT_STREQ(buf, "KOV###DRVSFT-V9.40A");
    EXPECT_EQ(buf[20], 'x');
}
