// The control channel's commands, run in-process against a reader.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "emulator/cards/catalog.h"
#include "emulator/control/control_commands.h"
#include "emulator/control/control_server.h"
#include "tests/emulator/frames.h"
#include "tests/emulator/test_card.h"

namespace vreader::testing {
namespace {

class ControlTest : public ::testing::Test {
protected:
    std::string run(const std::string& line) {
        const auto lines = run_control_command(context, line);
        std::string joined;
        for (const auto& l : lines) joined += (joined.empty() ? "" : "\n") + l;
        return joined;
    }
    Reader reader;
    ControlContext context{reader, {}, false};
};

TEST_F(ControlTest, MemoryRoundTripAndRange) {
    EXPECT_EQ(run("mem write 0x0190 51 56 52"), "ok");
    EXPECT_EQ(run("mem read 0x0190 3"), "ok 51 56 52");
    EXPECT_EQ(run("mem write 414 AABB"), "ok");  // 0x019E
    EXPECT_EQ(run("mem read 0x019E 2"), "ok AA BB");
    EXPECT_EQ(run("mem read 0x019F 2").rfind("err", 0), 0u);
    EXPECT_EQ(run("mem write 0x10 ABC").rfind("err", 0), 0u);
    EXPECT_EQ(reader.memory().at(0x10), 0x00);
}

TEST_F(ControlTest, VersionKeepsSpacesAndRateChecksItsValue) {
    EXPECT_EQ(run("version KTV4 READER 1.0"), "ok KTV4 READER 1.0");
    EXPECT_EQ(reader.version(), "KTV4 READER 1.0");
    EXPECT_EQ(run("rate 28800"), "ok 28800");
    EXPECT_EQ(reader.serial_baud(), 28800u);
    EXPECT_EQ(run("rate 14400").rfind("err", 0), 0u);
    EXPECT_EQ(run("parallel byte"), "ok byte");
    EXPECT_EQ(run("link"), "ok 0xf6");
}

TEST_F(ControlTest, FaultsAndLog) {
    EXPECT_EQ(run("fault status 0x86 next 2"), "ok status 0x86 at 1 frames 2");
    EXPECT_EQ(run("fault list").substr(0, 18), "fault status 0x86 ");
    reader.exchange(frame(card_present_query()));
    EXPECT_EQ(run("log"), "> AA B9 00 05 80 00 00 00 00 96\n# refused by the fault plan, not carried out\n< 55 86 00 00 D3\nok 3");
    EXPECT_EQ(run("log clear"), "ok");
    EXPECT_EQ(run("log"), "ok 0");
    EXPECT_EQ(run("fault clear"), "ok");
    EXPECT_EQ(run("fault list"), "ok 0");
    EXPECT_EQ(run("fault nonsense").rfind("err unknown fault kind", 0), 0u);
}

TEST_F(ControlTest, CardsInAndOut) {
    EXPECT_EQ(run("card"), "ok none");
    EXPECT_EQ(run("insert blank"), "ok blank");
    EXPECT_EQ(run("card"), "ok blank");
    EXPECT_EQ(run("contents"), "ok");
    EXPECT_EQ(run("insert nosuchcard").rfind("err unknown card family", 0), 0u);
    EXPECT_EQ(run("card"), "ok blank");  // a failed insert leaves the slot as it was
    EXPECT_EQ(run("remove"), "ok");
    EXPECT_EQ(run("card"), "ok none");
    EXPECT_EQ(run("sam 2 blank"), "ok blank");
    EXPECT_NE(reader.card(2), nullptr);
    EXPECT_EQ(run("sam 6 blank").rfind("err", 0), 0u);
    EXPECT_EQ(run("empty-state 89"), "ok");
    EXPECT_EQ(reader.empty_answer(), EmptyAnswer::status_89);
}

TEST_F(ControlTest, LoadSaveThroughTheCardsImage) {
    reader.insert(0, std::make_unique<TestCard>());
    const std::string image = "00 11 22 33 44 55 66 77 88 99 AA BB CC DD EE FF";
    EXPECT_EQ(run("load " + image), "ok");
    EXPECT_EQ(run("contents"), "ok " + image);
    EXPECT_EQ(run("load 00 11").rfind("err", 0), 0u);
    EXPECT_EQ(run("save").rfind("err", 0), 0u);  // no file named
    const auto file = std::filesystem::temp_directory_path() / ("vreader-control-" + std::to_string(::getpid()));
    context.card_file = file.string();
    EXPECT_EQ(run("save"), "ok " + file.string());
    std::ifstream in(file, std::ios::binary);
    const Bytes saved{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(to_hex(saved), image);
    std::filesystem::remove(file);
}

TEST_F(ControlTest, StatusAndQuit) {
    EXPECT_EQ(run("status"), "ok contacts=off card=none rate=9600 parallel=nibble link=0x04 frames=0 pulls=0 sam=1");
    EXPECT_EQ(run("beeps"), "ok");
    EXPECT_EQ(run("bogus").rfind("err unknown command", 0), 0u);
    EXPECT_FALSE(context.quit);
    EXPECT_EQ(run("quit"), "ok");
    EXPECT_TRUE(context.quit);
}

TEST(CardFiles, ImagesThatDoNotFitAreRefused) {
    const auto file = std::filesystem::temp_directory_path() / ("vreader-blank-" + std::to_string(::getpid()));
    {
        std::ofstream out(file, std::ios::binary);
        out << "xyz";
    }
    const auto loaded = load_card({"blank", file.string()});
    EXPECT_EQ(loaded.card, nullptr);
    EXPECT_NE(loaded.error.find("does not fit"), std::string::npos);
    std::filesystem::remove(file);
    EXPECT_NE(load_card({"blank", file.string()}).card, nullptr);  // a missing file: factory contents
    EXPECT_FALSE(parse_card_spec("sle4442:"));
    EXPECT_FALSE(parse_card_spec(""));
    EXPECT_EQ(parse_card_spec("sle4442:/tmp/a:b")->file, "/tmp/a:b");
}

// Where a reader may put its control socket: what is at the path already decides.
class ControlSocketPath : public ::testing::Test {
protected:
    void SetUp() override {
        std::string name = (std::filesystem::temp_directory_path() / "vreader-socket-XXXXXX").string();
        ASSERT_NE(::mkdtemp(name.data()), nullptr);
        dir_ = name;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string path(const char* name) const { return (dir_ / name).string(); }
    static bool is_socket(const std::string& p) { return std::filesystem::is_socket(std::filesystem::symlink_status(p)); }

    // A socket bound at p: listening (another reader running) or not (one that ended, its file left).
    static int bound_socket(const std::string& p, bool listening) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, p.c_str(), sizeof address.sun_path - 1);
        EXPECT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0) << p;
        if (listening) {
            EXPECT_EQ(::listen(fd, 1), 0);
        }
        return fd;
    }

