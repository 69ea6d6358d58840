// SLE4442, 2042 and SLE4432 cards through the real serial path, against the virtual cards on a
// pseudo-terminal at 115200 baud: exact frames, argument checks that send nothing, and whole
// sessions with the card's own refusals.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>

#include "quillet.h"
#include "tests/support/card_session.h"

namespace {

using namespace quillet::test;

// The virtual cards' refusals, as the caller sees them.
constexpr int16_t unknown_command = -0x8B;

constexpr size_t image_size = 256 + 4 + 4;  // main memory, protection memory, security memory
constexpr size_t security_at = 260;

const uint8_t factory_code[3] = {0xFF, 0xFF, 0xFF};

Bytes counted(uint8_t command, int address, int count) {
    return command_frame(command, {0x79, 0, 0, 0, static_cast<uint8_t>(address), 0, static_cast<uint8_t>(count)});
}

Bytes with_data(uint8_t command, int address, const uint8_t* data, size_t n) {
    Bytes body{0x79, 0, 0, 0, static_cast<uint8_t>(address)};
    body.insert(body.end(), data, data + n);
    return command_frame(command, body);
}

class Sle4442 : public quillet::test::CardSession {
protected:
    Sle4442() : CardSession("sle4442") {}

    // A fresh card of the family, optionally with its image changed first; the log starts empty.

    std::vector<Bytes> sent_by(const std::function<void()>& call) {
        vr.clear_log();
        call();
        return vr.host_frames();
    }

};

TEST_F(Sle4442, LongReadsAndWritesTravelAs144BytesAndTheRest) {
    const Bytes image = vr.card_contents();
    Bytes buffer(256);
    ASSERT_EQ(srd_4442(handle, 0, 256, buffer.data()), 0);
    EXPECT_EQ(vr.host_frames(), (std::vector<Bytes>{counted(0x61, 0, 144), counted(0x61, 144, 112)}));
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), image.begin()));

    ASSERT_EQ(csc_4442(handle, 3, factory_code), 0);
    const Bytes data = pattern(150, 1, 7);
    vr.clear_log();
    ASSERT_EQ(swr_4442(handle, 100, 150, data.data()), 0);
    EXPECT_EQ(vr.host_frames(), (std::vector<Bytes>{with_data(0x60, 100, data.data(), 144),
                                                    with_data(0x60, 244, data.data() + 144, 6)}));
    EXPECT_TRUE(std::equal(data.begin(), data.end(), vr.card_contents().begin() + 100));

    // A failing second chunk leaves the first one copied and the rest of the buffer alone.
    Bytes partial(256, 0xEE);
    vr.set_fault(Fault::status(0x42).at(2));
    EXPECT_EQ(srd_4442(handle, 0, 256, partial.data()), -0x42);
    EXPECT_TRUE(std::equal(partial.begin(), partial.begin() + 144, vr.card_contents().begin()));
    EXPECT_EQ(partial[144], 0xEE);
    EXPECT_EQ(partial[255], 0xEE);
}

TEST_F(Sle4442, SecurityFramesCarryTheirFixedBytes) {
    uint8_t buffer[4] = {};
    int16_t count = 0;
    const uint8_t code[3] = {0x12, 0x34, 0x56};
    EXPECT_EQ(sent_by([&] { prd_4442(handle, 4, buffer); }), (std::vector<Bytes>{counted(0x74, 0, 4)}));
    EXPECT_EQ(sent_by([&] { csc_4442(handle, 3, code); }), (std::vector<Bytes>{with_data(0x64, 0, code, 3)}));
    EXPECT_EQ(sent_by([&] { wsc_4442(handle, 3, code); }), (std::vector<Bytes>{with_data(0x66, 0, code, 3)}));
    EXPECT_EQ(sent_by([&] { rsc_4442(handle, 3, buffer); }), (std::vector<Bytes>{counted(0x65, 0, 4)}));
    EXPECT_EQ(sent_by([&] { rsct_4442(handle, &count); }), (std::vector<Bytes>{counted(0x67, 0, 4)}));
    EXPECT_EQ(with_data(0x64, 0, code, 3).size(), 13u);
}

