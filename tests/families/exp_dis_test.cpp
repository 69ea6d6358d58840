// Instruction files against the virtual reader: every command of the families in the build runs
// through exp_dis with the same frames as the direct export calls, the default-length rule, the
// 24C64 transfers in pieces, and the ways a failing instruction ends the run.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "quillet.h"
#include "tests/families/t1_blocks.h"
#include "tests/support/card_session.h"
#include "tests/support/working_directory.h"

namespace {

using namespace quillet::test;

constexpr int16_t refused = 254;

Bytes slice(const Bytes& b, size_t from, size_t count) {
    return Bytes(b.begin() + static_cast<std::ptrdiff_t>(from), b.begin() + static_cast<std::ptrdiff_t>(from + count));
}

// A data block of the instruction file holding these bytes.
std::string data_block(const Bytes& bytes) {
    std::string text = "{";
    for (size_t i = 0; i < bytes.size(); ++i) text += (i == 0 ? " " : ", ") + std::to_string(bytes[i]);
    return text + " }";
}

class InstructionFile : public quillet::test::CardSession {
protected:
    InstructionFile() : CardSession("sle4442") {}
    void SetUp() override {
        ASSERT_TRUE(cwd.ready());
        CardSession::SetUp();
    }

    int16_t run(const std::string& instructions) {
        write_file("job.ins", instructions);
        vr.clear_log();
        index = -1;
        return exp_dis(handle, "job.ins", &index);
    }

    // Runs the instructions, then puts the card's contents back and makes the same calls directly:
    // the reader must see the same frames. direct() also checks the output files.
    // Instructions that only read leave nothing to put back (restore false spares the round trip
    // of a large card's image).
    void expect_same_frames(const std::string& instructions, const std::function<void()>& direct, bool restore = true) {
        const Bytes image = restore ? vr.card_contents() : Bytes{};
        ASSERT_EQ(run(instructions), 0) << "instruction " << index << " failed";
        const std::vector<Bytes> through_file = vr.host_frames();
        EXPECT_FALSE(through_file.empty());
        if (restore) vr.load_card_contents(image);
        vr.clear_log();
        direct();
        EXPECT_EQ(vr.host_frames(), through_file);
    }

    bool exists(const std::string& name) const { return std::filesystem::exists(name); }

    TemporaryWorkingDirectory cwd;
    int16_t index = -1;
};

TEST_F(InstructionFile, Sle4442AndSle4432Commands) {
    const Bytes image = vr.card_contents();
    write_file("b31.bin", slice(image, 31, 1));
    expect_same_frames(R"(
        csc_4442(dev, 3) { 0xFF, 0xFF, 0xFF }
        swr_4442(dev, 0x40, 4) { "AB", 0x43, 'D' }
        srd_4442(dev, 0x40, 4, "main.bin/wb") { }
        wsc_4442(dev, 3) { (0xFF)*3 }
        rsc_4442(dev, 3, "code.bin") { }
        rsct_4442(dev, "counter.bin") { }
        pwr_4442(dev, 31, 1) { <b31.bin> }
        prd_4442(dev, 4, "prot.bin") { }
        CHK_4442x(dev) { }
        swr_4432(dev, 0x50, 2) { 1, 2 }
        srd_4432(dev, 0x50, 2, "b.bin") { }
        pwr_4432(dev, 31, 1) { <b31.bin> }
        prd_4432(dev, 4, "prot2.bin") { }
        chk_4432(dev) { })",
                       [&] {
                           const uint8_t code[3] = {0xFF, 0xFF, 0xFF};
                           uint8_t buf[8] = {};
                           int16_t count = 0;
                           EXPECT_EQ(csc_4442(handle, 3, code), 0);
                           EXPECT_EQ(swr_4442(handle, 0x40, 4, reinterpret_cast<const uint8_t*>("ABCD")), 0);
                           EXPECT_EQ(srd_4442(handle, 0x40, 4, buf), 0);
                           EXPECT_EQ(file_bytes("main.bin"), (Bytes{'A', 'B', 'C', 'D'}));
                           EXPECT_EQ(wsc_4442(handle, 3, code), 0);
                           EXPECT_EQ(rsc_4442(handle, 3, buf), 0);
                           EXPECT_EQ(file_bytes("code.bin"), Bytes(buf, buf + 3));
                           EXPECT_EQ(rsct_4442(handle, &count), 0);
                           EXPECT_EQ(file_bytes("counter.bin"),
                                     (Bytes{static_cast<uint8_t>(count), static_cast<uint8_t>(count >> 8)}));
                           EXPECT_EQ(pwr_4442(handle, 31, 1, &image[31]), 0);
                           EXPECT_EQ(prd_4442(handle, 4, buf), 0);
                           EXPECT_EQ(file_bytes("prot.bin"), Bytes(buf, buf + 4));
                           EXPECT_EQ(chk_4442(handle), 0);
                           const uint8_t two[2] = {1, 2};
                           EXPECT_EQ(swr_4432(handle, 0x50, 2, two), 0);
                           EXPECT_EQ(srd_4432(handle, 0x50, 2, buf), 0);
                           EXPECT_EQ(file_bytes("b.bin"), (Bytes{1, 2}));
                           EXPECT_EQ(pwr_4432(handle, 31, 1, &image[31]), 0);
                           EXPECT_EQ(prd_4432(handle, 4, buf), 0);
                           EXPECT_EQ(file_bytes("prot2.bin"), Bytes(buf, buf + 4));
                           EXPECT_EQ(chk_4432(handle), 0);
                       });
}

