// DES exports: published known answers, agreement with OpenSSL's single DES, the zero padding,
// the key length rules, the short forms' 16-bit length, and inputs of any size.
#include <gtest/gtest.h>
#include <openssl/des.h>

#include <array>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "quillet.h"
#include "tests/support/test_bytes.h"

namespace {

using Bytes = std::vector<uint8_t>;
using quillet::test::random_bytes;
using Block = std::array<uint8_t, 8>;

Bytes hex(const std::string& text) {
    Bytes out;
    for (size_t i = 0; i + 1 < text.size(); i += 2)
        out.push_back(static_cast<uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
    return out;
}

Bytes encrypt(const Bytes& key, int16_t keylen, const Bytes& in) {
    Bytes out((in.size() + 7) / 8 * 8 + 8, 0xEE);  // one spare block to catch writes past the result
    const int32_t n = DES_Encrypt(key.data(), keylen, in.data(), static_cast<uint32_t>(in.size()), out.data());
    EXPECT_EQ(n, static_cast<int32_t>((in.size() + 7) / 8 * 8));
    for (size_t i = static_cast<size_t>(n); i < out.size(); ++i)
        EXPECT_EQ(out[i], 0xEE) << "written past the result at " << i;
    out.resize(static_cast<size_t>(n));
    return out;
}

Bytes decrypt(const Bytes& key, int16_t keylen, const Bytes& in) {
    Bytes out((in.size() + 7) / 8 * 8);
    const int32_t n = DES_Decrypt(key.data(), keylen, in.data(), static_cast<uint32_t>(in.size()), out.data());
    EXPECT_EQ(n, static_cast<int32_t>(out.size()));
    return out;
}

// OpenSSL's single DES over the input completed with zero bytes, block by block.
Bytes openssl_des(const Bytes& key, Bytes in, int direction) {
    in.resize((in.size() + 7) / 8 * 8, 0);
    DES_cblock k;
    std::memcpy(k, key.data(), 8);
    DES_key_schedule schedule;
    DES_set_key_unchecked(&k, &schedule);
    Bytes out(in.size());
    for (size_t i = 0; i < in.size(); i += 8)
        DES_ecb_encrypt(reinterpret_cast<const_DES_cblock*>(in.data() + i),
                        reinterpret_cast<DES_cblock*>(out.data() + i), &schedule, direction);
    return out;
}

struct KnownAnswer {
    const char* key;
    const char* plain;
    const char* cipher;
};

// FIPS 81 (the ECB example) and NIST SP 800-17 (first entries of the variable plaintext, variable
// key, permutation and substitution tables).
const KnownAnswer published[] = {
    {"0123456789ABCDEF", "4E6F772069732074", "3FA40E8A984D4815"},  // "Now is t"
    {"0101010101010101", "8000000000000000", "95F8A5E5DD31D900"},
    {"0101010101010101", "4000000000000000", "DD7F121CA5015619"},
    {"0101010101010101", "2000000000000000", "2E8653104F3834EA"},
    {"0101010101010101", "1000000000000000", "4BD388FF6CD81D4F"},
    {"0101010101010101", "0000000000000001", "166B40B44ABA4BD6"},
    {"8001010101010101", "0000000000000000", "95A8D72813DAA94D"},
    {"4001010101010101", "0000000000000000", "0EEC1487DD8C26D5"},
    {"2001010101010101", "0000000000000000", "7AD16FFB79C45926"},
    {"1001010101010101", "0000000000000000", "D3746294CA6A6CF3"},
    {"1046913489980131", "0000000000000000", "88D55E54F54C97B4"},
    {"1007103489988020", "0000000000000000", "0C0CC00C83EA48FD"},
    {"7CA110454A1A6E57", "01A1D6D039776742", "690F5B0D9A26939B"},
    {"0131D9619DC1376E", "5CD54CA83DEF57DA", "7A389D10354BD271"},
    {"07A1133E4A0B2686", "0248D43806F67172", "868EBB51CAB4599A"},
};

}  // namespace

TEST(DesKnownAnswers, PublishedValuesBothWaysAndThroughTheShortForms) {
    for (const KnownAnswer& v : published) {
        const Bytes key = hex(v.key), plain = hex(v.plain), cipher = hex(v.cipher);
        EXPECT_EQ(encrypt(key, 8, plain), cipher) << v.key << " " << v.plain;
        EXPECT_EQ(decrypt(key, 8, cipher), plain) << v.key << " " << v.cipher;
        Bytes out(8);
        EXPECT_EQ(ic_encrypt(key.data(), plain.data(), 8, out.data()), 0);
        EXPECT_EQ(out, cipher);
        EXPECT_EQ(ic_decrypt(key.data(), cipher.data(), 8, out.data()), 0);
        EXPECT_EQ(out, plain);
    }
}

TEST(DesKnownAnswers, FipsEcbExampleOfThreeBlocks) {
    const std::string text = "Now is the time for all ";
    const Bytes plain(text.begin(), text.end());
    EXPECT_EQ(encrypt(hex("0123456789ABCDEF"), 8, plain), hex("3FA40E8A984D48156A271787AB8883F9893D51EC4B563B53"));
}

TEST(DesProperties, WeakKeyIsItsOwnInverseAndComplementsCarryThrough) {
    std::mt19937 rng(3);
    const Bytes block = random_bytes(rng, 8);
    const Bytes weak = hex("0101010101010101");
    EXPECT_EQ(encrypt(weak, 8, encrypt(weak, 8, block)), block);

    const Bytes key = random_bytes(rng, 8);
    Bytes not_key = key, not_block = block, not_cipher = encrypt(key, 8, block);
    for (auto* b : {&not_key, &not_block, &not_cipher})
        for (auto& byte : *b) byte = static_cast<uint8_t>(~byte);
    EXPECT_EQ(encrypt(not_key, 8, not_block), not_cipher);
}

TEST(DesAgainstOpenSsl, RandomKeysAndLengthsBothWays) {
    std::mt19937 rng(46);
    for (int run = 0; run < 300; ++run) {
        const Bytes key = random_bytes(rng, 8);
        const Bytes in = random_bytes(rng, rng() % 300);
        ASSERT_EQ(encrypt(key, 8, in), openssl_des(key, in, DES_ENCRYPT))
            << "run " << run << ", " << in.size() << " bytes";
        ASSERT_EQ(decrypt(key, 8, in), openssl_des(key, in, DES_DECRYPT)) << "run " << run;
    }
}

TEST(DesAgainstOpenSsl, InputsBeyondEightThousandBytesAreProcessedWhole) {
    std::mt19937 rng(8000);
    for (size_t size : {size_t{8000}, size_t{8001}, size_t{8008}, size_t{20000}, size_t{65535}}) {
        const Bytes key = random_bytes(rng, 8);
        const Bytes in = random_bytes(rng, size);
        EXPECT_EQ(encrypt(key, 8, in), openssl_des(key, in, DES_ENCRYPT)) << size;
        EXPECT_EQ(decrypt(key, 8, in), openssl_des(key, in, DES_DECRYPT)) << size;
    }
}

TEST(DesPadding, EmptyInputWritesNothing) {
    const Bytes key = hex("0123456789ABCDEF");
    uint8_t out[8];
    std::memset(out, 0xEE, sizeof out);
    EXPECT_EQ(DES_Encrypt(key.data(), 8, nullptr, 0, out), 0);
    EXPECT_EQ(DES_Decrypt(key.data(), 8, nullptr, 0, out), 0);
    for (uint8_t b : out) EXPECT_EQ(b, 0xEE);
}

TEST(DesPadding, ShortLastBlockIsCompletedWithZeroBytes) {
    const Bytes key = hex("133457799BBCDFF1");
    const Bytes five = hex("0123456789");
    EXPECT_EQ(encrypt(key, 8, five), encrypt(key, 8, hex("0123456789000000")));
    Bytes seventeen = hex("00112233445566778899AABBCCDDEEFF42");
    Bytes completed = seventeen;
    completed.resize(24, 0);
    EXPECT_EQ(encrypt(key, 8, seventeen), encrypt(key, 8, completed));
}

TEST(DesPadding, BlocksAreEncryptedEachByItself) {
    const Bytes key = hex("0123456789ABCDEF");
    const Bytes twice = hex("4E6F7720697320744E6F772069732074");
    const Bytes out = encrypt(key, 8, twice);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 8), hex("3FA40E8A984D4815"));
    EXPECT_EQ(Bytes(out.begin() + 8, out.end()), hex("3FA40E8A984D4815"));
}

