// The virtual reader as a daily tool: line pacing, an adapter's latency timer, family names in any case, image sizes in the
// messages, and the check of a --save file before the reader starts.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "emulator/cards/catalog.h"
#include "emulator/core/reader.h"
#include "emulator/serial/adapter_latency.h"
#include "emulator/serial/line_pacing.h"
#include "tests/emulator/frames.h"
#include "tests/emulator/host_port.h"
#include "tests/support/virtual_reader_process.h"

namespace vreader::testing {
namespace {

using quillet::test::VirtualReaderProcess;

TEST(LinePacing, BytesLeaveAtTheByteTimeOfTheRate) {
    LinePacing pacing;
    pacing.enable(true);
    // 12 bytes at 9600 baud take 12.5 ms: the reader answers 13 ms after the last byte came in.
    const auto start = pacing.frame_arrival(1000, 12, 9600);
    EXPECT_EQ(start, 1013u);
    pacing.begin(start, 9600);
    EXPECT_EQ(pacing.due(149, start), 0u);
    EXPECT_EQ(pacing.next_due(0), start + 2);  // 1.04 ms, rounded up
    EXPECT_EQ(pacing.due(149, start + 2), 1u);
    EXPECT_EQ(pacing.due(149, start + 100), 96u);
    EXPECT_LT(pacing.due(149, start + 155), 149u);  // 149 bytes take 155.2 ms
    EXPECT_EQ(pacing.due(149, start + 156), 149u);
    EXPECT_EQ(pacing.due(149, start + 5000), 149u);

    pacing.begin(start, 115200);  // 11.52 bytes a millisecond
    EXPECT_EQ(pacing.due(149, start + 1), 11u);
    EXPECT_EQ(pacing.due(149, start + 13), 149u);
}

TEST(LinePacing, OffSendsEverythingWhenDue) {
    LinePacing pacing;
    EXPECT_EQ(pacing.frame_arrival(1000, 12, 9600), 1000u);
    pacing.begin(1000, 9600);
    EXPECT_EQ(pacing.due(149, 999), 0u);
    EXPECT_EQ(pacing.due(149, 1000), 149u);
    EXPECT_EQ(pacing.next_due(0), 1000u);
}

TEST(LinePacing, AReadTakesItsTransferTimeOverThePseudoTerminal) {
    VirtualReaderProcess vr({"--pace"});
    HostPort host(vr.pty_path(), 9600);
    ASSERT_TRUE(host.is_open());
    // A 12-byte frame asking for 144 bytes of reader memory and its 149-byte reply: 167.7 ms at 9600.
    const auto started = std::chrono::steady_clock::now();
    const Bytes reply = host.exchange(read_memory(0x0000, 144));
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(reply.size(), 149u);
    EXPECT_GE(took, std::chrono::milliseconds(165));
    EXPECT_LT(took, std::chrono::seconds(2));
}

TEST(AdapterLatency, HandsOverOnAGridOfItsPeriod) {
    AdapterLatency latency;
    EXPECT_EQ(latency.handed_over_by(1005), 1005u);  // off: at once
    EXPECT_EQ(latency.reaches_host(1005), 1005u);
    latency.set(16);
    // The tick at 1008 hands over what was on the line by 1007; a byte of 1008 waits for 1024.
    EXPECT_EQ(latency.handed_over_by(1008), 1007u);
    EXPECT_EQ(latency.handed_over_by(1023), 1007u);
    EXPECT_EQ(latency.handed_over_by(1024), 1023u);
    EXPECT_EQ(latency.reaches_host(1007), 1008u);
    EXPECT_EQ(latency.reaches_host(1008), 1024u);
}

uint64_t phase_on_grid(uint64_t at_ms, uint64_t period) { return at_ms % period; }

// Behind a 16 ms adapter each reply comes whole on the adapter's grid, even a short one after a wait; the steady clock the
// reader's grid runs on is the one this process reads.
TEST(AdapterLatency, RepliesReachTheHostOnTheGrid) {
    VirtualReaderProcess vr({"--latency", "16"});
    HostPort host(vr.pty_path(), 9600);
    ASSERT_TRUE(host.is_open());
    const Bytes expected = reply_frame(0, vr.read_memory(0x0000, 16));
    std::vector<uint64_t> phases, waits;
    for (int i = 0; i < 15; ++i) {
        ASSERT_EQ(host.exchange(read_memory(0x0000, 16)), expected);
        ASSERT_EQ(host.arrivals().size(), 1u) << "one burst";
        phases.push_back(phase_on_grid(host.arrivals()[0].at_ms, 16));
        waits.push_back(host.arrivals()[0].at_ms - host.sent_ms());
    }
    std::sort(phases.begin(), phases.end());
    std::sort(waits.begin(), waits.end());
    EXPECT_LE(phases[phases.size() / 2], 2u) << "most replies come just after a tick";
    // The next frame goes out just after a tick, and its reply waits for the one after.
    EXPECT_GE(waits[waits.size() / 2], 8u);
    EXPECT_LE(waits[waits.size() / 2], 18u);
}

// Paced at 9600 (1.04 ms a byte), a 69-byte reply of 72 ms comes in a handful of bursts, not
// byte by byte, and no sooner than the line allows.
TEST(AdapterLatency, APacedReplyComesInBursts) {
    VirtualReaderProcess vr({"--pace", "--latency", "16"});
    HostPort host(vr.pty_path(), 9600);
    ASSERT_TRUE(host.is_open());
    const Bytes reply = host.exchange(read_memory(0x0000, 64));
    ASSERT_EQ(reply.size(), 69u);
    const auto& pieces = host.arrivals();
    EXPECT_GE(pieces.size(), 3u);
    EXPECT_LE(pieces.size(), 7u);
    for (size_t i = 1; i + 1 < pieces.size(); ++i) EXPECT_GE(pieces[i].bytes, 8u) << "piece " << i;
    EXPECT_GE(pieces.back().at_ms - host.sent_ms(), 72u + 12u);  // the frame's own 12.5 ms, then the reply
}

TEST(Catalog, FamilyNamesInAnyCase) {
    const auto wanted = parse_card_spec("AT88SC153:Card.BIN");
    ASSERT_TRUE(wanted);
    EXPECT_EQ(wanted->family, "at88sc153");
    EXPECT_EQ(wanted->file, "Card.BIN");  // file names keep their case
    const auto card = make_card("Sle4442");
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->family(), "sle4442");
    EXPECT_EQ(make_card("SLE4442X"), nullptr);
}

class ContentsFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("vreader-files-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                std::to_string(reinterpret_cast<uintptr_t>(this)));
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string file(const std::string& name, size_t size) const {
        const auto path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary) << std::string(size, '\xA5');
        return path;
    }
    std::filesystem::path dir_;
};