TEST_F(InstructionFile, Sle4428AndSle4418Commands) {
    vr.insert_card("sle4428");
    expect_same_frames(R"(
        csc_4428(dev, 2) { 0xFF, 0xFF }
        swr_4428(dev, 100, 3) { "xyz" }
        srd_4428(dev, 100, 3, "main.bin") { }
        wrwpb_4428(dev, 200, 2) { 9, 8 }
        rdwpb_4428(dev, 199, 4, "pairs.bin") { }
        pwr_4428(dev, 100, 1) { "x" }
        wsc_4428(dev, 2) { 0xFF, 0xFF }
        rsc_4428(dev, 2, "code.bin") { }
        rsct_4428(dev, "counter.bin") { }
        chk_4428(dev) { })",
                       [&] {
                           const uint8_t code[2] = {0xFF, 0xFF};
                           uint8_t buf[8] = {};
                           int16_t count = 0;
                           EXPECT_EQ(csc_4428(handle, 2, code), 0);
                           EXPECT_EQ(swr_4428(handle, 100, 3, reinterpret_cast<const uint8_t*>("xyz")), 0);
                           EXPECT_EQ(srd_4428(handle, 100, 3, buf), 0);
                           EXPECT_EQ(file_bytes("main.bin"), (Bytes{'x', 'y', 'z'}));
                           const uint8_t two[2] = {9, 8};
                           EXPECT_EQ(wrwpb_4428(handle, 200, 2, two), 0);
                           EXPECT_EQ(rdwpb_4428(handle, 199, 4, buf), 0);
                           EXPECT_EQ(file_bytes("pairs.bin"), Bytes(buf, buf + 8)) << "two bytes per address";
                           EXPECT_EQ(pwr_4428(handle, 100, 1, reinterpret_cast<const uint8_t*>("x")), 0);
                           EXPECT_EQ(wsc_4428(handle, 2, code), 0);
                           EXPECT_EQ(rsc_4428(handle, 2, buf), 0);
                           EXPECT_EQ(file_bytes("code.bin"), Bytes(buf, buf + 2));
                           EXPECT_EQ(rsct_4428(handle, &count), 0);
                           EXPECT_EQ(file_bytes("counter.bin"), (Bytes{static_cast<uint8_t>(count), 0}));
                           EXPECT_EQ(chk_4428(handle), 0);
                       });

    vr.insert_card("sle4418");
    expect_same_frames(R"(
        swr_4418(dev, 1020, 4) { 1, 2, 3, 4 }
        srd_4418(dev, 1020, 0, "main.bin") { }
        wrwpb_4418(dev, 10, 1) { 7 }
        rdwpb_4418(dev, 10, 1, "pair.bin") { }
        pwr_4418(dev, 1020, 1) { 1 }
        chk_4418(dev) { })",
                       [&] {
                           uint8_t buf[8] = {};
                           const uint8_t four[4] = {1, 2, 3, 4};
                           EXPECT_EQ(swr_4418(handle, 1020, 4, four), 0);
                           EXPECT_EQ(srd_4418(handle, 1020, 4, buf), 0);
                           EXPECT_EQ(file_bytes("main.bin"), Bytes(four, four + 4));
                           const uint8_t seven = 7;
                           EXPECT_EQ(wrwpb_4418(handle, 10, 1, &seven), 0);
                           EXPECT_EQ(rdwpb_4418(handle, 10, 1, buf), 0);
                           EXPECT_EQ(file_bytes("pair.bin"), Bytes(buf, buf + 2));
                           EXPECT_EQ(pwr_4418(handle, 1020, 1, four), 0);
                           EXPECT_EQ(chk_4418(handle), 0);
                       });
}