TEST(DesPadding, DecryptOfEncryptGivesTheInputAndItsZeroCompletion) {
    std::mt19937 rng(81);
    for (size_t size : {size_t{1}, size_t{7}, size_t{8}, size_t{13}, size_t{64}, size_t{999}}) {
        const Bytes key = random_bytes(rng, 8);
        const Bytes in = random_bytes(rng, size);
        Bytes expected = in;
        expected.resize((size + 7) / 8 * 8, 0);
        EXPECT_EQ(decrypt(key, 8, encrypt(key, 8, in)), expected) << size;
    }
}

TEST(DesKeyLength, ShortKeysAreCompletedWithZeroBytesLongOnesCut) {
    std::mt19937 rng(12);
    const Bytes key = random_bytes(rng, 12);
    const Bytes in = random_bytes(rng, 40);
    Bytes six_then_zeros(key.begin(), key.begin() + 6);
    six_then_zeros.resize(8, 0);
    EXPECT_EQ(encrypt(key, 6, in), encrypt(six_then_zeros, 8, in));
    EXPECT_EQ(encrypt(key, 12, in), encrypt(key, 8, in));
    EXPECT_EQ(encrypt(key, 32767, in), encrypt(key, 8, in));
    EXPECT_EQ(decrypt(key, 6, in), decrypt(six_then_zeros, 8, in));
    EXPECT_NE(encrypt(key, 6, in), encrypt(key, 8, in));
}

