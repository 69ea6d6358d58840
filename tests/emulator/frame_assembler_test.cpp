// Cutting command frames out of a byte stream.
#include <gtest/gtest.h>

#include "emulator/core/command_frame.h"
#include "tests/emulator/frames.h"

namespace vreader::testing {
namespace {

std::vector<CommandFrame> feed(FrameAssembler& a, const Bytes& stream) {
    std::vector<CommandFrame> out;
    for (uint8_t b : stream)
        if (auto f = a.push(b)) out.push_back(std::move(*f));
    return out;
}

TEST(FrameAssembler, FramesBackToBackAndNoiseBetween) {
    FrameAssembler a;
    Bytes stream{0x00, 0x13};
    const Bytes q = card_present_query();
    const Bytes v = version_request(10);
    stream.insert(stream.end(), q.begin(), q.end());
    stream.push_back(0x7E);
    stream.insert(stream.end(), v.begin(), v.end());
    const auto frames = feed(a, stream);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].bytes, q);
    EXPECT_EQ(frames[1].bytes, v);
    EXPECT_EQ(frames[1].card_type(), 0x80);
    EXPECT_EQ(frames[1].body().size(), 7u);
    EXPECT_EQ(a.take_skipped(), 3u);
    EXPECT_TRUE(a.idle());
}

TEST(FrameAssembler, ProcessorFramesTakeTheirLengthFromByteThree) {
    FrameAssembler a;
    Bytes reset{0xAA, 0x20, 0x80, 0x05, 0x20, 0, 0, 0, 0};
    reset.push_back(xor_of(reset));
    const auto frames = feed(a, reset);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_TRUE(frames[0].processor_length());
    EXPECT_EQ(frames[0].body().size(), 5u);
    EXPECT_TRUE(frames[0].check_ok());
}

TEST(FrameAssembler, ASixteenBitLengthIsHonoured) {
    FrameAssembler a;
    const Bytes write = command(0x60, Bytes(269, 0x6E));  // a 274-byte page write
    const auto frames = feed(a, write);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].bytes.size(), 274u);
}

TEST(FrameAssembler, AnImpossibleLengthIsNoiseAndTheStreamRecovers) {
    FrameAssembler a;
    Bytes stream{0xAA, 0x61, 0x7F, 0xFF};
    const Bytes q = card_present_query();
    stream.insert(stream.end(), q.begin(), q.end());
    const auto frames = feed(a, stream);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].bytes, q);
}

TEST(FrameAssembler, AbandonDropsAPartialFrame) {
    FrameAssembler a;
    const Bytes q = card_present_query();
    feed(a, Bytes(q.begin(), q.begin() + 6));
    EXPECT_FALSE(a.idle());
    EXPECT_EQ(a.abandon(), 6u);
    const auto frames = feed(a, q);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].bytes, q);
}

TEST(FrameAssembler, RawFramesOnlyWhenAwaited) {
    FrameAssembler a;
    const Bytes raw{0x66, 0x01, 0x02, 0x66 ^ 0x01 ^ 0x02};
    EXPECT_TRUE(feed(a, raw).empty());  // not awaited: noise
    a.expect_raw(RawFrameSpec{0x66, raw.size()});
    auto frames = feed(a, raw);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_TRUE(frames[0].raw);
    EXPECT_TRUE(frames[0].check_ok());
    EXPECT_EQ(Bytes(frames[0].body().begin(), frames[0].body().end()), (Bytes{0x01, 0x02}));
    // Awaited only once: an ordinary frame also clears the expectation.
    a.expect_raw(RawFrameSpec{0x66, raw.size()});
    EXPECT_EQ(feed(a, card_present_query()).size(), 1u);
    EXPECT_TRUE(feed(a, raw).empty());
}

}  // namespace
}  // namespace vreader::testing