TEST_F(InstructionFile, I2cEepromCommands) {
    struct Size {
        const char* card;
        const char* suffix;
        int capacity;
        int16_t (*read)(int32_t, int16_t, int16_t, uint8_t*) noexcept;
        int16_t (*write)(int32_t, int16_t, int16_t, const uint8_t*) noexcept;
        int16_t (*check)(int32_t) noexcept;
    };
    const Size sizes[] = {
        {"24c01a", "24c01a", 128, srd_24c01a, swr_24c01a, chk_24c01a},
        {"24c02", "24c02", 256, srd_24c02, swr_24c02, chk_24c02},
        {"24c04", "24c04", 512, srd_24c04, swr_24c04, chk_24c04},
        {"24c08", "24c08", 1024, srd_24c08, swr_24c08, chk_24c08},
        {"24c16", "24c16", 2048, srd_24c16, swr_24c16, chk_24c16},
        {"24c64", "24c64", 8192, srd_24c64, swr_24c64, chk_24c64},
    };
    for (const Size& s : sizes) {
        SCOPED_TRACE(s.card);
        vr.insert_card(s.card);
        const std::string suffix = s.suffix;
        const int16_t last = static_cast<int16_t>(s.capacity - 5);
        expect_same_frames("swr_" + suffix + "(dev, " + std::to_string(last) + ", -1) { (0x5A)*9 }\n" + "srd_" +
                               suffix + "(dev, " + std::to_string(last) + ", 0, \"tail.bin\") { }\n" + "chk_" + suffix +
                               "(dev) { }",
                           [&] {
                               const Bytes five(5, 0x5A);
                               uint8_t buf[5] = {};
                               EXPECT_EQ(s.write(handle, last, 5, five.data()), 0) << "cut at the end of the card";
                               EXPECT_EQ(s.read(handle, last, 5, buf), 0);
                               EXPECT_EQ(file_bytes("tail.bin"), five);
                               EXPECT_EQ(s.check(handle), 0);
                           });
    }
}

