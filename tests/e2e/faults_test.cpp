// A faulty reader: every fault gives its status within its time-outs, nothing is written past the
// caller's buffer, and the next exchange on the same port works.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "quillet.h"
#include "tests/support/virtual_reader_process.h"

using quillet::test::Fault;
using quillet::test::VirtualReaderProcess;

namespace {

struct Case {
    const char* name;
    Fault fault;
    int16_t status;
    double at_most_seconds;
};

class FaultyReader : public ::testing::TestWithParam<Case> {};

}  // namespace

TEST_P(FaultyReader, GivesItsStatusAndTheNextExchangeWorks) {
    const Case& c = GetParam();
    VirtualReaderProcess vr{"--rate", "115200"};
    vr.export_port(0);
    const int32_t h = ic_init(0, 115200);
    ASSERT_GT(h, 0);
    std::vector<uint8_t> buffer(16 + 64, 0xEE);  // 16 asked for, a guard zone behind
    vr.set_fault(c.fault);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(srd_snr(h, 16, buffer.data()), c.status);
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(took, c.at_most_seconds);
    for (size_t i = 16; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0xEE) << "written past the buffer at " << i;
    vr.clear_faults();
    EXPECT_EQ(srd_snr(h, 16, buffer.data()), 0);
    ic_exit(h);
}

INSTANTIATE_TEST_SUITE_P(
    EveryFault, FaultyReader,
    ::testing::Values(Case{"drop", Fault::drop(), QL_TIMEOUT, 2.6},
                      Case{"lead", Fault::wrong_lead(0x54), QL_BAD_LEAD, 1.0},
                      Case{"bcc", Fault::bad_bcc(), QL_BAD_BCC, 1.0},
                      Case{"status", Fault::status(0x05), -5, 1.0},
                      Case{"delay_within", Fault::delay(1500), 0, 2.6},
                      Case{"delay_past", Fault::delay(3000), QL_TIMEOUT, 2.6},
                      Case{"garbage", Fault::garbage(40), QL_BAD_LEAD, 1.0},
                      Case{"truncate", Fault::truncate(9), QL_TIMEOUT, 1.0},
                      Case{"oversize_sent", Fault::oversize(1024), QL_REPLY_TOO_LONG, 1.0},
                      Case{"oversize_short", Fault::oversize(0x0400, 20), QL_REPLY_TOO_LONG, 1.0},
                      Case{"announces_max", Fault::oversize(0xFFFF, 0), QL_REPLY_TOO_LONG, 1.0},
                      Case{"never", Fault::never(), QL_TIMEOUT, 2.6},
                      Case{"drip", Fault::drip(20), 0, 1.0}),
    [](const ::testing::TestParamInfo<Case>& param) { return std::string(param.param.name); });

TEST(FaultyReaderLimits, ReplyOf264BytesIsReadWhenItsBufferHoldsIt) {
    VirtualReaderProcess vr{"--rate", "115200"};
    vr.export_port(0);
    const int32_t h = ic_init(0, 115200);
    ASSERT_GT(h, 0);
    uint8_t snr[16];
    // The ordinary 160-byte reply buffer refuses a 264-byte announcement without overrunning.
    vr.set_fault(Fault::oversize(264));
    EXPECT_EQ(srd_snr(h, 16, snr), QL_REPLY_TOO_LONG);
    vr.clear_faults();
    EXPECT_EQ(srd_snr(h, 16, snr), 0);
    ic_exit(h);
}

// A slow reader goes on sending an oversized reply long after the reception refused it. Its tail
// is read and discarded before the call returns, so that the next exchanges read their own
// replies rather than that tail.
TEST(FaultyReaderLimits, DrippingOversizedReplyIsDiscardedBeforeTheNextExchange) {
    VirtualReaderProcess vr{"--rate", "115200"};
    vr.export_port(0);
    const int32_t h = ic_init(0, 115200);
    ASSERT_GT(h, 0);
    uint8_t snr[16];
    vr.set_fault(Fault::oversize(300));
    vr.set_fault(Fault::drip(3));  // 305 bytes, about 0.9 s
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(srd_snr(h, 16, snr), QL_REPLY_TOO_LONG);
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(took, 2.0 + 1.0) << "discarding has an upper bound";
    for (int i = 0; i < 3; ++i) EXPECT_EQ(srd_snr(h, 16, snr), 0) << "exchange " << i + 1 << " after the oversized one";
    ic_exit(h);
}
