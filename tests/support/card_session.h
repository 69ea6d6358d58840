// A card family test's session: a virtual reader holding one card, the library's port 0 opened
// on it at 115200 baud, and the frames a call sends.
//
//   class At88sc153 : public quillet::test::CardSession {
//   protected:
//       At88sc153() : CardSession("at88sc153") {}
//   };
//   TEST_F(At88sc153, ...) { EXPECT_EQ(sent_by([&] { return srd_153(handle, 2, 60, 4, buf); }), ...); }
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "quillet.h"
#include "tests/support/virtual_reader_process.h"

namespace quillet::test {

// A command frame as the reader expects it: AA command LH LL body BCC. Written here apart from the
// library's own frame builder, so that the tests check the library against an independent picture.
inline Bytes command_frame(uint8_t command, const Bytes& body) {
    Bytes f{0xAA, command, static_cast<uint8_t>(body.size() >> 8), static_cast<uint8_t>(body.size())};
    for (uint8_t b : body) f.push_back(b);
    uint8_t x = 0;
    for (uint8_t b : f) x ^= b;
    f.push_back(x);
    return f;
}

class CardSession : public ::testing::Test {
protected:
    explicit CardSession(const std::string& card)
        : vr(std::vector<std::string>{"--card", card, "--rate", "115200"}) {}

    void SetUp() override {
        ASSERT_TRUE(vr.running());
        vr.export_port(0);
        handle = ic_init(0, 115200);
        ASSERT_GE(handle, 0);
        vr.clear_log();
    }
    void TearDown() override { ic_exit(handle); }

    // The frames the host sent during the call, which must return expected.
    std::vector<Bytes> sent_by(const std::function<int16_t()>& call, int16_t expected = 0) {
        vr.clear_log();
        EXPECT_EQ(call(), expected);
        return vr.host_frames();
    }

    VirtualReaderProcess vr;
    int32_t handle = -1;
};

}  // namespace quillet::test
