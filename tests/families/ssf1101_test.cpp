// SSF1101 cards through the real serial path, against the virtual card on a pseudo-terminal at
// 115200 baud: page pieces and exact frames, the announce + data write with its retries that start
// again at the announce, the read retries, the card check, erase-all, and the serial time-outs
// that the status read and the erase lengthen and always put back.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>

#include "emulator/cards/ssf1101_card.h"
#include "quillet.h"
#include "core/handles.h"
#include "tests/support/card_session.h"
#include "tests/support/skipping_clock.h"

namespace {

using namespace quillet::test;

constexpr int page_size = 1024;
constexpr int32_t card_bytes = 512 * page_size;

Bytes piece_frame(uint8_t command, int page, int offset, int count) {
    return command_frame(
        command, {0x6F, static_cast<uint8_t>(page >> 8), static_cast<uint8_t>(page), static_cast<uint8_t>(offset >> 8),
                  static_cast<uint8_t>(offset), static_cast<uint8_t>(count >> 8), static_cast<uint8_t>(count)});
}
Bytes read_frame(int page, int offset, int count) { return piece_frame(0x61, page, offset, count); }
Bytes announce_frame(int page, int offset, int count) { return piece_frame(0x60, page, offset, count); }
Bytes status_frame() { return command_frame(0x77, {0x6F, 0, 0, 0, 0}); }

// 66 data BCC, built here apart from the library.
Bytes data_frame(const uint8_t* data, size_t n) {
    Bytes f{0x66};
    f.insert(f.end(), data, data + n);
    uint8_t x = 0;
    for (uint8_t b : f) x ^= b;
    f.push_back(x);
    return f;
}

bool operator==(const quillet::SerialTimeouts& a, const quillet::SerialTimeouts& b) {
    return a.read_interval_ms == b.read_interval_ms && a.read_total_per_byte_ms == b.read_total_per_byte_ms &&
           a.read_total_constant_ms == b.read_total_constant_ms &&
           a.write_total_per_byte_ms == b.write_total_per_byte_ms &&
           a.write_total_constant_ms == b.write_total_constant_ms;
}

class Ssf1101 : public quillet::test::CardSession {
protected:
    Ssf1101() : CardSession("ssf1101") {}

    void SetUp() override {
        CardSession::SetUp();
        vr.insert_card("ssf1101:" + image_file());
        vr.clear_log();
    }

    std::string image_file() const { return CardSession::image_file("ssf1101"); }
    void load_image(const Bytes& image) { load_image_file("ssf1101", image); }
    Bytes card_image() { return saved_image("ssf1101"); }

    // Frames the reader has received so far (the log of a whole-card transfer is megabytes long).
    uint64_t frames_received() {
        const std::string status = vr.expect_ok("status");
        const auto at = status.find("frames=");
        return at == std::string::npos ? 0 : std::stoull(status.substr(at + 7));
    }