    std::filesystem::path dir_;
    std::string error;
};

TEST_F(ControlSocketPath, AFileOrASocketSomeoneListensAtIsRefusedAndLeftAlone) {
    const std::string notes = path("notes");
    std::ofstream(notes) << "mine";
    EXPECT_EQ(ControlServer::open(notes, error), nullptr);
    EXPECT_NE(error.find("not a socket"), std::string::npos) << error;
    std::ifstream in(notes);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "mine");

    const std::string control = path("control");
    const auto first = ControlServer::open(control, error);
    ASSERT_NE(first, nullptr) << error;
    EXPECT_EQ(ControlServer::open(control, error), nullptr) << "a second reader took the first one's socket";
    EXPECT_NE(error.find("answers there"), std::string::npos) << error;
    EXPECT_TRUE(is_socket(control));

    const int other = bound_socket(path("other"), true);
    EXPECT_EQ(ControlServer::open(path("other"), error), nullptr);
    ::close(other);
}

TEST_F(ControlSocketPath, AStaleSocketIsTakenOverAndOnlyTheReadersOwnRemovedAtTheEnd) {
    const std::string control = path("control");
    ::close(bound_socket(control, false));
    ASSERT_TRUE(is_socket(control));
    auto server = ControlServer::open(control, error);
    ASSERT_NE(server, nullptr) << error;
    server.reset();
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(control)));

    // Removed and replaced by another program's socket while the reader runs: that one stays.
    server = ControlServer::open(control, error);
    ASSERT_NE(server, nullptr) << error;
    std::filesystem::remove(control);
    const int other = bound_socket(control, true);
    server.reset();
    EXPECT_TRUE(is_socket(control)) << "the reader removed a socket that was not its own";
    ::close(other);
}

}  // namespace
}  // namespace vreader::testing