TEST_F(InstructionFile, ThreeWireCommands) {
    vr.insert_card("93c46a");
    expect_same_frames(R"(
        swr_93c46a(dev, 60, 2) { 1, 2, 3, 4 }
        srd_93c46a(dev, 54, 10, "words.bin") { }
        chk_93c46a(dev) { }
        eral_93c46a(dev) { })",
                       [&] {
                           const uint8_t four[4] = {1, 2, 3, 4};
                           uint8_t buf[20] = {};
                           EXPECT_EQ(swr_93c46a(handle, 60, 2, four), 0);
                           EXPECT_EQ(srd_93c46a(handle, 54, 10, buf), 0);
                           EXPECT_EQ(file_bytes("words.bin"), Bytes(buf, buf + 20)) << "10 words, 20 bytes";
                           EXPECT_EQ(chk_93c46a(handle), 0);
                           EXPECT_EQ(eral_93c46a(handle), 0);
                       });
    vr.insert_card("93c46");
    expect_same_frames(R"(
        swr_93c46(dev, 0, 3) { "abc" }
        srd_93c46(dev, 0, 3, "b.bin") { }
        chk_93c46(dev) { }
        eral_93c46(dev) { })",
                       [&] {
                           uint8_t buf[3] = {};
                           EXPECT_EQ(swr_93c46(handle, 0, 3, reinterpret_cast<const uint8_t*>("abc")), 0);
                           EXPECT_EQ(srd_93c46(handle, 0, 3, buf), 0);
                           EXPECT_EQ(file_bytes("b.bin"), (Bytes{'a', 'b', 'c'}));
                           EXPECT_EQ(chk_93c46(handle), 0);
                           EXPECT_EQ(eral_93c46(handle), 0);
                       });
}

