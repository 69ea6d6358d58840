// Port opening, baud search and the reader's link switch, against the virtual reader whose
// pseudo-terminal answers only at its own rate.
#include <gtest/gtest.h>

#include <cstring>

#include "quillet.h"
#include "core/process_state.h"
#include "tests/support/virtual_reader_process.h"

using quillet::test::Bytes;
using quillet::test::Fault;
using quillet::test::VirtualReaderProcess;

TEST(Opening, ReaderAtAnotherRateDoesNotAnswer) {
    VirtualReaderProcess vr{"--rate", "115200"};
    vr.export_port(0);
    const int32_t h = ic_init(0, 9600);
    ASSERT_GT(h, 0) << "a serial open does not contact the reader";
    int16_t state = 0;
    EXPECT_EQ(get_status0(h, &state), QL_TIMEOUT);
    ic_exit(h);
    const int32_t fast = ic_init(0, 115200);
    ASSERT_GT(fast, 0);
    EXPECT_EQ(get_status0(fast, &state), 0);
    ic_exit(fast);
}

TEST(Opening, UnknownRatesOpenAtNineSixHundred) {
    VirtualReaderProcess vr;
    vr.export_port(0);
    const int32_t h = ic_init(0, 14400);
    ASSERT_GT(h, 0);
    int16_t state = 0;
    EXPECT_EQ(get_status0(h, &state), 0);
    ic_exit(h);
}

TEST(Opening, PortNumbersOutsideTheTableOpenComOne) {
    VirtualReaderProcess vr;
    vr.export_port(0);
    for (int16_t port : {int16_t{20}, int16_t{100}, int16_t{-1}}) {
        const int32_t h = ic_init(port, 9600);
        ASSERT_GT(h, 0) << port;
        int16_t state = 0;
        EXPECT_EQ(get_status0(h, &state), 0) << port;
        ic_exit(h);
    }
}

TEST(Opening, ChkBaudFindsTheRateAndLeavesThePortClosed) {
    VirtualReaderProcess vr{"--rate", "38400"};
    vr.export_port(0);
    vr.clear_log();
    EXPECT_EQ(chk_baud(0), 38400) << "searched 9600, 115200, then 38400";
    const int32_t h = ic_init(0, 38400);
    EXPECT_GT(h, 0) << "the port was left closed";
    ic_exit(h);
}

TEST(Opening, ChkBaudStopsAtAReaderSaying0x83) {
    VirtualReaderProcess vr;
    vr.export_port(0);
    vr.set_fault(Fault::status(0x83));
    EXPECT_EQ(chk_baud(0), QL_READER_0x83);
}

TEST(Opening, ChkBaudWithoutReaderTriesEveryRate) {
    VirtualReaderProcess vr;
    vr.export_port(0);
    vr.set_fault(Fault::never());
    EXPECT_EQ(chk_baud(0), QL_NO_READER);
}

TEST(Opening, SetBaudChangesOneHalfOfTheLinkByte) {
    VirtualReaderProcess vr;
    vr.export_port(0);
    vr.expect_ok("link 0xF4");
    const int32_t h = ic_init(0, 9600);
    ASSERT_GT(h, 0);
    vr.clear_log();
    EXPECT_EQ(set_baud(h, 19200), 0);
    const auto sent = vr.host_frames();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0], (Bytes{0xAA, 0xB7, 0x00, 0x07, 0x80, 0, 0, 0x01, 0x80, 0x00, 0x01, 0xAA ^ 0xB7 ^ 0x07 ^ 0x80 ^ 0x01 ^ 0x80 ^ 0x01}));
    EXPECT_EQ(sent[1], (Bytes{0xAA, 0xB1, 0x00, 0x06, 0x80, 0, 0, 0, 0, 0xF5, 0xAA ^ 0xB1 ^ 0x06 ^ 0x80 ^ 0xF5}));
    int16_t state = 0;
    EXPECT_EQ(get_status0(h, &state), QL_TIMEOUT) << "the reader now runs at 19200";
    ic_exit(h);

    const int32_t h2 = ic_init(0, 19200);
    ASSERT_GT(h2, 0);
    vr.clear_log();
    EXPECT_EQ(set_baud(h2, 0), 0);
    EXPECT_EQ(vr.host_frames().at(1)[9], 0x05);
    EXPECT_EQ(set_baud(h2, 1), 0);
    EXPECT_EQ(vr.host_frames().at(3)[9], 0xF5);
    ic_exit(h2);
}

