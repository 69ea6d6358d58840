// The virtual processor card in-process: the T=1 block rules of its card side, the ISO/IEC 7816-4
// application's answers, and the text description of its file system.
#include "emulator/cards/processor_card.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace vreader {
namespace {

Bytes t1(uint8_t nad, uint8_t pcb, const Bytes& inf) {
    Bytes b{nad, pcb, static_cast<uint8_t>(inf.size())};
    b.insert(b.end(), inf.begin(), inf.end());
    b.push_back(xor_of(b));
    return b;
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const Bytes factory_atr{0x3B, 0x95, 0x11, 0x81, 0x31, 0xFE, 0x45, 0x80, 0x43, 0x51, 0x56, 0x52, 0x19};
const Bytes ok{0x90, 0x00};
const Bytes app_name{0xF0, 0x51, 0x56, 0x52};

class ProcessorCardTest : public ::testing::Test {
protected:
    void SetUp() override {
        card.power_on();
        ASSERT_EQ(card.answer_to_reset(), factory_atr);
    }

    CardReply frame(const Bytes& block) {
        const Bytes body = Bytes{0x20, 0, 0, 0, 0} + block;
        return card.handle(CardCommand(0x21, body));
    }
    Bytes block(const Bytes& b) {
        const CardReply r = frame(b);
        EXPECT_EQ(r.status, status::ok);
        return r.data;
    }
    // One APDU in one I-block with the host's next N(S); the response APDU of the card's I-block.
    Bytes apdu(const Bytes& command) {
        const Bytes reply = block(t1(0, static_cast<uint8_t>(ns << 6), command));
        ns ^= 1;
        EXPECT_GE(reply.size(), 4u);
        EXPECT_EQ(reply[1] & 0xBF, 0x00) << "not a single I-block";
        EXPECT_EQ(reply[1] & 0x40, card_ns << 6);
        card_ns ^= 1;
        return Bytes(reply.begin() + 3, reply.end() - 1);
    }
    Bytes select_app() { return apdu({0x00, 0xA4, 0x04, 0x0C, 0x04, 0xF0, 0x51, 0x56, 0x52}); }
    Bytes select(uint16_t id) {
        return apdu({0x00, 0xA4, 0x00, 0x0C, 0x02, static_cast<uint8_t>(id >> 8), static_cast<uint8_t>(id)});
    }
    Bytes verify(const Bytes& pin) {
        return apdu(Bytes{0x00, 0x20, 0x00, 0x01, static_cast<uint8_t>(pin.size())} + pin);
    }

    ProcessorCard card;
    uint8_t ns = 0;
    uint8_t card_ns = 0;
};

TEST_F(ProcessorCardTest, MuteFromPowerOnUntilTheReset) {
    card.power_off();
    card.power_on();
    EXPECT_EQ(frame(t1(0, 0x00, {0x00, 0x84, 0x00, 0x00, 0x08})).status, status::card_mute);
    EXPECT_EQ(card.answer_to_reset(), factory_atr);
    EXPECT_EQ(apdu({0x00, 0x84, 0x00, 0x00, 0x08}).size(), 10u);
}

TEST_F(ProcessorCardTest, BadBlocksGetTheRBlockOfACard) {
    Bytes bad_lrc = t1(0, 0x00, {0x00, 0x84, 0x00, 0x00, 0x08});
    bad_lrc.back() ^= 0x01;
    EXPECT_EQ(block(bad_lrc), t1(0, 0x81, {}));                                         // EDC error, N(R) 0
    EXPECT_EQ(block({0x00, 0x00, 0x05, 0x00, 0x84, 0x05}), t1(0, 0x82, {}));            // LEN does not match
    EXPECT_EQ(block(t1(0, 0x40, {0x00, 0x84, 0x00, 0x00, 0x08})), t1(0, 0x82, {}));     // N(S) 1 expected 0
    EXPECT_EQ(block(t1(0, 0x01, {0x00, 0x84, 0x00, 0x00, 0x08})), t1(0, 0x82, {}));     // undefined PCB
    EXPECT_EQ(block(t1(0x80, 0x00, {0x00, 0x84, 0x00, 0x00, 0x08})), t1(0, 0x82, {}));  // VPP bit in the NAD
    EXPECT_EQ(block(t1(0, 0xC3, {0x01})), t1(0, 0x82, {}));                             // WTX request from the host
    EXPECT_EQ(block(t1(0, 0x90, {})), t1(0, 0x82, {}));                                 // R-block with nothing sent yet
    // None of them moved the sequence numbers.
    EXPECT_EQ(apdu({0x00, 0x84, 0x00, 0x00, 0x08}).size(), 10u);
    EXPECT_EQ(block(bad_lrc), t1(0, 0x91, {}));  // N(R) now 1
}

TEST_F(ProcessorCardTest, LostAnswersComeAgain) {
    const Bytes command = t1(0, 0x00, {0x00, 0x84, 0x00, 0x00, 0x08});
    const Bytes first = block(command);
    EXPECT_EQ(block(command), first);          // the same frame again: the same answer
    EXPECT_EQ(block(t1(0, 0x80, {})), first);  // R(0): the card's I-block 0 again
    EXPECT_EQ(block(t1(0, 0x81, {})), first);
    const Bytes second = block(t1(0, 0x40, {0x00, 0x84, 0x00, 0x00, 0x08}));
    EXPECT_EQ(second[1], 0x40);
    EXPECT_NE(Bytes(second.begin() + 3, second.begin() + 11), Bytes(first.begin() + 3, first.begin() + 11));
    EXPECT_EQ(block(t1(0, 0x40, {0x00, 0x84, 0x00, 0x00, 0x04})), t1(0, 0x82, {}));  // N(S) 1 again, another command
    EXPECT_NE(block(command), first);  // N(S) 0 is due: a new command, a new challenge
}

TEST_F(ProcessorCardTest, ChainsBothWaysAndSupervisoryRequests) {
    EXPECT_EQ(block(t1(0x12, 0xC1, {0x10})), t1(0x21, 0xE1, {0x10}));  // IFSD 16; addresses swapped
    select_app();
    select(0x0101);
    // A command in two I-blocks: the first acknowledged with R(1).
    EXPECT_EQ(block(t1(0, 0x20, {0x00, 0xB0, 0x00})), t1(0, 0x90, {}));
    ns ^= 1;
    // The response (16 data bytes + SW) is longer than IFSD 16: two I-blocks, the first chained.
    const Bytes part1 = block(t1(0, 0x40, {0x00, 0x10}));
    const std::string holder = "QUILLET HOLDER 1";
    EXPECT_EQ(part1, t1(0, 0x20, Bytes(holder.begin(), holder.end())));  // N(S) 0 (the card's third I-block), M
    EXPECT_EQ(block(t1(0, 0x91, {0x00})), t1(0, 0x82, {}));              // an R-block carries no INF
    EXPECT_EQ(block(t1(0, 0x00, {0x00, 0xB0, 0x00, 0x00, 0x10})), t1(0, 0x82, {}));  // no command while it chains
    const Bytes part2 = block(t1(0, 0x90, {}));                                      // R(1): next part
    EXPECT_EQ(part2, t1(0, 0x40, ok));
    EXPECT_EQ(block(t1(0, 0xC0, {})), t1(0, 0xE0, {}));  // RESYNCH: sequence numbers 0 again
    ns = 0;
    card_ns = 0;
    EXPECT_EQ(apdu({0x00, 0x84, 0x00, 0x00, 0x08}).size(), 10u);
    EXPECT_EQ(block(t1(0, 0xC2, {})), t1(0, 0xE2, {}));
}

TEST_F(ProcessorCardTest, SelectAnswersWithControlParameters) {
    // By name, case 4: 61 08, then the FCI with GET RESPONSE.
    EXPECT_EQ(apdu({0x00, 0xA4, 0x04, 0x00, 0x04, 0xF0, 0x51, 0x56, 0x52, 0x00}), (Bytes{0x61, 0x08}));
    EXPECT_EQ(apdu({0x00, 0xC0, 0x00, 0x00, 0x10}), (Bytes{0x6C, 0x08}));
    EXPECT_EQ(apdu({0x00, 0xC0, 0x00, 0x00, 0x05}), (Bytes{0x6F, 0x06, 0x84, 0x04, 0xF0, 0x61, 0x03}));
    EXPECT_EQ(apdu({0x00, 0xC0, 0x00, 0x00, 0x03}), (Bytes{0x51, 0x56, 0x52} + ok));
    EXPECT_EQ(apdu({0x00, 0xC0, 0x00, 0x00, 0x03}), (Bytes{0x69, 0x85}));  // nothing left
    // FCP of an EF by identifier under the current DF; a part of the name selects too.
    EXPECT_EQ(apdu({0x00, 0xA4, 0x02, 0x04, 0x02, 0x01, 0x02, 0x00}), (Bytes{0x61, 0x0D}));
    EXPECT_EQ(apdu({0x00, 0xC0, 0x00, 0x00, 0x0D}),
              (Bytes{0x62, 0x0B, 0x82, 0x01, 0x01, 0x83, 0x02, 0x01, 0x02, 0x80, 0x02, 0x00, 0x20} + ok));
    EXPECT_EQ(apdu({0x00, 0xA4, 0x04, 0x0C, 0x02, 0xF0, 0x51}), ok);
    EXPECT_EQ(apdu({0x00, 0xA4, 0x03, 0x0C}), ok);                                     // parent: the MF
    EXPECT_EQ(apdu({0x00, 0xA4, 0x03, 0x0C}), (Bytes{0x6A, 0x82}));                    // the MF has none
    EXPECT_EQ(apdu({0x00, 0xA4, 0x01, 0x0C, 0x02, 0x2F, 0x02}), (Bytes{0x6A, 0x82}));  // an EF, not a DF
    EXPECT_EQ(apdu({0x00, 0xA4, 0x01, 0x0C, 0x02, 0x5F, 0x10}), ok);
    EXPECT_EQ(apdu({0x00, 0xA4, 0x00, 0x0C, 0x02, 0x2F, 0x02}), ok);  // a sibling of the DF
    EXPECT_EQ(apdu({0x00, 0xA4, 0x00, 0x0C, 0x01, 0x2F}), (Bytes{0x67, 0x00}));
    EXPECT_EQ(apdu({0x00, 0xA4, 0x00, 0x01, 0x02, 0x2F, 0x02}), (Bytes{0x6A, 0x86}));
    EXPECT_EQ(apdu({0x00, 0xA4, 0x04, 0x0C, 0x02, 0xF0, 0x52}), (Bytes{0x6A, 0x82}));
    EXPECT_EQ(apdu({0x80, 0xA4, 0x00, 0x0C}), (Bytes{0x6E, 0x00}));
    EXPECT_EQ(apdu({0x00, 0xEE, 0x00, 0x00}), (Bytes{0x6D, 0x00}));
    EXPECT_EQ(apdu({0x00, 0xA4, 0x00, 0x0C, 0x05, 0x2F}), (Bytes{0x67, 0x00}));  // Lc longer than the data
}

TEST_F(ProcessorCardTest, TransparentFilesAndTheirAccess) {
    EXPECT_EQ(apdu({0x00, 0xB0, 0x00, 0x00, 0x04}), (Bytes{0x69, 0x86}));  // no current EF
    select_app();
    EXPECT_EQ(select(0x0101), ok);
    EXPECT_EQ(apdu({0x00, 0xB0, 0x00, 0x0C, 0x00}), (Bytes{0x6C, 0x04}));  // Le 256 past the end
    EXPECT_EQ(apdu({0x00, 0xB0, 0x00, 0x0C, 0x04}), (Bytes{'E', 'R', ' ', '1'} + ok));
    EXPECT_EQ(apdu({0x00, 0xB0, 0x00, 0x10, 0x01}), (Bytes{0x6B, 0x00}));
    EXPECT_EQ(apdu({0x00, 0xD6, 0x00, 0x00, 0x02, 0x41, 0x42}), (Bytes{0x69, 0x82}));
    EXPECT_EQ(select(0x0102), ok);
    EXPECT_EQ(apdu({0x00, 0xB0, 0x00, 0x00, 0x06}), (Bytes{0x69, 0x82}));
    EXPECT_EQ(verify({0x31, 0x32, 0x33, 0x34}), ok);
    EXPECT_EQ(apdu({0x00, 0xB0, 0x00, 0x00, 0x06}), (Bytes{'S', 'E', 'C', 'R', 'E', 'T'} + ok));
    EXPECT_EQ(apdu({0x00, 0xD6, 0x00, 0x1F, 0x02, 0x41, 0x42}), (Bytes{0x6A, 0x84}));  // past the end
    EXPECT_EQ(apdu({0x00, 0xD6, 0x00, 0x1E, 0x02, 0x41, 0x42}), ok);
    EXPECT_TRUE(card.revision() > 0);
    // By short identifier 1 (file 0101): it becomes the current EF.
    EXPECT_EQ(apdu({0x00, 0xB0, 0x81, 0x00, 0x07}), (Bytes{'Q', 'U', 'I', 'L', 'L', 'E', 'T'} + ok));
    EXPECT_EQ(apdu({0x00, 0xB2, 0x01, 0x04, 0x10}), (Bytes{0x69, 0x81}));  // not a record file
}

TEST_F(ProcessorCardTest, RecordsChallengeAndPin) {
    select_app();
    EXPECT_EQ(apdu({0x00, 0xB2, 0x02, 0x1C, 0x00}), (Bytes{0x6C, 0x10}));  // SFI 3, Le 256
    EXPECT_EQ(apdu({0x00, 0xB2, 0x02, 0x04, 0x10}), (Bytes{0x02} + Bytes(15, 0x00) + ok));
    EXPECT_EQ(apdu({0x00, 0xB2, 0x04, 0x04, 0x10}), (Bytes{0x6A, 0x83}));
    EXPECT_EQ(apdu({0x00, 0xB2, 0x01, 0x05, 0x10}), (Bytes{0x6A, 0x86}));
    EXPECT_EQ(apdu(Bytes{0x00, 0xDC, 0x01, 0x04, 0x10} + Bytes(16, 0xAB)), (Bytes{0x69, 0x82}));

    EXPECT_EQ(apdu({0x00, 0x84, 0x00, 0x00, 0x00}), (Bytes{0x6C, 0x08}));
    const Bytes c1 = apdu({0x00, 0x84, 0x00, 0x00, 0x08});
    const Bytes c2 = apdu({0x00, 0x84, 0x00, 0x00, 0x08});
    EXPECT_EQ(c1.size(), 10u);
    EXPECT_NE(c1, c2);

    EXPECT_EQ(apdu({0x00, 0x20, 0x00, 0x01}), (Bytes{0x63, 0xC3}));  // state: three tries left
    EXPECT_EQ(apdu({0x00, 0x20, 0x00, 0x02}), (Bytes{0x6A, 0x88}));
    EXPECT_EQ(verify({0x31, 0x32}), (Bytes{0x67, 0x00}));  // not counted
    EXPECT_EQ(verify({0x39, 0x39, 0x39, 0x39}), (Bytes{0x63, 0xC2}));
    EXPECT_EQ(verify({0x31, 0x32, 0x33, 0x34}), ok);
    EXPECT_EQ(apdu({0x00, 0x20, 0x00, 0x01}), ok);
    EXPECT_EQ(apdu(Bytes{0x00, 0xDC, 0x01, 0x04, 0x10} + Bytes(16, 0xAB)), ok);
    EXPECT_EQ(apdu(Bytes{0x00, 0xDC, 0x01, 0x04, 0x0F} + Bytes(15, 0xAB)), (Bytes{0x67, 0x00}));
    EXPECT_EQ(apdu({0x00, 0xB2, 0x01, 0x04, 0x10}), (Bytes(16, 0xAB) + ok));
    for (uint8_t left : Bytes{0xC2, 0xC1, 0xC0}) EXPECT_EQ(verify({0x30, 0x30, 0x30, 0x30}), (Bytes{0x63, left}));
    EXPECT_EQ(verify({0x31, 0x32, 0x33, 0x34}), (Bytes{0x69, 0x83}));  // blocked, even with the right PIN
    EXPECT_EQ(apdu({0x00, 0x20, 0x00, 0x01}), (Bytes{0x69, 0x83}));
}

TEST_F(ProcessorCardTest, ContentsKeepFilesAndCountersAcrossASave) {
    select_app();
    verify({0x30, 0x30, 0x30, 0x30});
    verify({0x31, 0x32, 0x33, 0x34});
    select(0x0101);
    apdu({0x00, 0xD6, 0x00, 0x00, 0x03, 0x41, 0x42, 0x43});
    verify({0x30, 0x30, 0x30, 0x30});
    const Bytes saved = card.contents();
    const std::string text(saved.begin(), saved.end());
    EXPECT_NE(text.find("pin 01 tries=3 left=2 value=31323334"), std::string::npos) << text;
    EXPECT_NE(text.find("binary 3F00/5F10/0101 read=always update=pin01 data=414243"), std::string::npos) << text;

    ProcessorCard other;
    ASSERT_TRUE(other.load_contents(saved));
    EXPECT_EQ(other.contents(), saved);
    other.power_on();
    EXPECT_EQ(other.answer_to_reset(), factory_atr);
}

TEST_F(ProcessorCardTest, DescriptionsAreCheckedLineByLine) {
    const auto refused = [](const std::string& text) {
        std::string error;
        return !iso7816::parse_description(text, error) && !error.empty();
    };
    const std::string atr = "atr 3B 02 14 50\n";
    EXPECT_FALSE(refused(atr));
    EXPECT_TRUE(refused(""));          // no ATR
    EXPECT_TRUE(refused("atr 3B\n"));  // too short
    std::string long_atr = "atr";
    for (int i = 0; i < 34; ++i) long_atr += " 3B";
    EXPECT_TRUE(refused(long_atr + "\n"));
    EXPECT_TRUE(refused("atr 3B 0\n"));                             // odd digits
    EXPECT_TRUE(refused(atr + "binary 3F00/5000/0001 data=00\n"));  // DF 5000 not declared
    EXPECT_TRUE(refused(atr + "record 3F00/0001 data=0000\nrecord 3F00/0001 data=00\n"));
    EXPECT_TRUE(refused(atr + "binary 3F00/0001 read=sometimes data=00\n"));
    EXPECT_TRUE(refused(atr + "binary 3F00/0001 colour=red data=00\n"));
    EXPECT_TRUE(refused(atr + "pin 01 tries=3 left=4 value=00\n"));
    EXPECT_TRUE(refused(atr + "wand 3F00\n"));
    EXPECT_FALSE(refused(atr + "df 3F00/5000 name=A000\nbinary 3F00/5000/0001 size=3\n"));

    // The example shipped with the sources is the factory card.
    std::ifstream in(QUILLET_SOURCE_DIR "/examples/cpu_card.txt", std::ios::binary);
    const Bytes example{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ProcessorCard from_example;
    ASSERT_TRUE(from_example.load_contents(example));
    EXPECT_EQ(from_example.contents(), card.contents());
}

}  // namespace
}  // namespace vreader