TEST_F(InstructionFile, FlashSecurityAndProcessorCards) {
    const Bytes select_card_number = t1_block(0, 0x00, {0x00, 0xA4, 0x00, 0x0C, 0x02, 0x2F, 0x02});
    const Bytes read_card_number = t1_block(0, 0x40, {0x00, 0xB0, 0x00, 0x00, 0x0A});
    struct Family {
        const char* card;
        std::string instructions;
        std::function<void()> direct;
        bool restore = true;
    };
    const Family families[] = {
        {"at45d041",
         // 3000 bytes from page 3 offset 200: 2100 bytes there, then 900 at page 11 offset 188
         R"(srd_45d041(dev, 3, 200, 3000, "flash.bin") { }
            rdstrg_45d041(dev, "status.bin") { }
            chk_45d041(dev) { })",
         [&] {
             Bytes buf(3000);
             EXPECT_EQ(srd_45d041(handle, 3, 200, 2100, buf.data()), 0);
             EXPECT_EQ(srd_45d041(handle, 11, 188, 900, buf.data() + 2100), 0);
             EXPECT_EQ(file_bytes("flash.bin"), buf);
             uint8_t status = 0;
             EXPECT_EQ(rdstrg_45d041(handle, &status), 0);
             EXPECT_EQ(file_bytes("status.bin"), (Bytes{status}));
             EXPECT_EQ(chk_45d041(handle), 0);
         },
         false},
        {"sle4404",
         R"(csc_4404(dev, 2) { 0xFF, 0xFF }
            swr_4404(dev, 20, 2) { 0x12, 0x34 }
            srd_4404(dev, 20, 0, "user.bin") { }
            rsc_4404(dev, 2, "code.bin") { }
            rsct_4404(dev, "counter.bin") { }
            chk_4404(dev) { })",
         [&] {
             const uint8_t code[2] = {0xFF, 0xFF};
             const uint8_t two[2] = {0x12, 0x34};
             uint8_t buf[32] = {};
             int16_t count = -1;
             EXPECT_EQ(csc_4404(handle, 2, code), 0);
             EXPECT_EQ(swr_4404(handle, 20, 2, two), 0);
             EXPECT_EQ(srd_4404(handle, 20, 32, buf), 0) << "up to the end of the card's 52 bytes";
             EXPECT_EQ(file_bytes("user.bin"), Bytes(buf, buf + 32));
             EXPECT_EQ(rsc_4404(handle, 2, buf), 0);
             EXPECT_EQ(file_bytes("code.bin"), Bytes(buf, buf + 2));
             EXPECT_EQ(rsct_4404(handle, &count), 0);
             EXPECT_EQ(file_bytes("counter.bin"),
                       (Bytes{static_cast<uint8_t>(count), static_cast<uint8_t>(count >> 8)}));
             EXPECT_EQ(chk_4404(handle), 0);
         }},
        {"sle4406",
         R"(csc_4406(dev, 3) { (0xFF)*3 }
            srd_4406(dev, 0, 0, "card.bin") { }
            rsct_4406(dev, "counter.bin") { }
            chk_4406(dev) { })",
         [&] {
             const uint8_t code[3] = {0xFF, 0xFF, 0xFF};
             uint8_t buf[13] = {};
             int16_t count = -1;
             EXPECT_EQ(csc_4406(handle, 3, code), 0);
             EXPECT_EQ(srd_4406(handle, 0, 13, buf), 0);
             EXPECT_EQ(file_bytes("card.bin"), Bytes(buf, buf + 13));
             EXPECT_EQ(rsct_4406(handle, &count), 0);
             EXPECT_EQ(file_bytes("counter.bin"),
                       (Bytes{static_cast<uint8_t>(count), static_cast<uint8_t>(count >> 8)}));
             EXPECT_EQ(chk_4406(handle), 0);
         }},
        {"at88sc102",
         R"(srd_102(dev, 1, 0, 0, "zone1.bin") { }
            rsct_102(dev, "counter.bin") { }
            chk_102(dev) { })",
         [&] {
             uint8_t buf[70] = {};
             int16_t count = -1;
             EXPECT_EQ(srd_102(handle, 1, 0, 70, buf), 0) << "the whole of zone 1";
             EXPECT_EQ(file_bytes("zone1.bin"), Bytes(buf, buf + 70));
             EXPECT_EQ(rsct_102(handle, &count), 0);
             EXPECT_EQ(file_bytes("counter.bin"),
                       (Bytes{static_cast<uint8_t>(count), static_cast<uint8_t>(count >> 8)}));
             EXPECT_EQ(chk_102(handle), 0);
         }},
        {"at88sc1604",
         R"(srd_1604(dev, 2, 10, 16, "zone2.bin") { }
            chk_1604(dev) { })",
         [&] {
             uint8_t buf[16] = {};
             EXPECT_EQ(srd_1604(handle, 2, 10, 16, buf), 0);
             EXPECT_EQ(file_bytes("zone2.bin"), Bytes(buf, buf + 16));
             EXPECT_EQ(chk_1604(handle), 0);
         }},
        {"cpu",
         "cpu_reset(dev, \"atr.bin\") { }\n"
         "cpu_protocol(dev, 0, \"select.bin\") " +
             data_block(select_card_number) + "\n" + "cpu_protocol(dev, -1, \"number.bin\") " +
             data_block(read_card_number),
         [&] {
             Bytes answer(QL_CPU_ANSWER_MAX, 0xEE);
             EXPECT_EQ(cpu_reset(handle, answer.data()), 0);
             EXPECT_EQ(file_bytes("atr.bin"), quillet::test::factory_atr) << "the answer without the fillers";
             Bytes response(QL_CPU_RESPONSE_MAX);
             EXPECT_EQ(cpu_protocol(handle, static_cast<int16_t>(select_card_number.size()), select_card_number.data(),
                                    response.data()),
                       0);
             EXPECT_EQ(slice(file_bytes("select.bin"), 0, 5), (Bytes{0, 0, 2, 0x90, 0x00}));
             EXPECT_EQ(cpu_protocol(handle, static_cast<int16_t>(read_card_number.size()), read_card_number.data(),
                                    response.data()),
                       0);
             const Bytes number = file_bytes("number.bin");
             ASSERT_EQ(number.size(), 3u + 12u + 1u) << "NAD PCB LEN, the INF and one byte more";
             EXPECT_EQ(slice(number, 0, 15), slice(response, 0, 15));
             EXPECT_EQ(slice(number, 3, 12), (Bytes{0x51, 0x56, 0x43, 0, 0, 0, 0, 0, 0, 0x01} + quillet::test::sw_ok));
         }},
    };
    for (const Family& f : families) {
        SCOPED_TRACE(f.card);
        vr.insert_card(f.card);
        expect_same_frames(f.instructions, f.direct, f.restore);
    }

    // A zone the command does not have: refused before the card is touched.
    for (const char* refused_zone : {R"(srd_1604(dev, 5, 0, 4, "z.bin") { })", "swr_102(dev, 3, 0, 1) { 1 }"}) {
        EXPECT_EQ(run(refused_zone), QL_BAD_ADDRESS) << refused_zone;
        EXPECT_EQ(index, 0);
        EXPECT_TRUE(vr.host_frames().empty());
        EXPECT_FALSE(exists("z.bin"));
    }

    // Every name that begins with eswc_440 makes a counter step.
    vr.insert_card("sle4406");
    const int16_t through_file = run("eswc_4405(dev, 8) { }");
    const std::vector<Bytes> frames = vr.host_frames();
    EXPECT_EQ(sent_by([&] { return eswc_4406(handle, 8); }, through_file), frames);
    EXPECT_EQ(frames.size(), 1u);
}