TEST_F(Sle4442, The2042AndSle4432NamesSendTheSameFrames) {
    using Read = int16_t (*)(int32_t, int16_t, int16_t, uint8_t*);
    using Write = int16_t (*)(int32_t, int16_t, int16_t, const uint8_t*);
    uint8_t buffer[200] = {0x5A, 0x5A, 0x5A};
    int16_t count = 0;
    for (Read read : {srd_2042, srd_4432})
        EXPECT_EQ(sent_by([&] { read(handle, 40, 150, buffer); }), sent_by([&] { srd_4442(handle, 40, 150, buffer); }));
    for (Write write : {swr_2042, swr_4432})
        EXPECT_EQ(sent_by([&] { write(handle, 40, 150, buffer); }), sent_by([&] { swr_4442(handle, 40, 150, buffer); }));
    for (Write protect : {pwr_2042, pwr_4432})
        EXPECT_EQ(sent_by([&] { protect(handle, 9, 2, buffer); }), sent_by([&] { pwr_4442(handle, 9, 2, buffer); }));
    for (auto prd : {prd_2042, prd_4432})
        EXPECT_EQ(sent_by([&] { prd(handle, 4, buffer); }), sent_by([&] { prd_4442(handle, 4, buffer); }));
    EXPECT_EQ(sent_by([&] { csc_2042(handle, 3, buffer); }), sent_by([&] { csc_4442(handle, 3, buffer); }));
    EXPECT_EQ(sent_by([&] { wsc_2042(handle, 3, buffer); }), sent_by([&] { wsc_4442(handle, 3, buffer); }));
    EXPECT_EQ(sent_by([&] { rsc_2042(handle, 3, buffer); }), sent_by([&] { rsc_4442(handle, 3, buffer); }));
    EXPECT_EQ(sent_by([&] { rsct_2042(handle, &count); }), sent_by([&] { rsct_4442(handle, &count); }));
}

// What the demo shows: detect the card, read it, present the code, write, read back.
TEST_F(Sle4442, SessionPresentsTheCodeThenWritesAndReadsBack) {
    EXPECT_EQ(chk_4442(handle), 0);
    uint8_t id[8] = {};
    ASSERT_EQ(srd_4442(handle, 0, 8, id), 0);
    EXPECT_EQ(Bytes(id, id + 8), (Bytes{0xA2, 0x13, 0x10, 0x91, 0xFF, 0xFF, 0x81, 0x15}));

    const Bytes data = pattern(16, 0x30, 7);
    EXPECT_EQ(swr_4442(handle, 32, 16, data.data()), not_presented) << "no write before the code";
    EXPECT_EQ(vr.card_contents()[32], 0xFF);

    int16_t count = -1;
    ASSERT_EQ(csc_4442(handle, 3, factory_code), 0);
    ASSERT_EQ(swr_4442(handle, 32, 16, data.data()), 0);
    Bytes back(16);
    ASSERT_EQ(srd_4442(handle, 32, 16, back.data()), 0);
    EXPECT_EQ(back, data);
    ASSERT_EQ(rsct_4442(handle, &count), 0);
    EXPECT_EQ(count, 3);

    // Power loss forgets the presented code.
    ASSERT_EQ(turn_off(handle), 0);
    ASSERT_EQ(turn_on(handle), 0);
    EXPECT_EQ(swr_4442(handle, 32, 1, data.data()), not_presented);
}

