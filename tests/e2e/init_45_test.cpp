// Init_45, the AT45D041 readers' parallel opener, against the virtual reader's register-level
// parallel-port model on the simulated clock: byte link first, nibble link second, 800 ms apart,
// the card-present query as the last resort.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "quillet.h"
#include "core/process_state.h"
#include "tests/support/parallel_reader.h"

using quillet::test::ParallelReader;

namespace {

using Bytes = std::vector<uint8_t>;

// AA B1 00 06 80 00 00 00 00 M BCC
Bytes mode_frame(uint8_t mode) {
    Bytes f{0xAA, 0xB1, 0x00, 0x06, 0x80, 0, 0, 0, 0, mode};
    uint8_t x = 0;
    for (uint8_t b : f) x ^= b;
    f.push_back(x);
    return f;
}

class Init45 : public ::testing::Test {
protected:
    void add_fault(const std::string& text) {
        std::string why;
        const auto fault = vreader::parse_fault(text, why);
        ASSERT_TRUE(fault) << why;
        pr_.reader().faults().add(*fault);
    }

    // Opens and reports the handle; took_ms is the simulated time the open took.
    int32_t open() {
        const uint32_t start = pr_.clock().now_ms();
        const int32_t handle = Init_45(888);
        took_ms = pr_.clock().now_ms() - start;
        return handle;
    }

    std::vector<Bytes> host_frames() {
        std::vector<Bytes> frames;
        for (const auto& e : pr_.reader().log().entries())
            if (e.mark == '>') frames.push_back(e.bytes);
        return frames;
    }

    ParallelReader pr_;
    uint32_t took_ms = 0;
};

}  // namespace

TEST_F(Init45, ByteLinkReaderAnswersTheFirstFrame) {
    pr_.reader().set_parallel_mode(vreader::ParallelMode::byte);
    quillet::process_state().parallel_address = 0;
    EXPECT_EQ(open(), QL_BYTE_LINK);
    EXPECT_EQ(quillet::process_state().parallel_address, 888);
    EXPECT_EQ(host_frames(), std::vector<Bytes>{mode_frame(0xF0)});
    EXPECT_LT(took_ms, 800u) << "no settling pause before the first try";
}

// A reader without the byte link refuses the switch to it (its refusal goes out on the nibble
// link, which the host, listening on the byte link, does not hear), then takes the nibble link.
TEST_F(Init45, NibbleOnlyReaderIsOpenedOnTheThirdFrame) {
    pr_.reader().set_parallel_mode(vreader::ParallelMode::nibble);
    add_fault("status 0x8B next 2");
    EXPECT_EQ(open(), QL_NIBBLE_LINK);
    EXPECT_EQ(host_frames(), (std::vector<Bytes>{mode_frame(0xF0), mode_frame(0xF0), mode_frame(0x0F)}));
    // Two unanswered byte-link frames wait 3000 ms each for their reply; the two pauses add 1600.
    EXPECT_GE(took_ms, 2 * 3000u + 1600u);
    EXPECT_LT(took_ms, 2 * 3000u + 1600u + 400u);
    EXPECT_EQ(pr_.reader().parallel_mode(), vreader::ParallelMode::nibble);
}

TEST_F(Init45, ReaderThatRefusesEveryModeIsFoundByTheCardPresentQuery) {
    pr_.reader().set_parallel_mode(vreader::ParallelMode::nibble);
    add_fault("status 0x8B next 4");
    EXPECT_EQ(open(), QL_NIBBLE_LINK);
    const auto frames = host_frames();
    ASSERT_EQ(frames.size(), 5u);
    EXPECT_EQ(frames[3], mode_frame(0x0F));
    EXPECT_EQ(frames[4].at(1), 0xB9) << "the card-present query on the nibble link";
    EXPECT_GE(took_ms, 2 * 3000u + 3 * 800u) << "three pauses";
}

TEST_F(Init45, NoReaderMeansPortError) {
    add_fault("never");
    EXPECT_EQ(open(), QL_PORT_ERROR);
    EXPECT_TRUE(host_frames().empty()) << "nothing reached a reader";
}

// Page-long replies (269 bytes) on the byte link; the SSF1101 status read on a parallel link,
// which has no serial time-outs to lengthen.
TEST_F(Init45, FlashCardsWorkOverTheOpenedLink) {
    pr_.reader().set_parallel_mode(vreader::ParallelMode::byte);
    pr_.reader().insert(0, vreader::make_card("at45d041"));
    ASSERT_EQ(open(), QL_BYTE_LINK);
    uint8_t page[264], back[264] = {};
    for (int i = 0; i < 264; ++i) page[i] = static_cast<uint8_t>(i * 5);
    EXPECT_EQ(Write_45(QL_BYTE_LINK, 100, 0, 264, page), 0);
    EXPECT_EQ(Read_45(QL_BYTE_LINK, 100, 0, 264, back), 0);
    EXPECT_TRUE(std::equal(page, page + 264, back));
    EXPECT_EQ(chk_45d041(QL_BYTE_LINK), 0);

    pr_.reader().insert(0, vreader::make_card("ssf1101"));
    EXPECT_EQ(chk_ssf1101(QL_BYTE_LINK), 0);
    EXPECT_EQ(swr_ssf1101(QL_BYTE_LINK, 3, 1000, 100, page), 0);
    EXPECT_EQ(srd_ssf1101(QL_BYTE_LINK, 3, 1000, 100, back), 0);
    EXPECT_TRUE(std::equal(page, page + 100, back));
}
