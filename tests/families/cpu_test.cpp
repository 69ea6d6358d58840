// The main processor-card slot through the real serial path, against the virtual processor card
// on a pseudo-terminal at 115200 baud: exact frames (the reset, the block frames with their header
// BCC, the 6Cxx resend and the GET RESPONSE block), the attempts shared by all frames of a call,
// every bound of what the library writes at its edge, and an application's whole dialogue.
// Answers a real card would not give come from the reader's fault plan ("answer").
#include <gtest/gtest.h>

#include <vector>

#include "quillet.h"
#include "tests/families/t1_blocks.h"
#include "tests/support/card_session.h"

namespace {

using namespace quillet::test;

constexpr int16_t mute = -0x93;  // the virtual reader's "card does not answer"
constexpr uint8_t main_slot = 0x20;
constexpr uint8_t filler = 0xEE;

const Bytes get_challenge{0x00, 0x84, 0x00, 0x00, 0x08};

class Cpu : public quillet::test::CardSession {
protected:
    Cpu() : CardSession("cpu") {}

    Exchanged protocol(const Bytes& block) {
        Bytes response(QL_CPU_RESPONSE_MAX, filler);
        const int16_t s = cpu_protocol(handle, static_cast<int16_t>(block.size()), block.data(), response.data());
        if (s == 0) response.resize(3u + response[2]);
        return {s, response};
    }
    void reset_card() {
        uint8_t answer[QL_CPU_ANSWER_MAX];
        ASSERT_EQ(cpu_reset(handle, answer), 0);
    }
    // The virtual reader answers the next frames with these card blocks.
    void script(const std::vector<Bytes>& card_blocks) {
        for (size_t i = 0; i < card_blocks.size(); ++i)
            vr.set_fault(Fault::answer(card_blocks[i]).at(static_cast<uint32_t>(i + 1)));
    }
};

TEST_F(Cpu, ResetSendsItsFrameAndCopiesTheAnswer) {
    std::vector<uint8_t> answer(QL_CPU_ANSWER_MAX + 1, filler);
    const auto sent = sent_by([&] { return cpu_reset(handle, answer.data()); });
    EXPECT_EQ(sent, (std::vector<Bytes>{{0xAA, 0x20, 0x80, 0x05, 0x20, 0x00, 0x00, 0x00, 0x00, 0x2F}}));
    EXPECT_EQ(Bytes(answer.begin(), answer.begin() + 13), quillet::test::factory_atr);
    EXPECT_EQ(answer[13], filler);

    vr.set_fault(Fault::status(0x93).next(3));
    EXPECT_EQ(sent_by([&] { return cpu_reset(handle, answer.data()); }).size(), 4u);
    vr.set_fault(Fault::status(0x93).next(4));
    EXPECT_EQ(sent_by([&] { return cpu_reset(handle, answer.data()); }, mute).size(), 4u);
}

TEST_F(Cpu, AnswerToResetIsBoundedAt33Bytes) {
    std::vector<uint8_t> answer(QL_CPU_ANSWER_MAX, filler);  // exactly the bound: ASan sees any byte more
    const Bytes longest(QL_CPU_ANSWER_MAX, 0x3B);
    vr.set_fault(Fault::answer(longest));
    EXPECT_EQ(cpu_reset(handle, answer.data()), 0);
    EXPECT_EQ(Bytes(answer.begin(), answer.end()), longest);

    std::fill(answer.begin(), answer.end(), filler);
    vr.set_fault(Fault::answer(longest + Bytes{0x00}));
    EXPECT_EQ(sent_by([&] { return cpu_reset(handle, answer.data()); }, QL_RESPONSE_TOO_LONG).size(), 1u);
    EXPECT_EQ(Bytes(answer.begin(), answer.end()), Bytes(QL_CPU_ANSWER_MAX, filler));
}

TEST_F(Cpu, WholeCardDialogueAsAnApplicationDoesIt) {
    reset_card();
    quillet::test::ApduSession session([&](const Bytes& block) { return protocol(block); });
    vr.clear_log();
    quillet::test::run_card_dialogue(session);
    EXPECT_EQ(vr.host_frames().size(), quillet::test::card_dialogue_frames);
    // The wrong PIN cost one try on the card, the right one gave it back.
    const auto image = vr.card_contents();
    EXPECT_NE(std::string(image.begin(), image.end()).find("pin 01 tries=3 left=3"), std::string::npos);
}

TEST_F(Cpu, MoreDataAnswerGetsTheNineteenByteGetResponseFrame) {
    reset_card();
    const Bytes select = t1_block(0x00, 0x00, {0x00, 0xA4, 0x04, 0x00, 0x04, 0xF0, 0x51, 0x56, 0x52, 0x00});
    Exchanged r{};
    const auto sent = sent_by([&] {
        r = protocol(select);
        return r.status;
    });
    const Bytes get_response = t1_block(0x00, 0x40, {0x00, 0xC0, 0x00, 0x00, 0x08});
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0], block_frame(main_slot, select));
    EXPECT_EQ(sent[1], (Bytes{0xAA, 0x21, 0x80, 0x0E, 0x20, 0x00, 0x00, 0x00, 0x00} + get_response + Bytes{0x25}));
    EXPECT_EQ(sent[1].size(), 19u);
    // LEN is the GET RESPONSE answer's own INF length; NAD and PCB are the card's last block's.
    EXPECT_EQ(r.response, (Bytes{0x00, 0x40, 0x0A} + quillet::test::app_fci + quillet::test::sw_ok));

    // A caller's PCB other than 0x00 gives follow-ups with PCB 0x00.
    script({t1_block(0x00, 0x40, {0x61, 0x08}), t1_block(0x00, 0x00, quillet::test::app_fci + quillet::test::sw_ok)});
    const auto again = sent_by([&] {
        return protocol(t1_block(0x00, 0x40, {0x00, 0xA4, 0x04, 0x00, 0x01, 0xF0, 0x00})).status;
    });
    ASSERT_EQ(again.size(), 2u);
    EXPECT_EQ(again[1], block_frame(main_slot, t1_block(0x00, 0x00, {0x00, 0xC0, 0x00, 0x00, 0x08})));
}

