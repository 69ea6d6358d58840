// The parallel-port model driven by hand-written host sequences: the same register accesses as
// the library's nibble and byte links, on a simulated clock that moves 1 ms per status read.
#include <gtest/gtest.h>

#include <optional>

#include "emulator/parallel/parallel_model.h"
#include "tests/emulator/frames.h"
#include "tests/support/parallel_reader.h"

namespace vreader::testing {
namespace {

using quillet::test::SimulatedClock;
using quillet::test::TickingPort;

inline constexpr uint16_t base = 0x378;

class Host {
public:
    explicit Host(quillet::PortIo& port, SimulatedClock& clock) : port_(port), clock_(clock) {}

    void control(uint8_t v, int times = 1) {
        for (int i = 0; i < times; ++i) port_.write(base + 2, v);
    }
    uint8_t status() { return port_.read(base + 1); }
    uint8_t data() { return port_.read(base); }

    // Polls status bit 7 until it shows the level; false past the limit.
    bool wait7(bool high, uint32_t limit_ms) {
        const uint32_t start = clock_.now_ms();
        for (;;) {
            if (((status() & 0x80) != 0) == high) return true;
            if (clock_.now_ms() - start > limit_ms) return false;
        }
    }

    bool send(const Bytes& frame) {
        control(0x0D);
        port_.write(base, 0xFF);
        for (uint8_t b : frame) {
            control(0x0D);
            if (!wait7(true, 800)) return false;
            port_.write(base, b);
            control(0x0F);
            if (!wait7(false, 800)) return false;
            control(0x0D);
        }
        return true;
    }

    std::optional<uint8_t> nibble_byte(uint32_t first_limit) {
        control(0x26);
        if (!wait7(true, first_limit)) return std::nullopt;
        const auto low = static_cast<uint8_t>((status() & 0x78) >> 3);
        control(0x24);
        if (!wait7(false, 800)) return std::nullopt;
        control(0x26);
        if (!wait7(true, 800)) return std::nullopt;
        const auto high = static_cast<uint8_t>((status() & 0x78) << 1);
        control(0x24);
        if (!wait7(false, 800)) return std::nullopt;
        return static_cast<uint8_t>(high | low);
    }

    std::optional<uint8_t> whole_byte(uint32_t first_limit) {
        control(0x27);
        if (!wait7(true, first_limit)) return std::nullopt;
        const uint8_t b = data();
        control(0x25);
        if (!wait7(false, 800)) return std::nullopt;
        return b;
    }

