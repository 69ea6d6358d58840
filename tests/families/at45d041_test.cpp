// AT45D041 flash cards through the real serial path, against the virtual card on a pseudo-terminal
// at 115200 baud: page-bounded chunks and exact frames, the range checks, the card check before
// the paced transfers, their retries after pauses, Read_45's double read and its arbitration, the
// hand-over to Read_45/Write_45 on an extended reader, and a whole-card round trip.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>

#include "quillet.h"
#include "core/process_state.h"
#include "tests/support/card_session.h"
#include "tests/support/skipping_clock.h"

namespace {

using namespace quillet::test;

constexpr int page_size = 264;
constexpr int32_t card_bytes = 2048 * page_size;

Bytes status_frame() { return command_frame(0x77, {0x6E, 0, 0, 0, 0}); }

Bytes read_frame(int page, int offset, int count) {
    return command_frame(
        0x61, {0x6E, static_cast<uint8_t>(page >> 8), static_cast<uint8_t>(page), static_cast<uint8_t>(offset >> 8),
               static_cast<uint8_t>(offset), static_cast<uint8_t>(count >> 8), static_cast<uint8_t>(count)});
}

Bytes write_frame(int page, int offset, const uint8_t* data, size_t n) {
    Bytes body{0x6E, static_cast<uint8_t>(page >> 8), static_cast<uint8_t>(page), static_cast<uint8_t>(offset >> 8),
               static_cast<uint8_t>(offset)};
    body.insert(body.end(), data, data + n);
    return command_frame(0x60, body);
}

std::vector<Bytes> repeated(const Bytes& frame, size_t times) { return std::vector<Bytes>(times, frame); }

// Milliseconds a call took on the wall clock.
double took_ms(const std::function<void()>& call) {
    const auto start = std::chrono::steady_clock::now();
    call();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

class At45d041 : public quillet::test::CardSession {
protected:
    At45d041() : CardSession("at45d041") {}

    void SetUp() override {
        CardSession::SetUp();
        vr.insert_card("at45d041:" + image_file());
    }

    std::string image_file() const { return CardSession::image_file("at45d041"); }
    void load_image(const Bytes& image) { load_image_file("at45d041", image); }
    Bytes card_image() { return saved_image("at45d041"); }

    // The card's image as it holds it after n bytes were written at (page, offset).
    static void written(Bytes& image, int page, int offset, const Bytes& data) {
        std::copy(data.begin(), data.end(), image.begin() + page * page_size + offset);
    }
};

TEST_F(At45d041, WritesCutAtPageEndsAndAt144BytesForThePacedPair) {
    Bytes image(static_cast<size_t>(card_bytes), 0xFF);
    const Bytes data = random_bytes(264, 1);

    auto frames = sent_by([&] { return swr_45d041(handle, 0, 200, 200, data.data()); });
    auto expected = repeated(status_frame(), 4);  // the card check's one status read
    expected.push_back(write_frame(0, 200, data.data(), 64));
    expected.push_back(write_frame(1, 0, data.data() + 64, 136));
    EXPECT_EQ(frames, expected);
    EXPECT_EQ(sent_by([&] { return Write_45(handle, 0, 200, 200, data.data()); }),
              (std::vector<Bytes>{write_frame(0, 200, data.data(), 64), write_frame(1, 0, data.data() + 64, 136)}));

    frames = sent_by([&] { return swr_45d041(handle, 3, 0, 264, data.data()); });
    ASSERT_EQ(frames.size(), 6u);
    EXPECT_EQ(frames[4], write_frame(3, 0, data.data(), 144));
    EXPECT_EQ(frames[5], write_frame(3, 144, data.data() + 144, 120));

    const Bytes other = random_bytes(264, 2);
    frames = sent_by([&] { return Write_45(handle, 3, 0, 264, other.data()); });
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].size(), 274u);
    EXPECT_EQ(frames[0][2], 0x01);
    EXPECT_EQ(frames[0][3], 0x0D);
    written(image, 0, 200, Bytes(data.begin(), data.begin() + 200));
    written(image, 3, 0, other);
    EXPECT_EQ(card_image(), image) << "only the written bytes of each page change";
}