TEST(Opening, AutoInitHuntsTheReaderAndSwitchesIt) {
    VirtualReaderProcess vr{"--rate", "57600"};
    vr.export_port(0);
    const int32_t h = auto_init(0, 9600);
    ASSERT_GT(h, 0);
    int16_t state = 0;
    EXPECT_EQ(get_status0(h, &state), 0);
    EXPECT_EQ(vr.read_memory(0x0180, 1)[0] & 0x0F, 4) << "the reader was told to run at 9600";
    ic_exit(h);
}

TEST(Opening, AutoInitWithTheReaderAlreadyThereAsksOnce) {
    VirtualReaderProcess vr;
    vr.export_port(0);
    vr.clear_log();
    const int32_t h = auto_init(0, 9600);
    ASSERT_GT(h, 0);
    EXPECT_EQ(vr.host_frames().size(), 1u);
    ic_exit(h);
}

TEST(Opening, AutoInitWithoutReaderGivesNoReaderAndClosesThePort) {
    VirtualReaderProcess vr;
    vr.export_port(0);
    vr.set_fault(Fault::never());
    EXPECT_EQ(auto_init(0, 9600), QL_NO_READER);
    const int32_t h = ic_init(0, 9600);
    EXPECT_GT(h, 0) << "the port was closed";
    ic_exit(h);
}

// The virtual reader keeps its side of the terminal open, as a real line does: a port left in
// exclusive use would refuse every later open by anyone but root.
TEST(Opening, EveryOpenerCanOpenThePortAgainAfterItWasClosed) {
    VirtualReaderProcess vr;
    vr.export_port(0);
    for (int round = 0; round < 2; ++round) {
        const int32_t h = ic_init(0, 9600);
        ASSERT_GT(h, 0) << "ic_init, round " << round;
        int16_t state = 0;
        EXPECT_EQ(get_status0(h, &state), 0);
        EXPECT_EQ(ic_exit(h), 0);
    }
    EXPECT_EQ(chk_baud(0), 9600);
    const int32_t h = auto_init(0, 9600);
    ASSERT_GT(h, 0);
    EXPECT_EQ(ic_exit(h), 0);
    EXPECT_EQ(chk_baud(0), 9600) << "after auto_init";
}

TEST(Opening, VersionCopiesWhatTheReaderSentAndNothingMore) {
    VirtualReaderProcess vr{"--version", "ABCDEFGH"};
    vr.export_port(0);
    const int32_t h = ic_init(0, 9600);
    ASSERT_GT(h, 0);
    uint8_t text[18];
    std::memset(text, 'x', sizeof text);
    vr.clear_log();
    EXPECT_EQ(srd_ver(h, 18, text), 0);
    EXPECT_EQ(std::memcmp(text, "ABCDEFGHxxxxxxxxxx", 18), 0);
    EXPECT_EQ(vr.host_frames().at(0)[10], 18);
    EXPECT_FALSE(quillet::process_state().extended_reader);
    vr.set_version("NOBLU-2.0");
    EXPECT_EQ(srd_ver(h, 10, text), 0);
    EXPECT_TRUE(quillet::process_state().extended_reader) << "NOBLU marks the extended reader";
    ic_exit(h);
    EXPECT_TRUE(quillet::process_state().extended_reader) << "and closing does not clear it";
}

TEST(Opening, ClosingParallelHandlesTouchesNothing) {
    EXPECT_EQ(ic_exit(QL_NIBBLE_LINK), 0);
    EXPECT_EQ(ic_exit(QL_BYTE_LINK), 0);
    EXPECT_EQ(auto_chk(12345), 0);
}
