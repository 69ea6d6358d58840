// Reply reception over a scripted byte source: what is read, what is refused, what stays bounded.
#include <gtest/gtest.h>

#include <vector>

#include "link/frame.h"
#include "link/reception.h"

using namespace quillet;

namespace {

struct Script {
    std::vector<uint8_t> bytes;
    size_t next = 0;
    size_t asked = 0;
    Status operator()(uint8_t& b, bool) {
        ++asked;
        if (next >= bytes.size()) return Status::timeout;
        b = bytes[next++];
        return Status::ok;
    }
};

std::vector<uint8_t> reply_frame(uint8_t status, std::vector<uint8_t> data) {
    std::vector<uint8_t> f{0x55, status, static_cast<uint8_t>(data.size() >> 8), static_cast<uint8_t>(data.size())};
    for (uint8_t b : data) f.push_back(b);
    f.push_back(bcc(f));
    return f;
}

}  // namespace

TEST(Reception, WrongLeadByteStopsAfterOneByte) {
    Script s{{0x54, 0x00, 0x00, 0x00, 0x54}};
    Reply r;
    EXPECT_EQ(receive_frame(r, std::ref(s)), Status::bad_lead);
    EXPECT_EQ(s.asked, 1u);
}

TEST(Reception, AlteredDataByteIsBadBccAndStaysInBuffer) {
    auto f = reply_frame(0, {1, 2, 3});
    f[5] ^= 0x40;
    Script s{f};
    Reply r;
    EXPECT_EQ(receive_frame(r, std::ref(s)), Status::bad_bcc);
    EXPECT_EQ(r.received(), f.size());
    EXPECT_EQ(r.data()[1], f[5]);
}

TEST(Reception, EmptyReplyIsFiveBytes) {
    Script s{reply_frame(0, {})};
    Reply r;
    EXPECT_EQ(receive_frame(r, std::ref(s)), Status::ok);
    EXPECT_EQ(r.received(), 5u);
    EXPECT_TRUE(r.data().empty());
}

TEST(Reception, LongReplyIsReadInFullWhenTheBufferHoldsIt) {
    Script s{reply_frame(0, std::vector<uint8_t>(264, 0xC3))};
    Reply r(269);
    EXPECT_EQ(receive_frame(r, std::ref(s)), Status::ok);
    EXPECT_EQ(r.received(), 269u);
    EXPECT_EQ(r.data().size(), 264u);
}

TEST(Reception, OversizedAnnouncementIsRefusedWithoutReadingPastTheBuffer) {
    Script s{reply_frame(0, std::vector<uint8_t>(264, 0xC3))};
    Reply r;  // ordinary 160-byte buffer
    EXPECT_EQ(receive_frame(r, std::ref(s)), Status::reply_too_long);
    EXPECT_EQ(s.asked, 4u) << "only the header was read";
    EXPECT_LE(r.received(), r.capacity());
}

TEST(Reception, MaximumAnnouncementCannotOverrun) {
    Script s{{0x55, 0x00, 0xFF, 0xFF}};
    Reply r(Reply::max_capacity);
    EXPECT_EQ(receive_frame(r, std::ref(s)), Status::reply_too_long);
}

TEST(Reception, TruncatedReplyReturnsTheByteStatusAndKeepsWhatCame) {
    auto f = reply_frame(0, {1, 2, 3, 4});
    f.resize(6);
    Script s{f};
    Reply r;
    EXPECT_EQ(receive_frame(r, std::ref(s)), Status::timeout);
    EXPECT_EQ(r.received(), 6u);
}

TEST(Reception, StatusByteIsNotInterpretedHere) {
    Script s{reply_frame(0x83, {})};
    Reply r;
    EXPECT_EQ(receive_frame(r, std::ref(s)), Status::ok);
    EXPECT_EQ(r.status_byte(), 0x83);
    EXPECT_EQ(reader_status(0x83), Status::reader_0x83);
    EXPECT_EQ(code(reader_status(5)), -5);
}