TEST_F(InstructionFile, ReaderCommands) {
    expect_same_frames(R"(
        srd_ver(dev, 10, "version.bin") { }
        set_baud(dev, 115200) { }
        swr_dvsc(dev, 3) { 1, 2, 3 }
        cmp_dvsc(dev, 3) { 1, 2, 3 }
        srd_dvsc(dev, 3, "device.bin") { }
        setsc_md(dev, 1) { }
        get_status(dev, "state.bin") { }
        turn_on(dev) { }
        turn_off(dev) { }
        auto_pull(dev) { }
        swr_eeprom(dev, 10, 0) { "hello" }
        srd_eeprom(dev, 10, 5, "user.bin") { }
        srd_snr(dev, 16, "serial.bin") { }
        dv_beep(dev, 1) { })",
                       [&] {
                           uint8_t buf[16] = {};
                           int16_t state = -1;
                           const uint8_t device[3] = {1, 2, 3};
                           EXPECT_EQ(srd_ver(handle, 10, buf), 0);
                           EXPECT_EQ(file_bytes("version.bin"), Bytes(buf, buf + 10));
                           EXPECT_EQ(set_baud(handle, 115200), 0);
                           EXPECT_EQ(swr_dvsc(handle, 3, device), 0);
                           EXPECT_EQ(cmp_dvsc(handle, 3, device), 0);
                           EXPECT_EQ(srd_dvsc(handle, 3, buf), 0);
                           EXPECT_EQ(file_bytes("device.bin"), Bytes(device, device + 3));
                           EXPECT_EQ(setsc_md(handle, 1), 0);
                           EXPECT_EQ(get_status(handle, &state), 0);
                           EXPECT_EQ(file_bytes("state.bin"), (Bytes{static_cast<uint8_t>(state), 0}));
                           EXPECT_EQ(turn_on(handle), 0);
                           EXPECT_EQ(turn_off(handle), 0);
                           EXPECT_EQ(auto_pull(handle), 0);
                           EXPECT_EQ(swr_eeprom(handle, 10, 5, reinterpret_cast<const uint8_t*>("hello")), 0);
                           EXPECT_EQ(srd_eeprom(handle, 10, 5, buf), 0);
                           EXPECT_EQ(file_bytes("user.bin"), (Bytes{'h', 'e', 'l', 'l', 'o'}));
                           EXPECT_EQ(srd_snr(handle, 16, buf), 0);
                           EXPECT_EQ(file_bytes("serial.bin"), Bytes(buf, buf + 16));
                           EXPECT_EQ(dv_beep(handle, 1), 0);
                       });
}