TEST_F(ContentsFiles, AWrongSizeNamesTheFamilysSize) {
    const auto loaded = load_card({"sle4442", file("wrong.bin", 300)});
    EXPECT_EQ(loaded.card, nullptr);
    EXPECT_NE(loaded.error.find("(300 bytes)"), std::string::npos) << loaded.error;
    EXPECT_NE(loaded.error.find("image is 264 bytes"), std::string::npos) << loaded.error;
    const auto eeprom = load_card({"24c02", file("long.bin", 257)});
    EXPECT_NE(eeprom.error.find("image is up to 256 bytes"), std::string::npos) << eeprom.error;
    EXPECT_NE(load_card({"24c02", file("short.bin", 16)}).card, nullptr);  // fills the card from byte 0
    EXPECT_NE(load_card({"at88sc153", file("right.bin", 257)}).card, nullptr);
}

// A file the user may not read is still there: as a new card its contents would be lost on the
// first save. Root reads it all the same (make test runs the suite as nobody).
TEST_F(ContentsFiles, AFileThatIsThereButUnreadableIsRefused) {
    const std::string unreadable = file("unreadable.bin", 264);
    std::filesystem::permissions(unreadable, std::filesystem::perms::owner_write);
    const bool readable = std::ifstream(unreadable).is_open();  // to root it is
    const auto loaded = load_card({"sle4442", unreadable});
    EXPECT_EQ(loaded.card != nullptr, readable) << loaded.error;
    EXPECT_EQ(loaded.error.find("cannot read") != std::string::npos, !readable) << loaded.error;
    // A link to a file still to be made is a new card, whose first save makes the file.
    std::filesystem::create_symlink("later.bin", dir_ / "card.bin");
    EXPECT_NE(load_card({"sle4442", (dir_ / "card.bin").string()}).card, nullptr);
}

TEST_F(ContentsFiles, ASaveFileIsTriedBeforeTheReaderStarts) {
    std::string why;
    EXPECT_FALSE(can_save_card_contents((dir_ / "missing" / "card.bin").string(), why));
    EXPECT_NE(why.find("cannot write"), std::string::npos);
    EXPECT_FALSE(can_save_card_contents(dir_.string(), why));
    EXPECT_NE(why.find("is a directory"), std::string::npos);
    EXPECT_TRUE(can_save_card_contents((dir_ / "card.bin").string(), why)) << why;
    EXPECT_TRUE(std::filesystem::is_empty(dir_));  // the trial leaves nothing behind
}

// A link planted where a fixed temporary name would be is never followed, and the card's file
// is replaced as a whole.
TEST_F(ContentsFiles, ASaveNeverWritesThroughANameBesideTheFile) {
    const std::string card_file = (dir_ / "card.bin").string();
    const std::string victim = file("victim", 4);
    std::filesystem::create_symlink(victim, card_file + ".tmp");
    const auto card = make_card("sle4442");
    ASSERT_TRUE(save_card_contents(*card, card_file));
    EXPECT_EQ(std::filesystem::file_size(victim), 4u);
    EXPECT_TRUE(std::filesystem::is_symlink(card_file + ".tmp"));
    EXPECT_FALSE(std::filesystem::is_symlink(card_file));
    EXPECT_EQ(load_card({"sle4442", card_file}).card->contents(), card->contents());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 3) << "a temporary file was left";
}

// A card file that is a link (to a file of the same name elsewhere, say) stays a link: the
// contents go where it leads, with that file's permissions kept.
TEST_F(ContentsFiles, ASymbolicLinkIsSavedThroughToItsTarget) {
    std::filesystem::create_directories(dir_ / "images");
    const std::string target = file("images/real.bin", 264);
    using std::filesystem::perms;
    std::filesystem::permissions(target, perms::owner_read | perms::owner_write | perms::group_read);
    const std::string link = (dir_ / "card.bin").string();
    std::filesystem::create_symlink("images/real.bin", link);
    std::string why;
    EXPECT_TRUE(can_save_card_contents(link, why)) << why;
    const auto card = make_card("sle4442");
    ASSERT_TRUE(save_card_contents(*card, link));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(load_card({"sle4442", target}).card->contents(), card->contents());
    EXPECT_EQ(std::filesystem::status(target).permissions(), perms::owner_read | perms::owner_write | perms::group_read);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_ / "images"), {}), 1) << "a temporary file was left";
}

}  // namespace
}  // namespace vreader::testing