TEST_F(Sle4442, ThreeWrongCodesLockTheCardForGood) {
    const uint8_t wrong[3] = {0x11, 0x22, 0x33};
    int16_t count = -1;
    // A right code after a wrong one refills the counter.
    EXPECT_EQ(csc_4442(handle, 3, wrong), wrong_code);
    ASSERT_EQ(rsct_4442(handle, &count), 0);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(csc_4442(handle, 3, factory_code), 0);
    ASSERT_EQ(rsct_4442(handle, &count), 0);
    EXPECT_EQ(count, 3);

    for (int left : {2, 1, 0}) {
        EXPECT_EQ(csc_4442(handle, 3, wrong), wrong_code);
        ASSERT_EQ(rsct_4442(handle, &count), 0);
        EXPECT_EQ(count, left);
    }
    EXPECT_EQ(vr.card_contents()[security_at], 0x00);
    EXPECT_EQ(csc_4442(handle, 3, factory_code), locked) << "not even the right code opens it";
    const uint8_t byte = 0x01;
    EXPECT_EQ(swr_4442(handle, 40, 1, &byte), locked);
    EXPECT_EQ(wsc_4442(handle, 3, wrong), locked);
    EXPECT_EQ(pwr_4442(handle, 20, 1, &byte), locked);
    uint8_t text[7] = {};
    EXPECT_EQ(rsc_4442_hex(handle, 3, text), 0);
    EXPECT_STREQ(reinterpret_cast<char*>(text), "000000") << "the code stays hidden";
}

TEST_F(Sle4442, ProtectingComparesTheDataAndIsVerified) {
    const Bytes image = vr.card_contents();
    const uint8_t byte = 0x00;
    EXPECT_EQ(pwr_4442(handle, 10, 3, image.data() + 10), not_presented) << "the protect frame's own refusal";
    EXPECT_EQ(vr.host_frames().size(), 1u) << "nothing verified after a refusal";
    ASSERT_EQ(csc_4442(handle, 3, factory_code), 0);

    vr.clear_log();
    ASSERT_EQ(pwr_4442(handle, 10, 3, image.data() + 10), 0);
    EXPECT_EQ(vr.host_frames(), (std::vector<Bytes>{with_data(0x75, 10, image.data() + 10, 3), counted(0x74, 0, 4),
                                                    counted(0x61, 10, 3)}));
    uint8_t bits[4] = {};
    ASSERT_EQ(prd_4442(handle, 4, bits), 0);
    EXPECT_EQ(Bytes(bits, bits + 4), (Bytes{0x00, 0xC7, 0xFF, 0xFF})) << "bytes 0..7 as made, now 10..12";
    EXPECT_EQ(swr_4442(handle, 11, 1, &byte), kept);
    EXPECT_EQ(swr_4442(handle, 13, 1, &byte), 0) << "the next byte stays writable";

    // Data that differ from the card leave the byte writable: the verification finds its bit at 1.
    const uint8_t other = static_cast<uint8_t>(image[20] ^ 0xFF);
    EXPECT_EQ(pwr_4442(handle, 20, 1, &other), QL_WRITE_FAILED);
    EXPECT_EQ(swr_4442(handle, 20, 1, &byte), 0);

    // The verifying reads report their failure as a failed read, whatever the reader said.
    vr.set_fault(Fault::status(0x42).at(2));
    EXPECT_EQ(pwr_4442(handle, 21, 1, image.data() + 21), QL_READ_FAILED);
    vr.set_fault(Fault::status(0x42).at(3));
    EXPECT_EQ(pwr_4442(handle, 22, 1, image.data() + 22), QL_READ_FAILED);
}

TEST_F(Sle4442, ProtectionBitLeftAtOneAfterProtectingAddress5) {
    const Bytes image = use_card("sle4442", [](Bytes& b) { b[256] = 0xFF; });
    ASSERT_EQ(csc_4442(handle, 3, factory_code), 0);
    const uint8_t other = static_cast<uint8_t>(image[5] ^ 0x01);
    EXPECT_EQ(pwr_4442(handle, 5, 1, &other), QL_WRITE_FAILED);
    uint8_t bits[4] = {};
    ASSERT_EQ(prd_4442(handle, 4, bits), 0);
    EXPECT_EQ(bits[0] & 0x04, 0x04);
}

TEST_F(Sle4442, ErrorCounterCountsItsOneBits) {
    const std::pair<int, int16_t> counters[] = {{0x07, 3}, {0x00, 0}, {0xFF, 8}, {0x81, 2}};
    for (auto [counter, bits] : counters) {
        SCOPED_TRACE(counter);
        use_card("sle4442", [c = counter](Bytes& b) { b[security_at] = static_cast<uint8_t>(c); });
        int16_t count = -1;
        ASSERT_EQ(rsct_4442(handle, &count), 0);
        EXPECT_EQ(count, bits);
    }
    int16_t untouched = 77;
    vr.set_fault(Fault::status(0x42));
    EXPECT_EQ(rsct_4442(handle, &untouched), -0x42);
    EXPECT_EQ(untouched, 77);
}

