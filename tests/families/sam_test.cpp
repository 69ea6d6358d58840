// The SAM slots through the real serial path against virtual processor cards in the main slot and
// in SAM slots 1..3 (SAM 2 loaded from a contents file): power and selection frames, the resets
// with their separate length and single attempt, the slot-numbered exports, the first block
// frame's BCC over the whole frame, and an application's whole dialogue through a SAM slot.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "quillet.h"
#include "tests/families/t1_blocks.h"
#include "tests/support/card_session.h"

namespace {

using namespace quillet::test;

constexpr int16_t mute = -0x93;
constexpr uint8_t filler = 0xEE;
const Bytes sam2_atr{0x3B, 0x02, 0x14, 0x52};

std::string sam2_description() {
    return "atr 3B 02 14 52\npin 01 tries=3 left=3 value=31323334\ndf 3F00/5F10 name=F0515652\n"
           "binary 3F00/5F10/0101 read=always update=pin01 data=53414D32\n";
}

void write_file(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class Sam : public quillet::test::CardSession {
protected:
    Sam() : CardSession("cpu") {}

    void SetUp() override {
        CardSession::SetUp();
        const std::string file = vr.directory() + "/sam2.txt";
        write_file(file, sam2_description());
        vr.expect_ok("sam 1 cpu");
        vr.expect_ok("sam 2 cpu:" + file);
        vr.expect_ok("sam 3 cpu");
        vr.clear_log();
    }

    std::string contents(int slot) {
        const std::string answer = vr.expect_ok(slot ? "contents " + std::to_string(slot) : "contents");
        std::string text;
        for (size_t i = 0; i + 1 < answer.size(); i += 3)
            text += static_cast<char>(std::stoi(answer.substr(i, 2), nullptr, 16));
        return text;
    }
};

TEST_F(Sam, PowerAndSelectionFrames) {
    EXPECT_EQ(sent_by([&] { return sam_power_on(handle); }),
              std::vector<Bytes>{command_frame(0xB2, {0x80, 0, 0, 0, 0})});
    EXPECT_EQ(sent_by([&] { return turn_on(handle); }), std::vector<Bytes>{command_frame(0xB2, {0x80, 0, 0, 0, 0})});
    EXPECT_EQ(sent_by([&] { return sam_power_down(handle); }),
              std::vector<Bytes>{command_frame(0xB3, {0x80, 0, 0, 0, 0})});
    EXPECT_EQ(sent_by([&] { return sam_select(handle, 3); }),
              std::vector<Bytes>{command_frame(0x23, {0x21, 0, 0, 0, 0, 3})});
    EXPECT_NE(vr.expect_ok("status").find("sam=3"), std::string::npos);
    EXPECT_EQ(sam_select(handle, 6), -0x8C);  // the reader has SAMs 1..5
}

TEST_F(Sam, ResetOfTheSelectedSamReturnsItsLength) {
    std::vector<uint8_t> answer(QL_CPU_ANSWER_MAX, filler);
    int16_t length = 77;
    ASSERT_EQ(sam_select(handle, 2), 0);
    EXPECT_EQ(sent_by([&] { return sam_reset(handle, &length, answer.data()); }),
              std::vector<Bytes>{reset_frame(0x21)});
    EXPECT_EQ(length, 4);
    EXPECT_EQ(Bytes(answer.begin(), answer.begin() + 5), sam2_atr + Bytes{filler});
    // A refusal: one frame, no second attempt, length 0.
    length = 77;
    vr.set_fault(Fault::status(0x93).next(2));
    EXPECT_EQ(sent_by([&] { return sam_reset(handle, &length, answer.data()); }, mute).size(), 1u);
    EXPECT_EQ(length, 0);
    vr.clear_faults();
    ASSERT_EQ(sam_select(handle, 4), 0);  // an empty slot
    length = 77;
    EXPECT_EQ(sam_reset(handle, &length, answer.data()), no_card);
    EXPECT_EQ(length, 0);
}

TEST_F(Sam, AnswerBoundHoldsForTheSamResetsToo) {
    std::vector<uint8_t> answer(QL_CPU_ANSWER_MAX, filler);  // exactly the bound
    int16_t length = 77;
    vr.set_fault(Fault::answer(Bytes(QL_CPU_ANSWER_MAX + 1, 0x3B)));
    EXPECT_EQ(sam_slt_reset(handle, 1, &length, answer.data()), QL_RESPONSE_TOO_LONG);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(Bytes(answer.begin(), answer.end()), Bytes(QL_CPU_ANSWER_MAX, filler));
    vr.set_fault(Fault::answer(Bytes(QL_CPU_ANSWER_MAX, 0x3B)));
    EXPECT_EQ(sam_reset(handle, &length, answer.data()), 0);
    EXPECT_EQ(length, QL_CPU_ANSWER_MAX);
    EXPECT_EQ(Bytes(answer.begin(), answer.end()), Bytes(QL_CPU_ANSWER_MAX, 0x3B));
}

TEST_F(Sam, SlotNumberedResets) {
    std::vector<uint8_t> answer(QL_CPU_ANSWER_MAX, filler);
    int16_t length = 99;
    EXPECT_TRUE(sent_by([&] { return sam_slt_reset(handle, 7, &length, answer.data()); }, QL_BAD_SLOT).empty());
    EXPECT_EQ(length, 0);
    EXPECT_EQ(sent_by([&] { return sam_slt_reset(handle, 0x102, &length, answer.data()); }),
              std::vector<Bytes>{reset_frame(0x22)});
    EXPECT_EQ(length, 4);
    // Slot 0: cpu_reset's frame, with the length returned and one attempt.
    uint8_t cpu_answer[QL_CPU_ANSWER_MAX];
    const auto cpu_frames = sent_by([&] { return cpu_reset(handle, cpu_answer); });
    EXPECT_EQ(sent_by([&] { return sam_slt_reset(handle, 0, &length, answer.data()); }), cpu_frames);
    EXPECT_EQ(length, static_cast<int16_t>(quillet::test::factory_atr.size()));
    vr.set_fault(Fault::status(0x93).next(4));
    EXPECT_EQ(sent_by([&] { return sam_slt_reset(handle, 0, &length, answer.data()); }, mute).size(), 1u);
    vr.clear_faults();
}

TEST_F(Sam, SlotNumberedProtocolUsesItsSlotByteForEveryFrame) {
    std::vector<uint8_t> answer(QL_CPU_ANSWER_MAX);
    int16_t length = 0;
    ASSERT_EQ(sam_slt_reset(handle, 2, &length, answer.data()), 0);
    const Bytes select = t1_block(0x00, 0x00, {0x00, 0xA4, 0x04, 0x00, 0x04, 0xF0, 0x51, 0x56, 0x52, 0x00});
    std::vector<uint8_t> response(QL_CPU_RESPONSE_MAX, filler);
    int16_t response_length = -1;
    const auto call = [&](int16_t slot, int16_t n) {
        return sam_slt_protocol(handle, slot, n, select.data(), &response_length, response.data());
    };
    const auto sent = sent_by([&] { return call(2, static_cast<int16_t>(select.size())); });
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0], block_frame(0x22, select, true));
    EXPECT_EQ(sent[1], block_frame(0x22, t1_block(0x00, 0x40, {0x00, 0xC0, 0x00, 0x00, 0x08})));
    EXPECT_EQ(response_length, 10);
    EXPECT_EQ(Bytes(response.begin(), response.begin() + 13),
              (Bytes{0x00, 0x40, 0x0A} + quillet::test::app_fci + quillet::test::sw_ok));
    // The slot number is checked first, then the length; nothing sent, response length untouched.
    response_length = -1;
    EXPECT_TRUE(sent_by([&] { return call(8, 0); }, QL_BAD_SLOT).empty());
    EXPECT_TRUE(sent_by([&] { return call(2, 0); }, QL_BAD_LENGTH).empty());
    EXPECT_TRUE(sent_by([&] { return call(2, 251); }, QL_BAD_LENGTH).empty());
    EXPECT_EQ(response_length, -1);
}