    quillet::SerialTimeouts port_timeouts() {
        quillet::SerialTimeouts t{};
        EXPECT_TRUE(quillet::serial_port(handle)->get_timeouts(t));
        return t;
    }
};

TEST_F(Ssf1101, ReadsGoPageByPieceAndStayWithinTheCard) {
    const Bytes image = random_bytes(static_cast<size_t>(card_bytes), 1);
    load_image(image);
    Bytes back(100);
    EXPECT_EQ(sent_by([&] { return srd_ssf1101(handle, 0, 1000, 100, back.data()); }),
              (std::vector<Bytes>{read_frame(0, 1000, 24), read_frame(1, 0, 76)}));
    EXPECT_TRUE(std::equal(back.begin(), back.end(), image.begin() + 1000));

    uint8_t last = 0;
    EXPECT_EQ(sent_by([&] { return srd_ssf1101(handle, 511, 1023, 1, &last); }),
              std::vector<Bytes>{read_frame(511, 1023, 1)});
    EXPECT_EQ(last, image.back());

    Bytes whole(static_cast<size_t>(card_bytes));
    const uint64_t before = frames_received();
    ASSERT_EQ(srd_ssf1101(handle, 0, 0, card_bytes, whole.data()), 0);
    EXPECT_EQ(whole, image);
    EXPECT_EQ(frames_received() - before, 512u);
}

TEST_F(Ssf1101, WriteAnnouncesEachPieceThenSendsItsData) {
    const Bytes data = random_bytes(1100, 2);
    auto frames = sent_by([&] { return swr_ssf1101(handle, 4, 0, 5, data.data()); });
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], announce_frame(4, 0, 5));
    EXPECT_EQ(frames[0].size(), 12u);
    EXPECT_EQ(frames[1], data_frame(data.data(), 5));
    EXPECT_EQ(frames[1].size(), 7u);

    // Offset 1024 is the end of page 2: an empty piece there, then the data on page 3.
    EXPECT_EQ(sent_by([&] { return swr_ssf1101(handle, 2, 1024, 10, data.data() + 5); }),
              (std::vector<Bytes>{announce_frame(2, 1024, 0), Bytes{0x66, 0x66}, announce_frame(3, 0, 10),
                                  data_frame(data.data() + 5, 10)}));

    EXPECT_EQ(sent_by([&] { return swr_ssf1101(handle, 5, 1000, 1085, data.data() + 15); }),
              (std::vector<Bytes>{announce_frame(5, 1000, 24), data_frame(data.data() + 15, 24),
                                  announce_frame(6, 0, 1024), data_frame(data.data() + 39, 1024),
                                  announce_frame(7, 0, 37), data_frame(data.data() + 1063, 37)}));

    Bytes image(static_cast<size_t>(card_bytes), 0xFF);
    std::copy_n(data.begin(), 5, image.begin() + 4 * page_size);
    std::copy_n(data.begin() + 5, 10, image.begin() + 3 * page_size);
    std::copy_n(data.begin() + 15, 1085, image.begin() + 5 * page_size + 1000);
    EXPECT_EQ(card_image(), image);
}

TEST_F(Ssf1101, EveryWriteRetryStartsAgainAtTheAnnounce) {
    const Bytes data = random_bytes(8, 3);
    const Bytes announce = announce_frame(9, 0, 8);
    const Bytes data_part = data_frame(data.data(), 8);
    const auto write = [&](int16_t expected) {
        std::vector<Bytes> frames;
        const uint32_t paused = paused_during(
            [&] { frames = sent_by([&] { return swr_ssf1101(handle, 9, 0, 8, data.data()); }, expected); });
        return std::pair{frames, paused};
    };
    vr.set_fault(Fault::status(0x94).at(2));  // the data frame finds the card busy once
    EXPECT_EQ(write(0), std::pair(std::vector<Bytes>{announce, data_part, announce, data_part}, 300u));

    // Busy and transport counts are shared by both frames: 3 busy answers are waited out, the 4th
    // is -148; 4 failed receives are retried, the 5th ends the write.
    vr.expect_ok("card-set busy 3");
    EXPECT_EQ(write(0), std::pair(std::vector<Bytes>{announce, announce, announce, announce, data_part}, 900u));
    vr.expect_ok("card-set busy 4");
    EXPECT_EQ(write(-148), std::pair(std::vector<Bytes>(4, announce), 900u));
    vr.set_fault(Fault::bad_bcc().next(2));
    vr.set_fault(Fault::wrong_lead().at(4).next(3));  // the data frame, then two announces
    EXPECT_EQ(write(QL_BAD_LEAD),
              std::pair(std::vector<Bytes>{announce, announce, announce, data_part, announce, announce}, 1200u));

    vr.set_fault(Fault::status(0x96).at(2));
    EXPECT_EQ(write(-0x96), std::pair(std::vector<Bytes>{announce, data_part}, 0u))
        << "any other refusal ends the write at once";
}

TEST_F(Ssf1101, ReadRetriesRefusalsThreeTimesAfterPauses) {
    Bytes back(10);
    const auto read = [&](int16_t expected) {
        size_t frames = 0;
        const uint32_t paused = paused_during(
            [&] { frames = sent_by([&] { return srd_ssf1101(handle, 0, 0, 10, back.data()); }, expected).size(); });
        return std::pair{frames, paused};
    };
    vr.set_fault(Fault::status(0x96).next(3));
    EXPECT_EQ(read(0), std::pair(size_t{4}, 900u));
    vr.set_fault(Fault::status(0x96).next(4));
    EXPECT_EQ(read(-0x96), std::pair(size_t{4}, 900u));
    // An announced length past the reply buffer is a failed receive, tried again.
    vr.set_fault(Fault::oversize(2000).next(2));
    EXPECT_EQ(read(0), std::pair(size_t{3}, 600u));
    vr.set_fault(Fault::bad_bcc().next(11));
    EXPECT_EQ(read(QL_BAD_BCC), std::pair(size_t{11}, 3000u));
}