TEST_F(Cpu, WrongLengthAnswerResendsWithTheRightLe) {
    reset_card();
    ASSERT_EQ(protocol(t1_block(0x00, 0x00, {0x00, 0xA4, 0x04, 0x0C, 0x04, 0xF0, 0x51, 0x56, 0x52})).response,
              (Bytes{0x00, 0x00, 0x02, 0x90, 0x00}));
    const Bytes read_record = t1_block(0x00, 0x40, {0x00, 0xB2, 0x01, 0x1C, 0x00});
    Exchanged r{};
    const auto sent = sent_by([&] {
        r = protocol(read_record);
        return r.status;
    });
    ASSERT_EQ(sent.size(), 2u);
    // Same block, PCB toggled, Le = 0x10, a fresh LRC; BCC over the header.
    EXPECT_EQ(sent[1], block_frame(main_slot, t1_block(0x00, 0x00, {0x00, 0xB2, 0x01, 0x1C, 0x10})));
    EXPECT_EQ(r.response, (Bytes{0x00, 0x00, 0x12, 0x01} + Bytes(15, 0x00) + quillet::test::sw_ok));
}

TEST_F(Cpu, TwoMoreDataAnswersWithDataGatherSixteenBytes) {
    script({t1_block(0x00, 0x00, {0xD1, 0xD2, 0xD3, 0xD4, 0x61, 0x04}),
            t1_block(0x00, 0x40, {0xD5, 0xD6, 0xD7, 0xD8, 0x61, 0x06}),
            t1_block(0x00, 0x00, {0xD9, 0xDA, 0xDB, 0xDC, 0xDD, 0xDE, 0x90, 0x00})});
    Exchanged r{};
    const auto sent = sent_by([&] {
        r = protocol(t1_block(0x00, 0x00, {0x80, 0xCA, 0x00, 0x00, 0x00}));
        return r.status;
    });
    ASSERT_EQ(sent.size(), 3u);
    // Both GET RESPONSE blocks carry the PCB derived from the caller's; it is not alternated.
    EXPECT_EQ(sent[1], block_frame(main_slot, t1_block(0x00, 0x40, {0x00, 0xC0, 0x00, 0x00, 0x04})));
    EXPECT_EQ(sent[2], block_frame(main_slot, t1_block(0x00, 0x40, {0x00, 0xC0, 0x00, 0x00, 0x06})));
    EXPECT_EQ(r.response, (Bytes{0x00, 0x00, 16, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA, 0xDB, 0xDC,
                                 0xDD, 0xDE, 0x90, 0x00}));
}

