// The reader core in-process: reader commands against the memory map, the link byte, the slots
// and the card model plumbing.
#include <gtest/gtest.h>

#include "emulator/core/reader.h"
#include "tests/emulator/frames.h"
#include "tests/emulator/test_card.h"

namespace vreader::testing {
namespace {

Bytes reply(uint8_t status_byte, const Bytes& data = {}) { return reply_frame(status_byte, data); }

class ReaderTest : public ::testing::Test {
protected:
    Bytes send(const Bytes& bytes) { return reader.exchange(frame(bytes)).bytes; }
    TestCard* insert_test_card() {
        auto card = std::make_unique<TestCard>();
        TestCard* raw = card.get();
        reader.insert(0, std::move(card));
        return raw;
    }
    Reader reader;
};

TEST_F(ReaderTest, ReplyFrameCarriesLengthAndXor) {
    EXPECT_EQ(reply(0x00, {0x04}), (Bytes{0x55, 0x00, 0x00, 0x01, 0x04, 0x50}));
    EXPECT_EQ(reply(0x89), (Bytes{0x55, 0x89, 0x00, 0x00, 0xDC}));
    const Bytes long_data(264, 0x11);
    const Bytes r = reply(0, long_data);
    EXPECT_EQ(r[2], 0x01);
    EXPECT_EQ(r[3], 0x08);
    EXPECT_EQ(xor_of(r), 0);
}

TEST_F(ReaderTest, VersionAnswersAtMostItsTextLength) {
    reader.set_version("NOBLU-V2.1");  // 10 characters
    EXPECT_EQ(send(version_request(18)), reply(0, Bytes{'N', 'O', 'B', 'L', 'U', '-', 'V', '2', '.', '1'}));
    EXPECT_EQ(send(version_request(5)), reply(0, Bytes{'N', 'O', 'B', 'L', 'U'}));
    EXPECT_EQ(send(version_request(0)), reply(0));
}

TEST_F(ReaderTest, MemoryWriteReadCompare) {
    const Bytes code{0x12, 0x34, 0x56};
    EXPECT_EQ(send(memory_frame(0xB6, 0x0182, code)), reply(0));
    EXPECT_EQ(send(read_memory(0x0182, 3)), reply(0, code));
    EXPECT_EQ(send(memory_frame(0xB5, 0x0182, code)), reply(0));
    EXPECT_EQ(send(memory_frame(0xB5, 0x0182, {0x12, 0x34, 0x57})), reply(status::mismatch));
    // Last user byte and the last serial number byte are in range; one past the end is not.
    EXPECT_EQ(send(memory_frame(0xB6, 383, {0xEE})), reply(0));
    EXPECT_EQ(reader.memory().at(383), 0xEE);
    EXPECT_EQ(send(read_memory(0x019F, 1)).size(), 6u);
    EXPECT_EQ(send(read_memory(0x019F, 2)), reply(status::bad_parameter));
    EXPECT_EQ(send(memory_frame(0xB6, 0x01A0, {0x00})), reply(status::bad_parameter));
    EXPECT_EQ(send(memory_frame(0xB5, 0x019F, {0x00, 0x00})), reply(status::bad_parameter));
}

TEST_F(ReaderTest, ReadsTheWholeUserAreaInThreeChunks) {
    Bytes pattern(384);
    for (size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<uint8_t>(i * 7);
    reader.memory().write(0, pattern);
    EXPECT_EQ(send(read_memory(0x0000, 144)), reply(0, Bytes(pattern.begin(), pattern.begin() + 144)));
    EXPECT_EQ(send(read_memory(0x0090, 144)), reply(0, Bytes(pattern.begin() + 144, pattern.begin() + 288)));
    EXPECT_EQ(send(read_memory(0x0120, 96)), reply(0, Bytes(pattern.begin() + 288, pattern.end())));
}

TEST_F(ReaderTest, LinkByteIsWrittenOnlyByB1) {
    EXPECT_EQ(send(memory_frame(0xB6, 0x0180, {0x09})), reply(status::read_only));
    EXPECT_EQ(send(memory_frame(0xB6, 0x017F, {0x00, 0x09})), reply(status::read_only));  // a run across it
    EXPECT_EQ(reader.memory().link_byte(), 0x04);
    EXPECT_EQ(reader.memory().at(0x017F), 0x00);
    EXPECT_EQ(send(read_memory(0x0180, 1)), reply(0, {0x04}));
}

TEST_F(ReaderTest, B1ChangesTheLinkAfterItsReply) {
    ASSERT_EQ(reader.serial_baud(), 9600u);
    EXPECT_EQ(send(link_command(0xF9)), reply(0));
    EXPECT_EQ(reader.memory().link_byte(), 0xF9);
    EXPECT_TRUE(reader.link_restart_pending());
    EXPECT_EQ(reader.serial_baud(), 9600u);  // the reply still goes out at the old rate
    EXPECT_EQ(reader.parallel_mode(), ParallelMode::nibble);
    reader.restart_link();
    EXPECT_EQ(reader.serial_baud(), 115200u);
    EXPECT_EQ(reader.parallel_mode(), ParallelMode::byte);
}

TEST_F(ReaderTest, B1KeepsTheHalfItDoesNotName) {
    const struct {
        uint8_t before, sent, after;
    } cases[] = {
        {0x05, 0xF0, 0xF5},  // parallel mode command, byte link: the baud code stays
        {0xF5, 0x0F, 0x05},  // parallel mode command, nibble link
        {0xF4, 0xF5, 0xF5},  // set_baud(19200) on a byte-link reader
        {0x04, 0x3A, 0x04},  // neither half means anything
        {0x04, 0x06, 0x06},  // 28800
    };
    for (const auto& c : cases) {
        reader.set_link_byte(c.before);
        send(link_command(c.sent));
        EXPECT_EQ(reader.memory().link_byte(), c.after) << std::hex << int(c.before) << " + " << int(c.sent);
    }
}

TEST_F(ReaderTest, EmptySlotAnswersAsConfigured) {
    EXPECT_EQ(send(card_present_query()), (Bytes{0x55, 0x00, 0x00, 0x01, 0x00, 0x54}));
    reader.set_empty_answer(EmptyAnswer::status_86);
    EXPECT_EQ(send(card_present_query()), reply(0x86));
    reader.set_empty_answer(EmptyAnswer::status_89);
    EXPECT_EQ(send(card_present_query()), reply(0x89));
    insert_test_card();
    EXPECT_EQ(send(card_present_query()), reply(0, {0x01}));
    reader.set_card_state(0x07);
    EXPECT_EQ(send(card_present_query()), reply(0, {0x07}));
}

TEST_F(ReaderTest, ServicesAreRecorded) {
    EXPECT_EQ(send(command(0xB4, {0x80, 0, 0, 0, 0, 0, 0xFF})), reply(0));
    EXPECT_EQ(send(command(0xB4, {0x80, 0, 0, 0, 0, 0, 0x02})), reply(0));
    EXPECT_EQ(reader.beeps(), (std::vector<uint16_t>{255, 2}));
    EXPECT_EQ(send(command(0xB8, {0x80, 0, 0, 0, 0})), reply(0));
    EXPECT_EQ(reader.card_pulls(), 1);
    EXPECT_EQ(send(command(0xBF, {0x80, 0, 0, 0, 0})), reply(status::unknown_command));
    EXPECT_EQ(send(command(0xB7, {0x80, 0, 0})), reply(status::bad_parameter));  // body too short for its fields
}

TEST_F(ReaderTest, BadBccIsRefusedAndNothingDone) {
    Bytes write = memory_frame(0xB6, 0x0010, {0x99});
    write.back() ^= 0x01;
    EXPECT_EQ(send(write), reply(status::bad_bcc));
    EXPECT_EQ(reader.memory().at(0x0010), 0x00);
}

TEST_F(ReaderTest, ContactsPowerTheCardAndFramesPowerItTooWhenOff) {
    TestCard* card = insert_test_card();
    EXPECT_EQ(send(command(0xB2, {0x80, 0, 0, 0, 0})), reply(0));
    EXPECT_TRUE(reader.contacts_on());
    EXPECT_EQ(card->power_ons, 1);
    EXPECT_EQ(send(command(0xB3, {0x80, 0, 0, 0, 0})), reply(0));
    EXPECT_EQ(card->power_offs, 1);
    // A card command with the contacts off powers the card first (the host's card checks run
    // after switching the contacts off).
    card->memory[3] = 0x5A;
    EXPECT_EQ(send(command(0x61, {TestCard::type, 0, 0, 0, 3, 0, 1})), reply(0, {0x5A}));
    EXPECT_EQ(card->power_ons, 2);
    EXPECT_TRUE(reader.contacts_on());
}

TEST_F(ReaderTest, CardFramesReachTheCardOrGetTheForeignReaction) {
    EXPECT_EQ(send(command(0x61, {0x79, 0, 0, 0, 6, 0, 2})), reply(status::no_card));
    TestCard* card = insert_test_card();
    EXPECT_EQ(send(command(0x60, {TestCard::type, 0, 0, 0, 2, 0xAB, 0xCD})), reply(0));
    EXPECT_EQ(card->memory[2], 0xAB);
    EXPECT_EQ(card->memory[3], 0xCD);
    EXPECT_EQ(card->revision(), 1u);
    // Another family's read: the chip does not understand it, the data line stays high.
    EXPECT_EQ(send(command(0x61, {0x79, 0, 0, 0, 6, 0, 2})), reply(0, {0xFF, 0xFF}));
    EXPECT_EQ(send(command(0x77, {0x6E, 0, 0, 0, 0})), reply(0, {0xFF}));
    EXPECT_EQ(send(command(0x60, {0x79, 0, 0, 0, 6, 0x01})), reply(0));
    EXPECT_EQ(card->handled, 1);
    EXPECT_EQ(card->revision(), 1u);
}

TEST_F(ReaderTest, ProcessorSlotsResetSelectAndRoute) {
    const Bytes reset_main{0xAA, 0x20, 0x80, 0x05, 0x20, 0, 0, 0, 0, 0};
    Bytes f = reset_main;
    f.back() = xor_of(Bytes(f.begin(), f.end() - 1));
    EXPECT_EQ(send(f), reply(status::no_card));
    insert_test_card();
    EXPECT_EQ(send(f), reply(0, {0x3B, 0x02, 0x14, 0x50}));

    // SAM 3 answers slot byte 0x23 directly and 0x21 once selected.
    reader.insert(3, std::make_unique<TestCard>());
    const auto sam_reset = [](uint8_t slot) {
        Bytes r{0xAA, 0x20, 0x80, 0x05, slot, 0, 0, 0, 0};
        r.push_back(xor_of(r));
        return r;
    };
    EXPECT_EQ(send(sam_reset(0x23)), reply(0, {0x3B, 0x02, 0x14, 0x50}));
    EXPECT_EQ(send(sam_reset(0x21)), reply(status::no_card));  // SAM 1 is selected at power-up
    EXPECT_EQ(send(command(0x23, {0x21, 0, 0, 0, 0, 3})), reply(0));
    EXPECT_EQ(reader.selected_sam(), 3);
    EXPECT_EQ(send(sam_reset(0x21)), reply(0, {0x3B, 0x02, 0x14, 0x50}));
    EXPECT_EQ(send(command(0x23, {0x21, 0, 0, 0, 0, 6})), reply(status::bad_parameter));
    EXPECT_EQ(send(command(0x22, {0x25, 0, 0, 0, 0, 0x11})), reply(0));
    EXPECT_EQ(reader.slot_speed(5), 0x11);
}

TEST_F(ReaderTest, ProcessorBlockFramesMayCheckOnlyTheirHeader) {
    insert_test_card();
    // A block whose own LRC is wrong: the BCC over the nine header bytes is accepted, and the
    // block goes to the card (which does not speak T=1, so the reader reports it mute).
    Bytes block{0xAA, 0x21, 0x80, 0x09, 0x20, 0, 0, 0, 0, 0x00, 0x00, 0x00, 0x77};
    block.push_back(xor_of(Bytes(block.begin(), block.begin() + 9)));
    EXPECT_EQ(send(block), reply(status::card_mute));
    block.back() ^= 0x10;
    EXPECT_EQ(send(block), reply(status::bad_bcc));
}

TEST_F(ReaderTest, RawDataFramesGoToTheCardThatAwaitsThem) {
    TestCard* card = insert_test_card();
    EXPECT_FALSE(reader.awaited_raw_frame());
    EXPECT_EQ(send(command(0x50, {TestCard::type, 0, 0, 0, 4, 0, 3})), reply(0));
    const auto wanted = reader.awaited_raw_frame();
    ASSERT_TRUE(wanted);
    EXPECT_EQ(wanted->lead, 0x66);
    EXPECT_EQ(wanted->length, 5u);
    Bytes raw{0x66, 0x01, 0x02, 0x03};
    raw.push_back(xor_of(raw));
    EXPECT_EQ(reader.exchange(frame(raw, true)).bytes, reply(0));
    EXPECT_EQ(card->memory[4], 0x01);
    EXPECT_EQ(card->memory[6], 0x03);
}

TEST_F(ReaderTest, RemovingACardPowersItDown) {
    auto owned = std::make_unique<TestCard>();
    TestCard* card = owned.get();
    reader.insert(0, std::move(owned));
    send(command(0xB2, {0x80, 0, 0, 0, 0}));
    auto back = reader.remove(0);
    EXPECT_EQ(card->power_offs, 1);
    EXPECT_EQ(reader.card(), nullptr);
    EXPECT_EQ(send(card_present_query()), reply(0, {0x00}));
}

TEST_F(ReaderTest, FrameLogMarksBothDirections) {
    send(card_present_query());
    const auto& entries = reader.log().entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].line(), "> AA B9 00 05 80 00 00 00 00 96");
    EXPECT_EQ(entries[1].line(), "< 55 00 00 01 00 54");
}

}  // namespace
}  // namespace vreader::testing