TEST_F(Ssf1101, CheckAndEraseRestoreThePortTimeouts) {
    const quillet::SerialTimeouts opened = port_timeouts();
    EXPECT_EQ(sent_by([&] { return chk_ssf1101(handle); }), std::vector<Bytes>(4, status_frame()));
    EXPECT_TRUE(port_timeouts() == opened);

    vr.expect_ok("card-set status 0x00");
    EXPECT_EQ(sent_by([&] { return chk_ssf1101(handle); }, QL_WRONG_CARD).size(), 12u);

    // The erase reply comes after a second: past the opened port's 4 x 150 ms for the header,
    // well within the erase's own time-outs.
    load_image(random_bytes(static_cast<size_t>(card_bytes), 4));
    vr.set_fault(Fault::delay(1000));
    EXPECT_EQ(sent_by([&] { return eral_ssf1101(handle); }),
              std::vector<Bytes>{command_frame(0x78, {0x6F, 0, 0, 0, 0})});
    EXPECT_EQ(card_image(), Bytes(static_cast<size_t>(card_bytes), 0xFF));
    EXPECT_TRUE(port_timeouts() == opened);

    // With the reader gone, the sends fail; the time-outs still come back.
    ASSERT_TRUE(vr.terminate());
    EXPECT_EQ(eral_ssf1101(handle), QL_WRITE_FAILED);
    EXPECT_TRUE(port_timeouts() == opened);
    EXPECT_EQ(chk_ssf1101(handle), QL_WRITE_FAILED);
    EXPECT_TRUE(port_timeouts() == opened);
}

TEST_F(Ssf1101, WholeCardRoundTrip) {
    const Bytes data = random_bytes(static_cast<size_t>(card_bytes), 5);
    ASSERT_EQ(swr_ssf1101(handle, 0, 0, card_bytes, data.data()), 0);
    EXPECT_EQ(card_image(), data);
    Bytes back(static_cast<size_t>(card_bytes));
    ASSERT_EQ(srd_ssf1101(handle, 0, 0, card_bytes, back.data()), 0);
    EXPECT_EQ(back, data);
}

// The card model itself: a data frame counts only right after an accepted announce.
TEST(Ssf1101Card, DataFrameNeedsTheAnnounceJustBeforeIt) {
    vreader::Ssf1101Card card;
    const Bytes data{1, 2, 3};
    const Bytes frame = data_frame(data.data(), data.size());
    EXPECT_EQ(card.handle_raw_frame(frame).status, vreader::status::unknown_command);

    const Bytes announce = announce_frame(1, 1021, 3);
    const vreader::CardCommand command(0x60, std::span<const uint8_t>(announce).subspan(4, 7));
    EXPECT_EQ(card.handle(command).status, vreader::status::ok);
    ASSERT_TRUE(card.awaited_raw_frame());
    EXPECT_EQ(card.awaited_raw_frame()->length, 5u);
    EXPECT_EQ(card.handle_raw_frame(frame).status, vreader::status::ok);
    EXPECT_EQ(card.contents()[2045], 1);
    EXPECT_EQ(card.contents()[2047], 3);
    EXPECT_EQ(card.handle_raw_frame(frame).status, vreader::status::unknown_command) << "one announce, one data frame";

    const Bytes status = status_frame();
    EXPECT_EQ(card.handle(command).status, vreader::status::ok);
    card.handle(vreader::CardCommand(0x77, std::span<const uint8_t>(status).subspan(4, 5)));
    EXPECT_FALSE(card.awaited_raw_frame()) << "another frame cancels the announce";
    EXPECT_EQ(
        card.handle(vreader::CardCommand(0x60, std::span<const uint8_t>(announce_frame(1, 1021, 4)).subspan(4, 7)))
            .status,
        vreader::status::bad_parameter);
}

}  // namespace