    // A whole reply; stops at the first byte that does not come.
    Bytes reply(bool byte_link, uint32_t first_limit = 3000) {
        Bytes got;
        size_t want = 5;
        while (got.size() < want) {
            const auto b = byte_link ? whole_byte(got.empty() ? first_limit : 800) : nibble_byte(got.empty() ? first_limit : 800);
            if (!b) break;
            got.push_back(*b);
            if (got.size() == 4) want = 5u + be16(got[2], got[3]);
        }
        return got;
    }

private:
    quillet::PortIo& port_;
    SimulatedClock& clock_;
};

class ParallelModelTest : public ::testing::Test {
protected:
    Fault fault(const std::string& text) {
        std::string why;
        return *parse_fault(text, why);
    }
    SimulatedClock clock;
    Reader reader;
    ParallelReaderModel model{reader, clock, base};
    TickingPort port{model, clock};
    Host host{port, clock};
};

TEST_F(ParallelModelTest, NibbleLinkCarriesTheLowHalfFirst) {
    reader.memory().write(0x0000, Bytes{0xA5});
    ASSERT_TRUE(host.send(read_memory(0x0000, 1)));
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(host.nibble_byte(3000));  // 55 00 00 01
    host.control(0x26);
    ASSERT_TRUE(host.wait7(true, 800));
    EXPECT_EQ((host.status() & 0x78) >> 3, 0b0101);
    host.control(0x24);
    ASSERT_TRUE(host.wait7(false, 800));
    host.control(0x26);
    ASSERT_TRUE(host.wait7(true, 800));
    EXPECT_EQ((host.status() & 0x78) >> 3, 0b1010);
    host.control(0x24);
    ASSERT_TRUE(host.wait7(false, 800));
    EXPECT_EQ(host.nibble_byte(800), static_cast<uint8_t>(0x55 ^ 0x01 ^ 0xA5));  // the BCC
    EXPECT_EQ(model.reply_bytes_left(), 0u);
}

TEST_F(ParallelModelTest, StatusBit7StaysLowAfterACompleteFrameUntilTheHostAsks) {
    reader.faults().add(fault("delay 50"));
    const uint32_t start = clock.now_ms();
    ASSERT_TRUE(host.send(card_present_query()));
    EXPECT_EQ(host.status() & 0x80, 0);  // the host's "send idle" after the last byte changes nothing
    host.control(0x26, 3);                // hardened: three writes are one request
    ASSERT_TRUE(host.wait7(true, 3000));
    EXPECT_GE(clock.now_ms() - start, 50u);
    // Triple reads of a presented half agree.
    const uint8_t a = host.status(), b = host.status(), c = host.status();
    EXPECT_EQ(a, b);
    EXPECT_EQ(b, c);
    EXPECT_EQ((a & 0x78) >> 3, 0x5);
}

TEST_F(ParallelModelTest, WholeNibbleAndByteReplies) {
    reader.set_version("KTV4-PAR");
    ASSERT_TRUE(host.send(version_request(10)));
    EXPECT_EQ(host.reply(false), reply_frame(0, Bytes{'K', 'T', 'V', '4', '-', 'P', 'A', 'R'}));

    reader.set_parallel_mode(ParallelMode::byte);
    ASSERT_TRUE(host.send(card_present_query()));
    EXPECT_EQ(host.reply(true), reply_frame(0, {0x00}));
    EXPECT_EQ(reader.log().entries().size(), 4u);
}

TEST_F(ParallelModelTest, AReaderAnswersOnlyOnItsOwnLinkKind) {
    reader.set_parallel_mode(ParallelMode::byte);
    ASSERT_TRUE(host.send(card_present_query()));
    EXPECT_TRUE(host.reply(false).empty());  // a nibble request: silence until the limit
    host.control(0x24);
    // The next frame is served normally on the byte link.
    ASSERT_TRUE(host.send(card_present_query()));
    EXPECT_EQ(host.reply(true), reply_frame(0, {0x00}));
}

TEST_F(ParallelModelTest, ModeCommandAnswersOnTheOldLinkThenSwitches) {
    ASSERT_TRUE(host.send(link_command(0xF0)));
    EXPECT_EQ(host.reply(false), reply_frame(0, {}));
    EXPECT_EQ(reader.parallel_mode(), ParallelMode::byte);
    EXPECT_EQ(reader.memory().link_byte(), 0xF4);
    ASSERT_TRUE(host.send(card_present_query()));
    EXPECT_EQ(host.reply(true), reply_frame(0, {0x00}));
}

TEST_F(ParallelModelTest, NoReaderAttachedLetsTheSendTimeOut) {
    reader.faults().add(fault("never"));
    const uint32_t start = clock.now_ms();
    EXPECT_FALSE(host.send(card_present_query()));
    EXPECT_GT(clock.now_ms() - start, 800u);
    EXPECT_EQ(reader.frames_received(), 0u);
}

TEST_F(ParallelModelTest, DroppedAndTruncatedRepliesRunIntoTheLimits) {
    reader.faults().add(fault("drop"));
    ASSERT_TRUE(host.send(card_present_query()));
    uint32_t start = clock.now_ms();
    EXPECT_TRUE(host.reply(false).empty());
    EXPECT_GT(clock.now_ms() - start, 3000u);
    host.control(0x24);

    reader.faults().add(fault("truncate 3"));
    ASSERT_TRUE(host.send(card_present_query()));
    EXPECT_EQ(host.reply(false), (Bytes{0x55, 0x00, 0x00}));
    host.control(0x24);

    // The link recovers for the next exchange.
    ASSERT_TRUE(host.send(card_present_query()));
    EXPECT_EQ(host.reply(false), reply_frame(0, {0x00}));
}

TEST_F(ParallelModelTest, AHostThatGivesUpMidReplyCanSendAgain) {
    reader.memory().write(0, Bytes(20, 0x33));
    ASSERT_TRUE(host.send(read_memory(0, 20)));
    ASSERT_TRUE(host.nibble_byte(3000));
    host.control(0x24);
    ASSERT_TRUE(host.send(card_present_query()));
    EXPECT_EQ(host.reply(false), reply_frame(0, {0x00}));
}

}  // namespace
}  // namespace vreader::testing