TEST_F(Sle4442, CodeAsTextTakesSixDigitsAndNothingBeyond) {
    const Bytes reference = with_data(0x64, 0, factory_code, 3);
    for (int16_t length : {int16_t{3}, int16_t{0}, int16_t{-1}}) {
        uint8_t text[] = "ffFFff";
        EXPECT_EQ(sent_by([&] { EXPECT_EQ(csc_4442_hex(handle, length, text), 0); }), (std::vector<Bytes>{reference}));
        EXPECT_STREQ(reinterpret_cast<char*>(text), "FFFFFF") << "upper-cased in place";
    }
    // Exactly six characters, no terminating zero: nothing past them is read or changed.
    auto exact = std::make_unique<uint8_t[]>(6);
    std::memcpy(exact.get(), "a1b2c3", 6);
    ASSERT_EQ(wsc_4442_hex(handle, 0, exact.get()), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(exact.get()), 6), "A1B2C3");
    uint8_t longer[] = "0a0b0cdd";
    EXPECT_EQ(csc_4442_hex(handle, 0, longer), wrong_code) << "0A0B0C is not the new code";
    EXPECT_STREQ(reinterpret_cast<char*>(longer), "0A0B0Cdd");
    ASSERT_EQ(csc_4442_hex(handle, 0, exact.get()), 0) << "A1B2C3 is";
    uint8_t shown[7];
    std::memset(shown, 'x', sizeof shown);
    ASSERT_EQ(rsc_4442_hex(handle, 0, shown), 0);
    EXPECT_STREQ(reinterpret_cast<char*>(shown), "A1B2C3");

    // A code byte below 0x10 keeps its leading zero; a failure leaves an empty text.
    const uint8_t small[3] = {0x01, 0x0B, 0x00};
    ASSERT_EQ(wsc_4442(handle, 3, small), 0);
    ASSERT_EQ(rsc_4442_hex(handle, 0, shown), 0);
    EXPECT_STREQ(reinterpret_cast<char*>(shown), "010B00");
    vr.set_fault(Fault::status(0x42));
    EXPECT_EQ(rsc_4442_hex(handle, 0, shown), -0x42);
    EXPECT_EQ(Bytes(shown, shown + 7), Bytes(7, 0));
    uint8_t code[3] = {};
    ASSERT_EQ(rsc_4442(handle, 3, code), 0);
    EXPECT_EQ(Bytes(code, code + 3), Bytes(small, small + 3));
}

TEST_F(Sle4442, CardChecksUseIdentificationBytesAndRegisteredCodes) {
    auto with_id = [&](uint8_t b6, uint8_t b7) {
        use_card("sle4442", [=](Bytes& b) { b[6] = b6, b[7] = b7; });
    };
    with_id(0x88, 0x15);
    EXPECT_EQ(chk_4442(handle), 0);
    EXPECT_EQ(vr.host_frames(), (std::vector<Bytes>{counted(0x61, 6, 2)}));
    with_id(0xA0, 0x15);
    EXPECT_EQ(chk_4442(handle), 0);
    with_id(0x81, 0x16);
    EXPECT_EQ(chk_4442(handle), QL_WRONG_CARD);

    with_id(0x12, 0x34);
    EXPECT_EQ(chk_4442(handle), QL_WRONG_CARD);
    uint8_t codes[120] = {0x56, 0x78, 0x12, 0x34};
    ASSERT_EQ(set_code(8, 2, 4, codes), 0);
    EXPECT_EQ(chk_4442(handle), 0);
    EXPECT_EQ(chk_4432(handle), 0);
    codes[0] = 0x12, codes[1] = 0x34;
    ASSERT_EQ(set_code(8, 25, 120, codes), 0) << "20 codes and 100 bytes are kept";
    EXPECT_EQ(chk_4442(handle), 0);
    ASSERT_EQ(set_code(8, 0, 0, codes), 0);
    EXPECT_EQ(chk_4442(handle), QL_WRONG_CARD);

    use_card("2042");
    EXPECT_EQ(chk_2042(handle), 0);
    EXPECT_EQ(vr.host_frames(), (std::vector<Bytes>{counted(0x61, 0, 8)}));
    EXPECT_EQ(chk_4442(handle), QL_WRONG_CARD);
    use_card("2042", [](Bytes& b) { b[4] = 0x00, b[5] = 0x99; });
    EXPECT_EQ(chk_2042(handle), 0) << "bytes 4..5 are not compared";
    use_card("2042", [](Bytes& b) { b[3] = 0x90; });
    EXPECT_EQ(chk_2042(handle), QL_WRONG_CARD);
    use_card("sle4442");
    EXPECT_EQ(chk_2042(handle), QL_WRONG_CARD);
    use_card("sle4432");
    EXPECT_EQ(chk_4432(handle), 0);
    use_card("sle4428");
    EXPECT_EQ(chk_4442(handle), QL_WRONG_CARD);
    use_card("blank");
    EXPECT_EQ(chk_4442(handle), QL_WRONG_CARD);
    vr.remove_card();
    EXPECT_EQ(chk_4442(handle), no_card) << "the read's own status";
}