TEST_F(Sam, FirstFrameOfTheSamExchangeChecksTheWholeFrame) {
    std::vector<uint8_t> answer(QL_CPU_ANSWER_MAX);
    int16_t length = 0;
    ASSERT_EQ(cpu_reset(handle, answer.data()), 0);
    ASSERT_EQ(sam_reset(handle, &length, answer.data()), 0);  // SAM 1, selected at power-up
    Bytes block = t1_block(0x00, 0x00, {0x00, 0x84, 0x00, 0x00, 0x08});
    block.back() ^= 0x01;  // a wrong LRC
    std::vector<uint8_t> response(QL_CPU_RESPONSE_MAX, filler);
    const int16_t n = static_cast<int16_t>(block.size());
    const auto cpu = sent_by([&] { return cpu_protocol(handle, n, block.data(), response.data()); });
    // Both cards see the bad LRC and answer with the R-block for it.
    EXPECT_EQ(Bytes(response.begin(), response.begin() + 4), (Bytes{0x00, 0x81, 0x00, filler}));
    int16_t response_length = 0;
    const auto slot0 =
        sent_by([&] { return sam_slt_protocol(handle, 0, n, block.data(), &response_length, response.data()); });
    EXPECT_EQ(Bytes(response.begin(), response.begin() + 4), (Bytes{0x00, 0x81, 0x00, filler}));
    ASSERT_EQ(cpu.size(), 1u);
    ASSERT_EQ(slot0.size(), 1u);
    EXPECT_EQ(cpu[0], block_frame(0x20, block));
    EXPECT_EQ(slot0[0], block_frame(0x20, block, true));
    EXPECT_EQ(cpu[0].back() ^ slot0[0].back(), 0x01);  // the XOR of the block: its LRC error
    EXPECT_EQ(sent_by([&] { return sam_protocol(handle, n, block.data(), response.data()); }),
              std::vector<Bytes>{block_frame(0x21, block, true)});
    EXPECT_EQ(Bytes(response.begin(), response.begin() + 4), (Bytes{0x00, 0x81, 0x00, filler}));
    // The raw exchange keeps the header BCC.
    EXPECT_EQ(sent_by([&] { return sam_comres(handle, n, block.data(), response.data()); }),
              std::vector<Bytes>{block_frame(0x21, block)});
    EXPECT_EQ(Bytes(response.begin(), response.begin() + 4), t1_block(0x00, 0x81, {}));
}