TEST_F(InstructionFile, DefaultLengthRule) {
    vr.insert_card("24c02");
    const Bytes image = pattern(256, 3, 7);
    vr.load_card_contents(image);

    // Count 0 and an empty block: up to the end of the area.
    ASSERT_EQ(run(R"(srd_24c02(dev, 16, 0, "rest.bin") { })"), 0);
    EXPECT_EQ(file_bytes("rest.bin"), slice(image, 16, 240));

    // Count -1: the block, but no further than the end of the area.
    ASSERT_EQ(run("swr_24c02(dev, 0, -1) { (0x5A)*300 }"), 0);
    EXPECT_EQ(vr.card_contents(), Bytes(256, 0x5A));
    ASSERT_EQ(run("swr_24c02(dev, 250, -1) { 1, 2, 3 }"), 0);
    EXPECT_EQ(slice(vr.card_contents(), 249, 5), (Bytes{0x5A, 1, 2, 3, 0x5A}));

    // Count 0 with data: all of the block, which the export finds too long.
    EXPECT_EQ(run("swr_24c02(dev, 0, 0) { (0x5A)*300 }"), -143);
    EXPECT_EQ(index, 0);
    EXPECT_TRUE(vr.host_frames().empty());

    // A count given is used as it is; the rest of the block stays unused.
    ASSERT_EQ(run("swr_24c02(dev, 8, 2) { 7, 7, 7, 7 }"), 0);
    EXPECT_EQ(slice(vr.card_contents(), 7, 4), (Bytes{0x5A, 7, 7, 0x5A}));

    // An empty block leaves the ten marker bytes: too few for 256.
    EXPECT_EQ(run("swr_4442(dev, 0, 0) { }"), refused);
    EXPECT_EQ(index, 0);
    EXPECT_TRUE(vr.host_frames().empty());
}

TEST_F(InstructionFile, TransfersBeyondTheWorkingBufferGoInPieces24C64) {
    vr.insert_card("24c64");
    const Bytes image = pattern(8192, 11, 7);
    vr.load_card_contents(image);

    ASSERT_EQ(run(R"(srd_24c64(dev, 100, 4200, "p.bin") { })"), 0);
    EXPECT_EQ(file_bytes("p.bin"), slice(image, 100, 4200));
    const std::vector<Bytes> pieces = vr.host_frames();
    vr.clear_log();
    Bytes buf(2100);
    ASSERT_EQ(srd_24c64(handle, 100, 2100, buf.data()), 0);
    ASSERT_EQ(srd_24c64(handle, 2200, 2100, buf.data()), 0);
    EXPECT_EQ(vr.host_frames(), pieces) << "two calls of 2100 bytes at #1 and #1 + 2100";

    ASSERT_EQ(run(R"(srd_24c64(dev, 0, 2101, "q.bin") { })"), 0);
    EXPECT_EQ(file_bytes("q.bin"), slice(image, 0, 2101));
    EXPECT_EQ(vr.host_frames().size(), 15u + 1u) << "2100 bytes in 15 frames, then 1";

    const Bytes data = pattern(4500, 77, 7);
    write_file("image.bin", data);
    ASSERT_EQ(run("swr_24c64(dev, 3000, 0) { <image.bin> }"), 0);
    EXPECT_EQ(slice(vr.card_contents(), 3000, 4500), data);

    // The second piece runs past the card: its status ends the run, and the file goes.
    EXPECT_EQ(run(R"(srd_24c64(dev, 5000, 4200, "r.bin") { })"), -143);
    EXPECT_FALSE(exists("r.bin"));
    EXPECT_FALSE(vr.host_frames().empty()) << "the first piece was read";
}