TEST_F(Cpu, AttemptsAreSharedByAllFramesOfOneCall) {
    reset_card();
    const Bytes select = t1_block(0x00, 0x00, {0x00, 0xA4, 0x04, 0x00, 0x04, 0xF0, 0x51, 0x56, 0x52, 0x00});
    // Three refusals in a row: three frames.
    vr.set_fault(Fault::status(0x93).next(3));
    EXPECT_EQ(sent_by([&] { return protocol(select).status; }, mute).size(), 3u);
    // Refused once, answered 61 08, then its GET RESPONSE refused twice: the third failure of the
    // call ends it although the first frame succeeded later.
    vr.set_fault(Fault::status(0x93).at(1));
    vr.set_fault(Fault::status(0x93).at(3).next(2));
    EXPECT_EQ(sent_by([&] { return protocol(select).status; }, mute).size(), 4u);
    reset_card();
    vr.set_fault(Fault::status(0x93).at(1));
    vr.set_fault(Fault::status(0x93).at(3));
    EXPECT_EQ(sent_by([&] { return protocol(select).status; }).size(), 4u);
    // A reply lost on the line: the same frame again, and the card answers it again.
    const Bytes challenge = t1_block(0x00, 0x00, get_challenge);
    vr.set_fault(Fault::bad_bcc());
    const auto sent = sent_by([&] { return protocol(challenge).status; });
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0], sent[1]);
}

TEST_F(Cpu, RawExchangeCopiesTheCardBlock) {
    reset_card();
    std::vector<uint8_t> response(QL_CPU_RAW_RESPONSE_MAX, filler);
    const Bytes challenge = t1_block(0x00, 0x00, get_challenge);
    const auto sent = sent_by(
        [&] { return cpu_comres(handle, static_cast<int16_t>(challenge.size()), challenge.data(), response.data()); });
    EXPECT_EQ(sent, std::vector<Bytes>{block_frame(main_slot, challenge)});
    EXPECT_EQ(Bytes(response.begin(), response.begin() + 3), (Bytes{0x00, 0x00, 0x0A}));
    EXPECT_EQ(quillet::test::xor_of(Bytes(response.begin(), response.begin() + 14), 14), 0);  // with its LRC
    EXPECT_EQ(response[14], filler);
    // A block with a wrong LRC: the card's R-block comes back as it is.
    Bytes bad = t1_block(0x00, 0x40, get_challenge);
    bad.back() ^= 0x01;
    EXPECT_EQ(cpu_comres(handle, static_cast<int16_t>(bad.size()), bad.data(), response.data()), 0);
    EXPECT_EQ(Bytes(response.begin(), response.begin() + 4), t1_block(0x00, 0x91, {}));
    vr.set_fault(Fault::status(0x93).next(3));
    EXPECT_EQ(
        sent_by([&] { return cpu_comres(handle, static_cast<int16_t>(bad.size()), bad.data(), response.data()); }, mute)
            .size(),
        3u);
}