TEST_F(Sam, WholeCardDialogueThroughTheSelectedSam) {
    ASSERT_EQ(sam_select(handle, 3), 0);
    std::vector<uint8_t> answer(QL_CPU_ANSWER_MAX);
    int16_t length = 0;
    ASSERT_EQ(sam_reset(handle, &length, answer.data()), 0);
    quillet::test::ApduSession session([&](const Bytes& block) {
        Bytes response(QL_CPU_RESPONSE_MAX, filler);
        const int16_t s = sam_protocol(handle, static_cast<int16_t>(block.size()), block.data(), response.data());
        if (s == 0) response.resize(3u + response[2]);
        return Exchanged{s, response};
    });
    vr.clear_log();
    quillet::test::run_card_dialogue(session);
    const auto sent = vr.host_frames();
    EXPECT_EQ(sent.size(), quillet::test::card_dialogue_frames);
    for (const Bytes& f : sent) EXPECT_EQ(f.at(4), 0x21);
    // Only SAM 3 changed: a file written after the PIN.
    EXPECT_EQ(session.apdu({0x00, 0xA4, 0x02, 0x0C, 0x02, 0x01, 0x01}), quillet::test::sw_ok);
    EXPECT_EQ(session.apdu({0x00, 0xD6, 0x00, 0x00, 0x04, 'S', 'A', 'M', '3'}), quillet::test::sw_ok);
    EXPECT_NE(contents(3).find("data=53414D334C4554"), std::string::npos) << contents(3);
    EXPECT_EQ(contents(0).find("data=53414D33"), std::string::npos);
    EXPECT_EQ(contents(1).find("data=53414D33"), std::string::npos);
}

TEST_F(Sam, WholeCardDialogueThroughASlotNumber) {
    std::vector<uint8_t> answer(QL_CPU_ANSWER_MAX);
    int16_t length = 0;
    ASSERT_EQ(sam_slt_reset(handle, 1, &length, answer.data()), 0);
    EXPECT_EQ(Bytes(answer.begin(), answer.begin() + length), quillet::test::factory_atr);
    quillet::test::ApduSession session([&](const Bytes& block) {
        Bytes response(QL_CPU_RESPONSE_MAX, filler);
        int16_t response_length = -1;
        const int16_t s = sam_slt_protocol(handle, 1, static_cast<int16_t>(block.size()), block.data(),
                                           &response_length, response.data());
        if (s == 0) {
            EXPECT_EQ(response_length, response[2]);
            response.resize(3u + response[2]);
        }
        return Exchanged{s, response};
    });
    vr.clear_log();
    quillet::test::run_card_dialogue(session);
    EXPECT_EQ(vr.host_frames().size(), quillet::test::card_dialogue_frames);
}

// A SAM's contents file is written back, like the main card's, when the card changes.
TEST(SamContentsFile, RetryCounterIsSavedToTheSamsFile) {
    char pattern[] = "/tmp/quillet-sam-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::string directory = pattern;
    const std::string file = directory + "/sam2.txt";
    write_file(file, sam2_description());
    {
        quillet::test::VirtualReaderProcess vr({"--rate", "115200", "--sam", "2:cpu:" + file, "--save"});
        ASSERT_TRUE(vr.running());
        vr.export_port(0);
        const int32_t handle = ic_init(0, 115200);
        ASSERT_GE(handle, 0);
        std::vector<uint8_t> answer(QL_CPU_ANSWER_MAX);
        int16_t length = 0;
        EXPECT_EQ(sam_slt_reset(handle, 2, &length, answer.data()), 0);
        EXPECT_EQ(Bytes(answer.begin(), answer.begin() + length), sam2_atr);
        const Bytes verify = t1_block(0x00, 0x00, {0x00, 0x20, 0x00, 0x01, 0x04, '0', '0', '0', '0'});
        std::vector<uint8_t> response(QL_CPU_RESPONSE_MAX);
        int16_t response_length = 0;
        EXPECT_EQ(sam_slt_protocol(handle, 2, static_cast<int16_t>(verify.size()), verify.data(), &response_length,
                                   response.data()),
                  0);
        EXPECT_EQ(Bytes(response.begin() + 3, response.begin() + 5), (Bytes{0x63, 0xC2}));
        ic_exit(handle);
        EXPECT_TRUE(vr.stop());
    }
    EXPECT_NE(read_file(file).find("pin 01 tries=3 left=2"), std::string::npos) << read_file(file);
    std::remove(file.c_str());
    ::rmdir(directory.c_str());
}

}  // namespace