TEST_F(Sle4442, Sle4432TakesWritesWithoutACodeAndHasNone) {
    use_card("sle4432");
    const Bytes data = pattern(20, 9, 7);
    ASSERT_EQ(swr_4432(handle, 40, 20, data.data()), 0);
    Bytes back(20);
    ASSERT_EQ(srd_4432(handle, 40, 20, back.data()), 0);
    EXPECT_EQ(back, data);
    EXPECT_EQ(swr_4432(handle, 2, 1, data.data()), kept);
    EXPECT_EQ(csc_4442(handle, 3, factory_code), unknown_command);
    EXPECT_EQ(vr.card_contents().size(), 260u);
}

TEST_F(Sle4442, ShortReplyIsAFailedReadAndCopiesNothing) {
    Bytes buffer(16, 0xEE);
    vr.set_fault(Fault::oversize(4));
    EXPECT_EQ(srd_4442(handle, 0, 16, buffer.data()), QL_READ_FAILED);
    EXPECT_EQ(buffer, Bytes(16, 0xEE));
    int16_t count = 5;
    vr.set_fault(Fault::oversize(0));
    EXPECT_EQ(rsct_4442(handle, &count), QL_READ_FAILED);
    EXPECT_EQ(count, 5);
}

TEST_F(Sle4442, CardContentsComeFromAFileAndAreSavedBack) {
    const std::string file = vr.directory() + "/card.bin";
    Bytes image(image_size, 0xFF);
    const uint8_t id[8] = {0xA2, 0x13, 0x10, 0x91, 0xFF, 0xFF, 0xA0, 0x15};
    std::copy(std::begin(id), std::end(id), image.begin());
    image[security_at] = 0x03;
    image[security_at + 1] = 0x10, image[security_at + 2] = 0x20, image[security_at + 3] = 0x30;
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image_size));
    {
        VirtualReaderProcess filed{{"--card", "sle4442:" + file, "--save", "--rate", "115200"}};
        filed.export_port(1);
        const int32_t h = ic_init(1, 115200);
        ASSERT_GE(h, 0);
        EXPECT_EQ(chk_4442(h), 0);
        int16_t count = 0;
        ASSERT_EQ(rsct_4442(h, &count), 0);
        EXPECT_EQ(count, 2);
        const uint8_t code[3] = {0x10, 0x20, 0x30};
        ASSERT_EQ(csc_4442(h, 3, code), 0);
        const uint8_t byte = 0x42;
        ASSERT_EQ(swr_4442(h, 200, 1, &byte), 0);
        ic_exit(h);
        EXPECT_TRUE(filed.stop());
    }
    std::ifstream in(file, std::ios::binary);
    const Bytes saved{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_EQ(saved.size(), image_size);
    EXPECT_EQ(saved[200], 0x42);
    EXPECT_EQ(saved[security_at], 0x07) << "the right code refilled the counter";
}

}  // namespace
