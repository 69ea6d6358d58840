// The nibble link (6666) and the byte link (8888) against the virtual reader's register-level
// parallel-port model, in process, on a simulated clock.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "quillet.h"
#include "core/process_state.h"
#include "tests/support/parallel_reader.h"

using quillet::test::ParallelReader;

namespace {

void add_fault(ParallelReader& pr, const std::string& text) {
    std::string why;
    const auto fault = vreader::parse_fault(text, why);
    ASSERT_TRUE(fault) << why;
    pr.reader().faults().add(*fault);
}

class ParallelLinks : public ::testing::TestWithParam<int32_t> {
protected:
    ParallelLinks() {
        pr_.reader().set_parallel_mode(GetParam() == QL_BYTE_LINK ? vreader::ParallelMode::byte
                                                                   : vreader::ParallelMode::nibble);
    }
    int32_t link_kind() const { return GetParam() == QL_BYTE_LINK ? 1 : 0; }
    ParallelReader pr_;
};

}  // namespace

TEST_P(ParallelLinks, OpenAsksTheVersionAndReturnsTheFixedHandle) {
    EXPECT_EQ(ic_init(888, link_kind()), GetParam());
    EXPECT_EQ(quillet::process_state().parallel_address, 888);
    const auto& entries = pr_.reader().log().entries();
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries.front().mark, '>');
    EXPECT_EQ(entries.front().bytes.at(1), 0xB0) << "the version request comes first";
}

TEST_P(ParallelLinks, UserAreaRoundTrip) {
    ASSERT_EQ(ic_init(888, link_kind()), GetParam());
    uint8_t image[384], back[384] = {};
    for (int i = 0; i < 384; ++i) image[i] = static_cast<uint8_t>(255 - i);
    EXPECT_EQ(swr_eeprom(GetParam(), 0, 384, image), 0);
    EXPECT_EQ(srd_eeprom(GetParam(), 0, 384, back), 0);
    EXPECT_EQ(std::memcmp(image, back, sizeof image), 0);
}

TEST_P(ParallelLinks, SilentReaderTimesOutAtTheHandshakeLimits) {
    ASSERT_EQ(ic_init(888, link_kind()), GetParam());
    add_fault(pr_, "never");
    const uint32_t start = pr_.clock().now_ms();
    int16_t state = 0;
    EXPECT_EQ(get_status0(GetParam(), &state), QL_TIMEOUT);
    const uint32_t took = pr_.clock().now_ms() - start;
    EXPECT_GE(took, 800u) << "the first byte send waits 800 ms for the reader";
    EXPECT_LT(took, 900u);
}

TEST_P(ParallelLinks, LostReplyTimesOutAfterTheFirstByteWait) {
    ASSERT_EQ(ic_init(888, link_kind()), GetParam());
    add_fault(pr_, "drop");
    const uint32_t start = pr_.clock().now_ms();
    int16_t state = 0;
    EXPECT_EQ(get_status0(GetParam(), &state), QL_TIMEOUT);
    const uint32_t took = pr_.clock().now_ms() - start;
    EXPECT_GE(took, 3000u);
    EXPECT_LT(took, 3200u);
    EXPECT_EQ(get_status0(GetParam(), &state), 0) << "the next exchange works";
}

TEST_P(ParallelLinks, OversizedReplyIsRefusedAndTheLinkRecovers) {
    ASSERT_EQ(ic_init(888, link_kind()), GetParam());
    add_fault(pr_, "oversize 1024");
    uint8_t snr[16];
    EXPECT_EQ(srd_snr(GetParam(), 16, snr), QL_REPLY_TOO_LONG);
    EXPECT_EQ(srd_snr(GetParam(), 16, snr), 0);
}

TEST_P(ParallelLinks, ChkBaudNamesTheReadersMode) {
    EXPECT_EQ(chk_baud(888), link_kind());
}

INSTANTIATE_TEST_SUITE_P(BothLinks, ParallelLinks, ::testing::Values(QL_NIBBLE_LINK, QL_BYTE_LINK),
                         [](const ::testing::TestParamInfo<int32_t>& p) {
                             return std::string(p.param == QL_BYTE_LINK ? "byte" : "nibble");
                         });

TEST(NibbleLink, ByteArrivesAsLowThenHighHalfOnStatusBits3To6) {
    ParallelReader pr;
    pr.reader().set_parallel_mode(vreader::ParallelMode::nibble);
    pr.reader().set_version("\xA5VERSION!!");
    ASSERT_EQ(ic_init(888, 0), QL_NIBBLE_LINK);
    uint8_t text[10] = {};
    EXPECT_EQ(srd_ver(QL_NIBBLE_LINK, 10, text), 0);
    EXPECT_EQ(text[0], 0xA5);
}

TEST(NibbleLink, KTV4MarksTheExtendedReader) {
    ParallelReader pr;
    pr.reader().set_parallel_mode(vreader::ParallelMode::nibble);
    pr.reader().set_version("KTV4-PARALLEL");
    ASSERT_EQ(ic_init(888, 0), QL_NIBBLE_LINK);
    EXPECT_TRUE(quillet::process_state().extended_reader);
}

TEST(ParallelOpen, NoReaderMeansPortError) {
    ParallelReader pr;
    add_fault(pr, "never");
    EXPECT_EQ(ic_init(888, 1), QL_PORT_ERROR);
    EXPECT_EQ(chk_baud(888), QL_NO_READER);
}

TEST(ParallelOpen, AutoInitOnAParallelPortWithoutAnswerIsAPortError) {
    ParallelReader pr;
    add_fault(pr, "never");
    EXPECT_EQ(auto_init(888, 1), QL_PORT_ERROR) << "a parallel handle has no line settings to hunt with";
}
