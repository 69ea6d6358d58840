// What the security memory card tests share: the frames as the reader expects them, the virtual
// cards' refusals as the caller sees them, and a session that can swap or alter the card.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "quillet.h"
#include "tests/support/card_session.h"

namespace quillet::test::security {

class SecuritySession : public CardSession {
protected:
    using CardSession::CardSession;


    // Contacts off and on: the card forgets every code presented.
    void power_cycle() {
        ASSERT_EQ(turn_off(handle), 0);
        ASSERT_EQ(turn_on(handle), 0);
        vr.clear_log();
    }

    // Calls that must fail their argument checks with the expected status and send nothing.
    struct Refused {
        const char* call;
        std::function<int16_t()> run;
        int16_t expected;
    };
    void expect_nothing_sent(const std::vector<Refused>& cases) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.call);
            vr.clear_log();
            EXPECT_EQ(c.run(), c.expected);
            EXPECT_TRUE(vr.host_frames().empty());
        }
    }
};

// The family's card takes its image from a file and writes every change back to it.
inline void expect_contents_kept_in_file(const std::string& family) {
    SCOPED_TRACE(family);
    VirtualReaderProcess probe;
    const std::string file = probe.directory() + "/" + family + ".bin";
    Bytes image = VirtualReaderProcess({"--card", family}).card_contents();
    ASSERT_FALSE(image.empty());
    // Identification and the last byte (the fuse byte of the fused cards) stay as made.
    for (size_t i = 2; i + 1 < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 37 + 5);
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    VirtualReaderProcess filed({"--card", family + ":" + file, "--save"});
    EXPECT_EQ(filed.card_contents(), image);
    image[3] ^= 0xFF;
    filed.load_card_contents(image);
    std::ifstream in(file, std::ios::binary);
    EXPECT_EQ(Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), image);
}

}  // namespace quillet::test::security
