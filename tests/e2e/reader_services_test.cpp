// The reader's own services through the real serial path: exact frames, argument checks that
// send nothing, retries of the card-present query, verified writes and the stored value.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "quillet.h"
#include "tests/support/virtual_reader_process.h"

using quillet::test::Bytes;
using quillet::test::Fault;
using quillet::test::VirtualReaderProcess;

namespace {

class ReaderServices : public ::testing::Test {
protected:
    void SetUp() override {
        vr_.export_port(0);
        handle_ = ic_init(0, 9600);
        ASSERT_GT(handle_, 0);
        vr_.clear_log();
    }
    void TearDown() override { ic_exit(handle_); }

    Bytes only_frame() {
        const auto sent = vr_.host_frames();
        EXPECT_EQ(sent.size(), 1u);
        return sent.empty() ? Bytes{} : sent[0];
    }

    VirtualReaderProcess vr_{"--card", "sle4442"};
    int32_t handle_ = 0;
};

}  // namespace

TEST_F(ReaderServices, SimpleServicesSendTheirFixedFrames) {
    EXPECT_EQ(turn_on(handle_), 0);
    EXPECT_EQ(turn_off(handle_), 0);
    EXPECT_EQ(auto_pull(handle_), 0);
    const auto sent = vr_.host_frames();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0], (Bytes{0xAA, 0xB2, 0x00, 0x05, 0x80, 0, 0, 0, 0, 0x9D}));
    EXPECT_EQ(sent[1], (Bytes{0xAA, 0xB3, 0x00, 0x05, 0x80, 0, 0, 0, 0, 0x9C}));
    EXPECT_EQ(sent[2], (Bytes{0xAA, 0xB8, 0x00, 0x05, 0x80, 0, 0, 0, 0, 0x97}));
}

TEST_F(ReaderServices, BeepClampsItsUnitsAndWaitsForThem) {
    EXPECT_EQ(dv_beep(handle_, -5), 0);
    EXPECT_EQ(dv_beep(handle_, 1000), 0);
    const auto sent = vr_.host_frames();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0][10], 2);
    EXPECT_EQ(sent[1][10], 255);
    EXPECT_EQ(vr_.beeps(), (std::vector<int>{2, 255}));
}

TEST_F(ReaderServices, CardStateIsPassedOnAndLargeStatesReadAsOne) {
    int16_t state = -1;
    EXPECT_EQ(get_status(handle_, &state), 0);
    EXPECT_EQ(state, 1);
    EXPECT_EQ(only_frame(), (Bytes{0xAA, 0xB9, 0x00, 0x05, 0x80, 0, 0, 0, 0, 0x96}));

    vr_.expect_ok("card-state 7");
    EXPECT_EQ(get_status(handle_, &state), 0);
    EXPECT_EQ(state, 1);
    EXPECT_EQ(get_status_DPEx(handle_, 2, &state), 0);
    EXPECT_EQ(state, 1) << "state 7 has bit 0x04";
    EXPECT_EQ(get_status_DPEx(handle_, 3, &state), 0);
    EXPECT_EQ(state, 0);
    EXPECT_EQ(get_status_DPEx(handle_, 4, &state), 0);
    EXPECT_EQ(state, 0) << "positions beyond 3 have no bit";
    EXPECT_EQ(get_status_DPEx(handle_, 0x102, &state), 0);
    EXPECT_EQ(state, 1) << "only the position's low byte counts";
}

TEST_F(ReaderServices, EmptyReaderAnswersMeanStateZero) {
    vr_.remove_card();
    for (const char* kind : {"86", "89", "zero"}) {
        vr_.set_empty_state(kind);
        int16_t state = -1;
        EXPECT_EQ(get_status(handle_, &state), 0) << kind;
        EXPECT_EQ(state, 0) << kind;
    }
}

TEST_F(ReaderServices, CardPresentQueryRetriesUpToThreeAttempts) {
    int16_t state = -1;
    vr_.set_fault(Fault::status(0x05).next(2));
    EXPECT_EQ(get_status(handle_, &state), 0);
    EXPECT_EQ(vr_.host_frames().size(), 3u);

    vr_.clear_log();
    vr_.set_fault(Fault::status(0x05).next(3));
    EXPECT_EQ(get_status(handle_, &state), -5);
    EXPECT_EQ(vr_.host_frames().size(), 3u);

    vr_.clear_log();
    vr_.set_fault(Fault::bad_bcc().next(1));
    EXPECT_EQ(get_status(handle_, &state), 0) << "a transport failure counts as one attempt";
    EXPECT_EQ(vr_.host_frames().size(), 2u);

    vr_.clear_log();
    vr_.set_fault(Fault::status(0x05).next(1));
    EXPECT_EQ(get_status0(handle_, &state), -5) << "get_status0 makes one attempt";
    EXPECT_EQ(vr_.host_frames().size(), 1u);
    vr_.clear_faults();
}