TEST_F(At45d041, ReadsTravelInTheSameChunksAndRead45ReadsEachTwice) {
    const Bytes image = random_bytes(static_cast<size_t>(card_bytes), 3);
    load_image(image);
    Bytes back(300);
    auto frames = sent_by([&] { return srd_45d041(handle, 5, 100, 300, back.data()); });
    auto expected = repeated(status_frame(), 4);
    for (const auto& [page, offset, n] : {std::tuple{5, 100, 144}, {5, 244, 20}, {6, 0, 136}})
        expected.push_back(read_frame(page, offset, n));
    EXPECT_EQ(frames, expected);
    EXPECT_TRUE(std::equal(back.begin(), back.end(), image.begin() + 5 * page_size + 100));

    Bytes twice(300);
    frames = sent_by([&] { return Read_45(handle, 5, 100, 300, twice.data()); });
    EXPECT_EQ(frames, (std::vector<Bytes>{read_frame(5, 100, 164), read_frame(5, 100, 164), read_frame(6, 0, 136),
                                          read_frame(6, 0, 136)}));
    EXPECT_EQ(twice, back);
}

TEST_F(At45d041, StatusReadSendsFourFramesAndTheCheckThreeReads) {
    uint8_t status = 0;
    EXPECT_EQ(sent_by([&] { return rdstrg_45d041(handle, &status); }), repeated(status_frame(), 4));
    EXPECT_EQ(status, 0x9C);

    vr.expect_ok("card-set status 0xFF");
    EXPECT_EQ(sent_by([&] { return chk_45d041(handle); }, QL_WRONG_CARD), repeated(status_frame(), 12));
    vr.expect_ok("card-set status 0x00");
    uint8_t buffer[4] = {1, 2, 3, 4};
    EXPECT_EQ(sent_by([&] { return srd_45d041(handle, 0, 0, 4, buffer); }, QL_READ_FAILED).size(), 12u);
    EXPECT_EQ(buffer[0], 1);
    EXPECT_EQ(sent_by([&] { return swr_45d041(handle, 0, 0, 4, buffer); }, QL_WRITE_FAILED).size(), 12u);

    vr.insert_card("sle4442");
    EXPECT_EQ(chk_45d041(handle), QL_WRONG_CARD) << "another chip answers the status frame with 0xFF";
    vr.set_fault(Fault::status(0x8B).at(2));
    EXPECT_EQ(chk_45d041(handle), -0x8B) << "a failed status read ends the check";
}

TEST_F(At45d041, PacedWriteWaitsOutTheBusyAnswerThreeTimesAtMost) {
    const Bytes data = random_bytes(10, 4);
    vr.set_fault(Fault::status(0x94).at(5));  // the first write frame, after the card check
    const double ms = took_ms([&] { EXPECT_EQ(swr_45d041(handle, 7, 0, 10, data.data()), 0); });
    EXPECT_GE(ms, 300.0) << "the pause is real time";
    EXPECT_EQ(vr.host_frames().size(), 6u);

    vr.clear_log();
    vr.set_fault(Fault::status(0x94).at(5).next(4));
    EXPECT_EQ(paused_during([&] { EXPECT_EQ(swr_45d041(handle, 7, 0, 10, data.data()), -148); }), 900u);
    EXPECT_EQ(vr.host_frames(), [&] {
        auto expected = repeated(status_frame(), 4);
        for (int i = 0; i < 4; ++i) expected.push_back(write_frame(7, 0, data.data(), 10));
        return expected;
    }());

    vr.clear_log();
    vr.set_fault(Fault::status(0x94).at(5));
    uint8_t back[10] = {};
    EXPECT_EQ(paused_during([&] { EXPECT_EQ(srd_45d041(handle, 7, 0, 10, back), -148); }), 0u)
        << "a paced read gives up on any refusal at once";
    EXPECT_EQ(vr.host_frames().size(), 5u);
}

TEST_F(At45d041, PacedReadRetriesTransportFailuresTenTimesAfterPauses) {
    uint8_t back[10] = {};
    vr.set_fault(Fault::bad_bcc().at(5).next(11));
    EXPECT_EQ(paused_during([&] { EXPECT_EQ(srd_45d041(handle, 9, 0, 10, back), QL_BAD_BCC); }), 3000u);
    EXPECT_EQ(vr.host_frames().size(), 4u + 11u);

    vr.clear_log();
    vr.set_fault(Fault::wrong_lead().at(5).next(2));
    EXPECT_EQ(paused_during([&] { EXPECT_EQ(srd_45d041(handle, 9, 0, 10, back), 0); }), 600u);
    EXPECT_EQ(vr.host_frames().size(), 4u + 3u);
}

