// Command frame layout and BCC.
#include <gtest/gtest.h>

#include <vector>

#include "link/frame.h"

using namespace quillet;

namespace {
std::vector<uint8_t> bytes_of(const Frame& f) {
    auto s = f.bytes();
    return {s.begin(), s.end()};
}
}  // namespace

TEST(Frame, CardPresentQueryHasItsKnownBcc) {
    Frame f(0xB9);
    f.type(0x80).zero(4);
    EXPECT_EQ(bytes_of(f), (std::vector<uint8_t>{0xAA, 0xB9, 0x00, 0x05, 0x80, 0, 0, 0, 0, 0x96}));
}

TEST(Frame, VersionRequestIsTwelveBytes) {
    Frame f(0xB0);
    f.type(0x80).zero(2).be16(0).be16(10);
    const auto b = bytes_of(f);
    ASSERT_EQ(b.size(), 12u);
    EXPECT_EQ(b[3], 7);
    EXPECT_EQ(b[10], 10);
    EXPECT_EQ(bcc(b), 0) << "a finished frame XORs to zero";
}

TEST(Frame, LengthFieldIsBigEndianBodyLength) {
    std::vector<uint8_t> data(300, 0x5A);
    Frame f(0xB6);
    f.type(0x80).zero(2).be16(0x1234).data(data.data(), data.size());
    const auto b = bytes_of(f);
    EXPECT_EQ(b[2] << 8 | b[3], 305);
    EXPECT_EQ(b[7], 0x12);
    EXPECT_EQ(b[8], 0x34);
    EXPECT_EQ(b.size(), 310u);
    EXPECT_EQ(bcc(b), 0);
}

TEST(Frame, ProcessorCardFramesCarryTheirOwnLengthHighAndPartialBcc) {
    Frame f(0xC1);
    f.length_high(0x80).type(0x20).zero(4).data(std::vector<uint8_t>{1, 2, 3, 4, 5, 6}).bcc_over(9);
    const auto b = bytes_of(f);
    EXPECT_EQ(b[2], 0x80);
    EXPECT_EQ(b[3], 11);
    EXPECT_EQ(b.back(), bcc(std::span<const uint8_t>(b.data(), 9)));
}

TEST(Frame, OverflowIsRememberedNotWrittenPastTheBuffer) {
    std::vector<uint8_t> big(Frame::capacity * 2, 1);
    Frame f(0xB6);
    f.data(big.data(), big.size());
    EXPECT_TRUE(f.overflowed());
    EXPECT_LE(f.bytes().size(), Frame::capacity);
}

TEST(Bcc, EmptyRunIsZeroAndXorOfBytesOtherwise) {
    EXPECT_EQ(bcc({}), 0);
    const uint8_t three[] = {0xAA, 0x01, 0x02};
    EXPECT_EQ(bcc(three), 0xA9);
}

TEST(Reply, DataNeverExceedsWhatArrived) {
    Reply r;
    auto s = r.storage();
    s[0] = 0x55; s[1] = 0; s[2] = 0; s[3] = 10;  // announces 10, only 2 arrived
    s[4] = 7; s[5] = 8;
    r.set_received(6);
    EXPECT_EQ(r.data().size(), 2u);
    uint8_t out[10] = {};
    EXPECT_EQ(r.copy_data(out, 10), 2u);
    EXPECT_EQ(r.copy_data(out, 10, 5), 0u);
}