TEST_F(ReaderServices, UserAreaChecksComeFirstAndSendNothing) {
    uint8_t buf[400] = {};
    EXPECT_EQ(srd_eeprom(handle_, 384, 1, buf), QL_BAD_ADDRESS);
    EXPECT_EQ(srd_eeprom(handle_, -1, 1, buf), QL_BAD_ADDRESS);
    EXPECT_EQ(srd_eeprom(handle_, 100, 285, buf), QL_BAD_LENGTH);
    EXPECT_EQ(swr_eeprom(handle_, 0, 0, buf), QL_BAD_LENGTH);
    EXPECT_EQ(swr_eeprom(handle_, 400, 0, buf), QL_BAD_ADDRESS) << "the offset is checked first";
    EXPECT_EQ(srd_snr(handle_, 15, buf), QL_BAD_LENGTH);
    EXPECT_EQ(swr_snr(handle_, 17, buf), QL_BAD_LENGTH);
    EXPECT_EQ(srd_dvsc(handle_, 4, buf), QL_BAD_LENGTH);
    EXPECT_EQ(cmp_dvsc(handle_, 2, buf), QL_BAD_LENGTH);
    EXPECT_EQ(srd_ver(handle_, 12, buf), QL_BAD_LENGTH);
    EXPECT_TRUE(vr_.host_frames().empty());
}

TEST_F(ReaderServices, UserAreaTravelsInChunksOf144) {
    Bytes image(384);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 7 + 3);
    EXPECT_EQ(swr_eeprom(handle_, 0, 384, image.data()), 0);
    auto sent = vr_.host_frames();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0].size(), 144u + 10);
    EXPECT_EQ((Bytes{sent[1][7], sent[1][8]}), (Bytes{0x00, 0x90}));
    EXPECT_EQ((Bytes{sent[2][7], sent[2][8]}), (Bytes{0x01, 0x20}));
    EXPECT_EQ(sent[2].size(), 96u + 10);
    EXPECT_EQ(vr_.read_memory(0, 384), image);

    vr_.clear_log();
    Bytes back(384);
    EXPECT_EQ(srd_eeprom(handle_, 0, 384, back.data()), 0);
    EXPECT_EQ(back, image);
    sent = vr_.host_frames();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0], (Bytes{0xAA, 0xB7, 0x00, 0x07, 0x80, 0, 0, 0x00, 0x00, 0x00, 0x90, 0xAA ^ 0xB7 ^ 0x07 ^ 0x80 ^ 0x90}));

    vr_.clear_log();
    uint8_t last = 0;
    EXPECT_EQ(srd_eeprom(handle_, 383, 1, &last), 0);
    EXPECT_EQ(last, image[383]);
    EXPECT_EQ(vr_.host_frames().size(), 1u);
}

TEST_F(ReaderServices, FailedChunkEndsTheCallAndEarlierChunksStay) {
    Bytes image(300, 0x42);
    vr_.set_fault(Fault::status(0x07).at(2));
    EXPECT_EQ(swr_eeprom(handle_, 0, 300, image.data()), -7);
    EXPECT_EQ(vr_.host_frames().size(), 2u);
    const Bytes first = vr_.read_memory(0, 144);
    EXPECT_EQ(first, Bytes(144, 0x42));
}

