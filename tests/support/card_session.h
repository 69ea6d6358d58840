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
#include <fstream>
#include <iterator>
#include <functional>
#include <string>
#include <vector>

#include "quillet.h"
#include "tests/support/test_bytes.h"
#include "tests/support/virtual_reader_process.h"

namespace quillet::test {

// The virtual cards' refusals as the caller sees them (emulator/cards/security_refusals.h).
constexpr int16_t out_of_range = -0x8C;
constexpr int16_t kept = -0x96;
constexpr int16_t wrong_code = -0x97;
constexpr int16_t locked = -0x98;
constexpr int16_t not_presented = -0x99;
constexpr int16_t no_card = -0x89;  // a card command with the slot empty

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

// T 00 zone AH AL 00 count: the memory cards' reads, erases and the other commands that count bytes.
inline Bytes counted(uint8_t command, uint8_t type, int address, int count, uint8_t zone = 0) {
    return command_frame(command, {type, 0, zone, static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address), 0,
                                   static_cast<uint8_t>(count)});
}

// T 00 zone AH AL data: their writes, code presentations and fuse frames.
inline Bytes with_data(uint8_t command, uint8_t type, int address, const uint8_t* data, size_t n, uint8_t zone = 0) {
    Bytes body{type, 0, zone, static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address)};
    body.insert(body.end(), data, data + n);
    return command_frame(command, body);
}
inline Bytes with_data(uint8_t command, uint8_t type, int address, const Bytes& data, uint8_t zone = 0) {
    return with_data(command, type, address, data.data(), data.size(), zone);
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

    // A fresh card of the family, its image changed first if asked; the log starts empty.
    Bytes use_card(const std::string& family, const std::function<void(Bytes&)>& change = {}) {
        vr.insert_card(family);
        Bytes image = vr.card_contents();
        if (change) {
            change(image);
            vr.load_card_contents(image);
        }
        vr.clear_log();
        return image;
    }

    // Cards whose image is too large for the control channel's hex text (the flash cards, where it
    // would take seconds): the image goes in and out through the card's contents file, loaded on
    // insert and written by "save".
    std::string image_file(const std::string& family) const { return vr.directory() + "/" + family + ".bin"; }
    void load_image_file(const std::string& family, const Bytes& image) {
        std::ofstream(image_file(family), std::ios::binary)
            .write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
        vr.insert_card(family + ":" + image_file(family));
        vr.clear_log();
    }
    Bytes saved_image(const std::string& family) {
        vr.expect_ok("save");
        std::ifstream in(image_file(family), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    VirtualReaderProcess vr;
    int32_t handle = -1;
};

}  // namespace quillet::test