TEST_F(At45d041, Read45SettlesADisagreementWithAThirdRead) {
    const Bytes image = random_bytes(static_cast<size_t>(card_bytes), 5);
    load_image(image);
    const auto page_of = [&](int page) {
        return Bytes(image.begin() + page * page_size, image.begin() + (page + 1) * page_size);
    };
    Bytes back(page_size);

    // The last data byte differs in the second reply: the third agrees with the first.
    vr.set_fault("corrupt 263 at 2");
    EXPECT_EQ(sent_by([&] { return Read_45(handle, 10, 0, page_size, back.data()); }),
              repeated(read_frame(10, 0, 264), 3));
    EXPECT_EQ(back, page_of(10));

    // The first reply is the odd one: the third agrees with the second.
    vr.set_fault("corrupt 100 at 1");
    EXPECT_EQ(sent_by([&] { return Read_45(handle, 11, 0, page_size, back.data()); }).size(), 3u);
    EXPECT_EQ(back, page_of(11));

    // Three different replies: nothing is delivered.
    Bytes untouched(page_size, 0xA5);
    vr.set_fault("corrupt 0 at 1");
    vr.set_fault("corrupt 1 at 2");
    vr.set_fault("corrupt 2 at 3");
    EXPECT_EQ(Read_45(handle, 12, 0, page_size, untouched.data()), QL_READ_FAILED);
    EXPECT_EQ(untouched, Bytes(page_size, 0xA5));
}

TEST_F(At45d041, UnpacedPairRetriesAtOnceThreeTimes) {
    const Bytes data = random_bytes(page_size, 6);
    vr.expect_ok("card-set busy 3");
    EXPECT_EQ(paused_during([&] { EXPECT_EQ(Write_45(handle, 20, 0, page_size, data.data()), 0); }), 0u) << "no pauses";
    EXPECT_EQ(vr.host_frames(), repeated(write_frame(20, 0, data.data(), page_size), 4));

    vr.clear_log();
    vr.expect_ok("card-set busy 4");
    EXPECT_EQ(Write_45(handle, 20, 0, page_size, data.data()), -148);
    EXPECT_EQ(vr.host_frames().size(), 4u);

    // A good exchange starts the count again: three failures before each of the two reads.
    vr.clear_log();
    Bytes back(page_size);
    vr.set_fault(Fault::bad_bcc().next(3));
    vr.set_fault(Fault::bad_bcc().at(5).next(3));
    EXPECT_EQ(Read_45(handle, 20, 0, page_size, back.data()), 0);
    EXPECT_EQ(vr.host_frames().size(), 8u);
    EXPECT_EQ(back, data);

    // Announcing more than the page: refused without writing past the reply buffer, then retried.
    vr.set_fault(Fault::oversize(1000).next(4));
    Bytes guarded(page_size + 8, 0x5A);
    EXPECT_EQ(Read_45(handle, 20, 0, page_size, guarded.data()), QL_REPLY_TOO_LONG);
    EXPECT_EQ(guarded, Bytes(page_size + 8, 0x5A));
}

TEST_F(At45d041, ExtendedReaderHandsThePacedPairOver) {
    vr.set_version("NOBLU-FLASH");
    uint8_t version[10];
    ASSERT_EQ(srd_ver(handle, 10, version), 0);
    ASSERT_TRUE(quillet::process_state().extended_reader);

    const Bytes data = random_bytes(400, 7);
    const auto written_by_swr = sent_by([&] { return swr_45d041(handle, 30, 100, 400, data.data()); });
    EXPECT_EQ(written_by_swr, sent_by([&] { return Write_45(handle, 30, 100, 400, data.data()); }));
    EXPECT_EQ(written_by_swr.size(), 2u) << "no card check, page-long frames";
    Bytes a(400), b(400);
    const auto read_by_srd = sent_by([&] { return srd_45d041(handle, 30, 100, 400, a.data()); });
    EXPECT_EQ(read_by_srd, sent_by([&] { return Read_45(handle, 30, 100, 400, b.data()); }));
    EXPECT_EQ(read_by_srd.size(), 4u);
    EXPECT_EQ(a, data);
    EXPECT_EQ(b, data);
    quillet::process_state().extended_reader = false;  // the rest of this program knows a plain reader
}

TEST_F(At45d041, WholeCardRoundTrip) {
    const Bytes data = random_bytes(static_cast<size_t>(card_bytes), 8);
    ASSERT_EQ(Write_45(handle, 0, 0, card_bytes, data.data()), 0);
    EXPECT_EQ(card_image(), data);
    Bytes back(static_cast<size_t>(card_bytes));
    vr.clear_log();
    ASSERT_EQ(srd_45d041(handle, 0, 0, card_bytes, back.data()), 0);
    EXPECT_EQ(back, data);
}

}  // namespace
