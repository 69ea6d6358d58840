// chk_card against the virtual reader: each card of a family it tries is reported with its
// number after the contacts were switched off before every try, an empty reader gives 0 after
// 23 switch-offs, and a registered card code counts as the family's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "quillet.h"
#include "tests/support/card_session.h"

namespace {

using namespace quillet::test;

const Bytes contacts_off = command_frame(0xB3, {0x80, 0, 0, 0, 0});

class CardDetection : public quillet::test::CardSession {
protected:
    CardDetection() : CardSession("sle4442") {}

    // chk_card's result and the number of switch-offs it sent.
    std::pair<int16_t, long> detect() {
        vr.clear_log();
        const int16_t type = chk_card(handle);
        const auto sent = vr.host_frames();
        return {type, std::count(sent.begin(), sent.end(), contacts_off)};
    }
};

TEST_F(CardDetection, EachFamilyWithItsNumberAfterOneSwitchOffPerTry) {
    struct Expected {
        const char* card;
        int16_t type;
        long tries;  // the accepting check's place in the order
    };
    const Expected cards[] = {
        {"sle4404", 40, 1},     {"sle4406", 41, 2},    {"at88sc102", 51, 3}, {"at88sc1604", 52, 4},
        {"at88sc1604b", 53, 5}, {"at88sc1608", 54, 6}, {"at88sc153", 55, 7}, {"sle4428", 31, 8},
        {"sle4442", 21, 9},     {"2042", 22, 10},      {"at45d041", 10, 11}, {"93c46a", 60, 12},
        {"93c46", 61, 13},      {"93c57", 62, 14},     {"24c16", 5, 15},     {"24c08", 4, 16},
        {"24c04", 3, 17},       {"24c02", 2, 18},      {"24c01a", 1, 19},    {"24c64", 7, 20},
        {"24c32", 6, 21},       {"ssf1101", 12, 22},
    };
    for (const Expected& e : cards) {
        vr.insert_card(e.card);
        // The flash cards' half-megabyte images are not fetched: those checks only read.
        const bool flash = std::string(e.card) == "at45d041" || std::string(e.card) == "ssf1101";
        const Bytes image = flash ? Bytes{} : vr.card_contents();
        EXPECT_EQ(detect(), std::make_pair(e.type, e.tries)) << e.card;
        if (!flash) {
            EXPECT_EQ(vr.card_contents(), image) << e.card << ": the checks leave the card as it was";
        }
    }
}

TEST_F(CardDetection, EmptyReaderGivesZeroAfter23SwitchOffs) {
    vr.remove_card();
    EXPECT_EQ(detect(), std::make_pair(int16_t{0}, 23L));
    vr.insert_card("blank");
    EXPECT_EQ(detect().first, 0);
}

TEST_F(CardDetection, RegisteredCodeMakesTheSle4442CheckAcceptTheCard) {
    Bytes image = vr.card_contents();
    image[6] = 0x12;
    image[7] = 0x34;
    vr.load_card_contents(image);
    EXPECT_NE(detect().first, 21);

    const uint8_t code[2] = {0x12, 0x34};
    ASSERT_EQ(set_code(8, 1, 2, code), 0);
    EXPECT_EQ(detect(), std::make_pair(int16_t{21}, 9L));
    set_code(8, 0, 0, code);  // the codes are process-wide
}

TEST_F(CardDetection, FailuresOfEveryExchangeAreNotANegativeStatus) {
    // Every reply refuses (a reader that does not answer at all gives the same 0 after about 80 s
    // of reply waits).
    vr.set_fault(quillet::test::Fault::status(0x96).next(1000));
    EXPECT_EQ(detect(), std::make_pair(int16_t{0}, 23L));
    vr.clear_faults();
}

}  // namespace