TEST_F(Cpu, BlockLengthsOutsideFourTo250SendNothing) {
    std::vector<uint8_t> response(QL_CPU_RAW_RESPONSE_MAX, filler);
    for (int16_t n : {int16_t{-1}, int16_t{0}, int16_t{3}, int16_t{251}, int16_t{0x7FFF}}) {
        const Bytes block(static_cast<size_t>(n > 0 ? n : 1), 0x00);
        EXPECT_TRUE(
            sent_by([&] { return cpu_protocol(handle, n, block.data(), response.data()); }, QL_BAD_LENGTH).empty())
            << n;
        EXPECT_TRUE(
            sent_by([&] { return cpu_comres(handle, n, block.data(), response.data()); }, QL_BAD_LENGTH).empty())
            << n;
    }
    // 250 bytes: frame byte 3 = 0xFF, 260 bytes on the wire. 4 bytes: the shortest block.
    for (size_t n : {size_t{250}, size_t{4}}) {
        Bytes block = t1_block(0x00, 0x00, Bytes(n - 4, 0x5A));
        const std::vector<uint8_t> exact(block.begin(), block.end());
        vr.set_fault(Fault::answer(t1_block(0x00, 0x00, quillet::test::sw_ok)));
        const auto sent =
            sent_by([&] { return cpu_protocol(handle, static_cast<int16_t>(n), exact.data(), response.data()); });
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0], block_frame(main_slot, block));
        EXPECT_EQ(sent[0].size(), n + 10);
    }
}

TEST_F(Cpu, ResponseIsBoundedAt255InfBytes) {
    std::vector<uint8_t> response(QL_CPU_RESPONSE_MAX, filler);  // exactly the bound
    const Bytes block = t1_block(0x00, 0x00, get_challenge);
    const auto call = [&] {
        return cpu_protocol(handle, static_cast<int16_t>(block.size()), block.data(), response.data());
    };
    // 253 bytes with 61 01, then one more byte and 90 00: 256 INF bytes, one too many.
    const Bytes first = t1_block(0x00, 0x00, Bytes(253, 0xA1) + Bytes{0x61, 0x01});
    script({first, t1_block(0x00, 0x40, {0xA2, 0x90, 0x00})});
    EXPECT_EQ(call(), QL_RESPONSE_TOO_LONG);
    EXPECT_EQ(Bytes(response.begin() + 3, response.end()), (Bytes(253, 0xA1) + Bytes{filler, filler}));
    // At the edge: 253 + 2 = 255 INF bytes fill the response exactly.
    script({first, t1_block(0x00, 0x40, {0x90, 0x00})});
    EXPECT_EQ(call(), 0);
    EXPECT_EQ(Bytes(response.begin(), response.begin() + 3), (Bytes{0x00, 0x40, 0xFF}));
    EXPECT_EQ(Bytes(response.end() - 3, response.end()), (Bytes{0xA1, 0x90, 0x00}));
}

TEST_F(Cpu, FollowUpsEndAfterThirtyTwo) {
    std::vector<uint8_t> response(QL_CPU_RESPONSE_MAX, filler);
    const Bytes block = t1_block(0x00, 0x00, get_challenge);
    const auto call = [&] {
        return cpu_protocol(handle, static_cast<int16_t>(block.size()), block.data(), response.data());
    };
    const Bytes endless = t1_block(0x00, 0x00, {0x61, 0x00});
    vr.set_fault(Fault::answer(endless).next(QL_CPU_FOLLOW_UPS_MAX + 1));
    EXPECT_EQ(sent_by(call, QL_RESPONSE_TOO_LONG).size(), QL_CPU_FOLLOW_UPS_MAX + 1u);
    vr.set_fault(Fault::answer(endless).next(QL_CPU_FOLLOW_UPS_MAX));
    vr.set_fault(Fault::answer(t1_block(0x00, 0x40, quillet::test::sw_ok)).at(QL_CPU_FOLLOW_UPS_MAX + 1));
    EXPECT_EQ(sent_by(call).size(), QL_CPU_FOLLOW_UPS_MAX + 1u);
    EXPECT_EQ(Bytes(response.begin(), response.begin() + 5), (Bytes{0x00, 0x40, 0x02, 0x90, 0x00}));
}