TEST(DesKeyLength, OnlyTheBytesTakenAreRead) {
    std::mt19937 rng(6);
    const Bytes in = random_bytes(rng, 16);
    const Bytes full = random_bytes(rng, 8);
    for (int16_t keylen = 1; keylen < 8; ++keylen) {
        const Bytes exact(full.begin(), full.begin() + keylen);  // a buffer of just keylen bytes
        Bytes completed = exact;
        completed.resize(8, 0);
        EXPECT_EQ(encrypt(exact, keylen, in), encrypt(completed, 8, in)) << keylen;
    }
}

TEST(DesKeyLength, ZeroOrNegativeLengthGivesTheAllZeroKeyAndReadsNoKey) {
    std::mt19937 rng(0);
    const Bytes in = random_bytes(rng, 24);
    const Bytes zero_key(8, 0);
    const Bytes expected = openssl_des(zero_key, in, DES_ENCRYPT);
    for (int16_t keylen : {int16_t{0}, int16_t{-1}, int16_t{-8}, int16_t{-32768}}) {
        Bytes out(24);
        EXPECT_EQ(DES_Encrypt(nullptr, keylen, in.data(), 24, out.data()), 24);
        EXPECT_EQ(out, expected) << keylen;
    }
}

TEST(DesKeyLength, ParityBitsHaveNoEffect) {
    std::mt19937 rng(1);
    const Bytes key = random_bytes(rng, 8), in = random_bytes(rng, 32);
    Bytes flipped = key;
    for (auto& b : flipped) b ^= 0x01;
    EXPECT_EQ(encrypt(flipped, 8, in), encrypt(key, 8, in));
}

TEST(DesShortForms, LengthIsTheLowSixteenBitsOfItsSlot) {
    std::mt19937 rng(65544);
    const Bytes key = random_bytes(rng, 8);
    const Bytes in = random_bytes(rng, 16);
    Bytes out(16, 0xEE);
    EXPECT_EQ(ic_encrypt(key.data(), in.data(), 65544, out.data()), 0);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 8), openssl_des(key, Bytes(in.begin(), in.begin() + 8), DES_ENCRYPT));
    for (size_t i = 8; i < 16; ++i) EXPECT_EQ(out[i], 0xEE) << "65544 counts as 8 bytes";

    std::fill(out.begin(), out.end(), 0xEE);
    EXPECT_EQ(ic_decrypt(key.data(), in.data(), 0x10000, out.data()), 0);
    for (uint8_t b : out) EXPECT_EQ(b, 0xEE) << "0x10000 counts as 0 bytes";
}

TEST(DesShortForms, LongestLengthIsProcessedWhole) {
    std::mt19937 rng(65535);
    const Bytes key = random_bytes(rng, 8);
    const Bytes in = random_bytes(rng, 65535);
    Bytes out(65536);
    EXPECT_EQ(ic_encrypt(key.data(), in.data(), 65535, out.data()), 0);
    EXPECT_EQ(out, openssl_des(key, in, DES_ENCRYPT));
    EXPECT_EQ(ic_decrypt(key.data(), in.data(), 65535, out.data()), 0);
    EXPECT_EQ(out, openssl_des(key, in, DES_DECRYPT));
}

TEST(DesLength, OutputSizeBeyondTheResultRangeIsRefusedUntouched) {
    const Bytes key = hex("0123456789ABCDEF");
    uint8_t in[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    uint8_t out[8];
    std::memset(out, 0xEE, sizeof out);
    for (uint32_t len : {0x7FFFFFF9u, 0x80000000u, 0xFFFFFFFFu}) {
        EXPECT_EQ(DES_Encrypt(key.data(), 8, in, len, out), 0) << len;
        EXPECT_EQ(DES_Decrypt(key.data(), 8, in, len, out), 0) << len;
    }
    for (uint8_t b : out) EXPECT_EQ(b, 0xEE);
}

TEST(DesBuffers, InPlaceAndOverlappingBuffersGiveTheSeparateBufferResult) {
    std::mt19937 rng(77);
    const Bytes key = random_bytes(rng, 8);
    const Bytes in = random_bytes(rng, 203);
    const Bytes expected = encrypt(key, 8, in);
    for (int shift : {0, 3, 8, 17, -5, -8}) {
        Bytes area(512, 0);
        const size_t in_at = 64, out_at = static_cast<size_t>(64 + shift);
        std::copy(in.begin(), in.end(), area.begin() + static_cast<std::ptrdiff_t>(in_at));
        EXPECT_EQ(DES_Encrypt(key.data(), 8, area.data() + in_at, 203, area.data() + out_at), 208);
        EXPECT_EQ(Bytes(area.begin() + static_cast<std::ptrdiff_t>(out_at),
                        area.begin() + static_cast<std::ptrdiff_t>(out_at + 208)),
                  expected)
            << "output " << shift << " bytes from the input";
    }
}