TEST_F(InstructionFile, FailedIndexAndFailurePaths) {
    // The third instruction's command fails: its status, index 2, the earlier ones took effect.
    EXPECT_EQ(run(R"(
        csc_4442(dev, 3) { 0xFF, 0xFF, 0xFF }
        swr_4442(dev, 0x40, 1) { 0x11 }
        srd_4442(dev, 300, 1, "never.bin") { }
        swr_4442(dev, 0x41, 1) { 0x22 })"),
              -144);
    EXPECT_EQ(index, 2);
    EXPECT_EQ(vr.card_contents()[0x40], 0x11);
    EXPECT_NE(vr.card_contents()[0x41], 0x22);
    EXPECT_FALSE(exists("never.bin"));

    // A syntax error in the third instruction: 254, index 0, after the first two ran.
    EXPECT_EQ(run(R"(
        swr_4442(dev, 0x42, 1) { 0x33 }
        turn_on(dev) { }
        swr_4442(dev, 0x43, 1) { (1) *2 })"),
              refused);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(vr.card_contents()[0x42], 0x33);

    // The reader refuses a read: its status, and the output file is removed.
    vr.set_fault(Fault::status(0x96));
    EXPECT_EQ(run(R"(srd_4442(dev, 0, 4, "refused.bin") { })"), -0x96);
    EXPECT_FALSE(exists("refused.bin"));
    EXPECT_FALSE(exists("ins.ins"));
    EXPECT_FALSE(exists("data.tmp"));

    // The output file cannot be opened: 254 before the card is touched.
    EXPECT_EQ(run(R"(srd_4442(dev, 0, 4, "nodir/x.bin") { })"), refused);
    EXPECT_TRUE(vr.host_frames().empty());
}

// Which output files a failed read takes away. A file the caller may write but not read (mode
// 0200) is there all the same: only a caller without root's rights can tell (make test runs the
// suite as nobody).
TEST_F(InstructionFile, AFailedReadRemovesOnlyTheOutputFileItMadeOrEmptied) {
    write_file("kept.bin", "HELD");
    std::filesystem::permissions("kept.bin", std::filesystem::perms::owner_write);
    write_file("emptied.bin", "GONE");
    const auto refused_read = [&](const std::string& output) {
        vr.set_fault(Fault::status(0x96));
        return run("srd_4442(dev, 0, 4, \"" + output + "\") { }");
    };
    EXPECT_EQ(refused_read("kept.bin/ab"), -0x96);
    ASSERT_TRUE(exists("kept.bin")) << "a file opened to append keeps what it held";
    std::filesystem::permissions("kept.bin", std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(file_bytes("kept.bin"), (Bytes{'H', 'E', 'L', 'D'}));
    EXPECT_EQ(refused_read("made.bin/ab"), -0x96);
    EXPECT_FALSE(exists("made.bin")) << "made by the command";
    EXPECT_EQ(refused_read("emptied.bin/wb"), -0x96);
    EXPECT_FALSE(exists("emptied.bin")) << "emptied by the command";
}

TEST_F(InstructionFile, RefusesWhatTheWorkingBufferOrAnArgumentCannotHold) {
    EXPECT_EQ(run(R"(srd_eeprom(dev, 0, 2101, "x.bin") { })"), -143);
    EXPECT_EQ(run("csc_4442(dev, 2101) { (0)*2101 }"), -143);
    EXPECT_EQ(run("csc_4442(dev, -1) { 1, 2, 3 }"), -143) << "a negative byte count";
    EXPECT_EQ(run("swr_4442(dev, 300, 0) { }"), -143) << "a start beyond the area leaves a negative count";
    EXPECT_EQ(run(R"(srd_4442(dev, 65536, 4, "x.bin") { })"), refused) << "would reach the card as address 0";
    EXPECT_EQ(run("dv_beep(dev, 0x10002) { }"), refused);
    EXPECT_TRUE(vr.host_frames().empty());
    EXPECT_FALSE(exists("x.bin"));
}

TEST_F(InstructionFile, DataBlockMayNameTheInstructionText) {
    vr.insert_card("24c02");
    ASSERT_EQ(run("swr_24c02(dev, 0, 9) { <ins.ins> }"), 0);
    const Bytes card = vr.card_contents();
    EXPECT_EQ(std::string(card.begin(), card.begin() + 9), "swr_24c02");
}

}  // namespace