TEST_F(Cpu, CardBlockTooShortForItsStatusWordsIsAFailedRead) {
    std::vector<uint8_t> response(QL_CPU_RESPONSE_MAX, filler);
    const Bytes block = t1_block(0x00, 0x00, get_challenge);
    const auto call = [&] {
        return cpu_protocol(handle, static_cast<int16_t>(block.size()), block.data(), response.data());
    };
    vr.set_fault(Fault::answer({0x00, 0x00, 0x05, 0x90, 0x00}));  // LEN 5, two INF bytes
    EXPECT_EQ(sent_by(call, QL_READ_FAILED).size(), 1u);
    EXPECT_EQ(Bytes(response.begin(), response.end()), Bytes(QL_CPU_RESPONSE_MAX, filler));
    vr.set_fault(Fault::answer({0x00, 0x00}));
    EXPECT_EQ(call(), QL_READ_FAILED);
    // Exactly long enough (no LRC): accepted.
    vr.set_fault(Fault::answer({0x00, 0x00, 0x02, 0x90, 0x00}));
    EXPECT_EQ(call(), 0);
    EXPECT_EQ(Bytes(response.begin(), response.begin() + 5), (Bytes{0x00, 0x00, 0x02, 0x90, 0x00}));
}

TEST_F(Cpu, RawResponseHoldsTheWholeLongestBlock) {
    std::vector<uint8_t> response(QL_CPU_RAW_RESPONSE_MAX, filler);  // exactly the bound
    const Bytes block = t1_block(0x00, 0x00, get_challenge);
    const auto call = [&] {
        return cpu_comres(handle, static_cast<int16_t>(block.size()), block.data(), response.data());
    };
    const Bytes longest = t1_block(0x00, 0x00, Bytes(253, 0xB7) + quillet::test::sw_ok);  // 259 bytes
    vr.set_fault(Fault::answer(longest));
    EXPECT_EQ(call(), 0);
    EXPECT_EQ(Bytes(response.begin(), response.end()), longest);
    // One byte more than any card block: refused by the reception, on every attempt.
    vr.set_fault(Fault::answer(longest + Bytes{0x00}).next(3));
    EXPECT_EQ(sent_by(call, QL_REPLY_TOO_LONG).size(), 3u);
}

TEST_F(Cpu, WrongLengthAfterGetResponseResendsTheGetResponse) {
    // A caller's block of 8 bytes (a case-1 APDU) is shorter than the GET RESPONSE block: the
    // resend is built from the block sent last.
    const Bytes block = t1_block(0x00, 0x00, {0x80, 0x10, 0x00, 0x00});
    const std::vector<uint8_t> exact(block.begin(), block.end());
    std::vector<uint8_t> response(QL_CPU_RESPONSE_MAX, filler);
    script({t1_block(0x00, 0x00, {0x61, 0x05}), t1_block(0x00, 0x40, {0x6C, 0x03}),
            t1_block(0x00, 0x40, {0x01, 0x02, 0x03, 0x90, 0x00})});
    const auto sent = sent_by([&] { return cpu_protocol(handle, 8, exact.data(), response.data()); });
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[2], block_frame(main_slot, t1_block(0x00, 0x40, {0x00, 0xC0, 0x00, 0x00, 0x03})));
    EXPECT_EQ(Bytes(response.begin(), response.begin() + 8), (Bytes{0x00, 0x40, 0x05, 0x01, 0x02, 0x03, 0x90, 0x00}));
}

TEST_F(Cpu, CardSpeedOfAnySlot) {
    EXPECT_TRUE(sent_by([&] { return set_card_baud(handle, 6, 0x11); }, QL_BAD_SLOT).empty());
    EXPECT_TRUE(sent_by([&] { return set_card_baud(handle, -1, 0x11); }, QL_BAD_SLOT).empty());
    EXPECT_EQ(sent_by([&] { return set_card_baud(handle, 0x105, 0x13); }),
              std::vector<Bytes>{quillet::test::command_frame(0x22, {0x25, 0, 0, 0, 0, 0x13})});
    EXPECT_EQ(sent_by([&] { return set_card_baud(handle, 0, 0x96); }),
              std::vector<Bytes>{quillet::test::command_frame(0x22, {0x20, 0, 0, 0, 0, 0x96})});
    EXPECT_EQ(vr.expect_ok("speed 5"), "0x13");
    EXPECT_EQ(vr.expect_ok("speed 0"), "0x96");
    vr.set_fault(Fault::status(0x8C));
    EXPECT_EQ(set_card_baud(handle, 1, 0x11), -0x8C);
}

}  // namespace