TEST_F(ReaderServices, SerialNumberAndDeviceCodeAreVerified) {
    const uint8_t snr[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    EXPECT_EQ(swr_snr(handle_, 16, snr), 0);
    auto sent = vr_.host_frames();
    ASSERT_EQ(sent.size(), 2u) << "write, then the read-back";
    EXPECT_EQ(sent[0][1], 0xB6);
    EXPECT_EQ((Bytes{sent[0][7], sent[0][8]}), (Bytes{0x01, 0x90}));
    EXPECT_EQ(sent[1][1], 0xB7);
    uint8_t back[16] = {};
    EXPECT_EQ(srd_snr(handle_, 16, back), 0);
    EXPECT_EQ(std::memcmp(back, snr, 16), 0);

    const uint8_t code[3] = {0xDE, 0xAD, 0x01};
    EXPECT_EQ(swr_dvsc(handle_, 3, code), 0);
    EXPECT_EQ(vr_.read_memory(0x0182, 3), (Bytes{0xDE, 0xAD, 0x01}));
    EXPECT_EQ(cmp_dvsc(handle_, 3, code), 0);
    const uint8_t other[3] = {0xDE, 0xAD, 0x02};
    EXPECT_LT(cmp_dvsc(handle_, 3, other), 0) << "the reader refuses a different code";
}

TEST_F(ReaderServices, ReadBackThatDiffersIsAWriteFailure) {
    const uint8_t code[3] = {1, 2, 3};
    const uint8_t snr[16] = {};
    // The reader takes each write, but the cell reads back wrong.
    vr_.set_fault(Fault::corrupt().at(2));
    EXPECT_EQ(swr_dvsc(handle_, 3, code), QL_WRITE_FAILED);
    vr_.set_fault(Fault::corrupt().at(2));
    EXPECT_EQ(setsc_md(handle_, 1), QL_WRITE_FAILED);
    vr_.set_fault(Fault::corrupt().at(2));
    EXPECT_EQ(swr_snr(handle_, 16, snr), QL_WRITE_FAILED);
    vr_.set_fault(Fault::corrupt().at(3));
    EXPECT_EQ(val_inc(handle_, 1), QL_WRITE_FAILED) << "read, write, read back";
    vr_.set_fault(Fault::status(0x07).at(2));
    EXPECT_EQ(swr_dvsc(handle_, 3, code), -7) << "a failed read-back returns its own status";
}

// A reply the reader marks as carried out but with fewer data bytes than asked for is a failed
// read: the caller's buffer keeps what it held, and a verified write is not taken as verified.
TEST_F(ReaderServices, ShortRepliesAreFailedReadsThatLeaveTheBufferAlone) {
    std::vector<uint8_t> buffer(16, 0xEE);
    vr_.set_fault(Fault::shortened(4));
    EXPECT_EQ(srd_snr(handle_, 16, buffer.data()), QL_READ_FAILED);
    vr_.set_fault(Fault::shortened(10));
    EXPECT_EQ(srd_eeprom(handle_, 0, 16, buffer.data()), QL_READ_FAILED);
    vr_.set_fault(Fault::shortened(2));
    EXPECT_EQ(srd_dvsc(handle_, 3, buffer.data()), QL_READ_FAILED);
    EXPECT_EQ(buffer, std::vector<uint8_t>(16, 0xEE));
    int32_t value = 77;
    vr_.set_fault(Fault::shortened(3));
    EXPECT_EQ(val_read(handle_, &value), QL_READ_FAILED);
    EXPECT_EQ(value, 77);

    const uint8_t snr[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    vr_.set_fault(Fault::shortened(15).at(2));  // the write is answered, its read-back is short
    EXPECT_EQ(swr_snr(handle_, 16, snr), QL_READ_FAILED);
    vr_.set_fault(Fault::shortened(0).at(2));
    EXPECT_EQ(val_set(handle_, 5), QL_READ_FAILED);
    vr_.set_fault(Fault::shortened(0).at(2));
    EXPECT_EQ(setsc_md(handle_, 1), QL_READ_FAILED);
}

TEST_F(ReaderServices, ModeByteIsZeroOrFF) {
    EXPECT_EQ(setsc_md(handle_, 7), 0);
    EXPECT_EQ(vr_.read_memory(0x0181, 1), Bytes{0xFF});
    EXPECT_EQ(setsc_md(handle_, 0), 0);
    EXPECT_EQ(vr_.read_memory(0x0181, 1), Bytes{0x00});
}

TEST_F(ReaderServices, StoredValueArithmetic) {
    EXPECT_EQ(val_set(handle_, 10), 0);
    EXPECT_EQ(vr_.read_memory(0x0185, 4), (Bytes{10, 0, 0, 0})) << "least significant byte first";
    vr_.clear_log();
    EXPECT_EQ(val_dec(handle_, 11), QL_VALUE_TOO_SMALL);
    EXPECT_EQ(vr_.host_frames().size(), 1u) << "only the read; nothing written";
    int32_t v = 0;
    EXPECT_EQ(val_read(handle_, &v), 0);
    EXPECT_EQ(v, 10);
    EXPECT_EQ(val_dec(handle_, 10), 0);
    EXPECT_EQ(val_read(handle_, &v), 0);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(val_set(handle_, 0x7FFFFFFF), 0);
    EXPECT_EQ(val_inc(handle_, 1), 0) << "the sum wraps without a check";
    EXPECT_EQ(val_read(handle_, &v), 0);
    EXPECT_EQ(v, INT32_MIN);
    EXPECT_EQ(val_set(handle_, -5), 0);
    EXPECT_EQ(val_dec(handle_, 1), QL_VALUE_TOO_SMALL);
}
