// quillet-vreader over a real pseudo-terminal: raw frames from a plain termios host, the control
// socket through the test client.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "emulator/cards/catalog.h"
#include "emulator/core/reader.h"
#include "tests/emulator/frames.h"
#include "tests/emulator/host_port.h"
#include "tests/support/virtual_reader_process.h"

namespace vreader::testing {
namespace {

using quillet::test::VirtualReaderProcess;
using quillet::test::WireFrame;

Bytes text_bytes(std::string_view s) { return Bytes(s.begin(), s.end()); }

TEST(PtyReader, AnswersTheVersionRequest) {
    VirtualReaderProcess vr({"--version", "NOBLU-TEST-1234567"});
    ASSERT_TRUE(vr.running());
    EXPECT_EQ(vr.pty_path().rfind("/dev/pts/", 0), 0u);
    HostPort host(vr.pty_path(), 9600);
    ASSERT_TRUE(host.is_open());
    EXPECT_EQ(host.exchange(version_request(18)), reply_frame(0, text_bytes("NOBLU-TEST-1234567")));
    EXPECT_EQ(host.exchange(version_request(10)), reply_frame(0, text_bytes("NOBLU-TEST")));
}

TEST(PtyReader, MemoryWriteReadCompareOverTheWire) {
    VirtualReaderProcess vr;
    HostPort host(vr.pty_path(), 9600);
    const Bytes value{0x0A, 0x00, 0x00, 0x00};  // stored value 10
    EXPECT_EQ(host.exchange(memory_frame(0xB6, 0x0185, value)), reply_frame(0, {}));
    EXPECT_EQ(host.exchange(read_memory(0x0185, 4)), reply_frame(0, value));
    EXPECT_EQ(host.exchange(memory_frame(0xB5, 0x0185, value)), reply_frame(0, {}));
    EXPECT_EQ(host.exchange(memory_frame(0xB5, 0x0185, {0x0B, 0, 0, 0})), reply_frame(status::mismatch, {}));
    EXPECT_EQ(vr.read_memory(0x0185, 4), value);
    vr.write_memory(0x0100, Bytes{0xDE, 0xAD});
    EXPECT_EQ(host.exchange(read_memory(0x0100, 2)), reply_frame(0, {0xDE, 0xAD}));
}

TEST(PtyReader, LinkByteChangeMakesItDeafAtTheOldRate) {
    VirtualReaderProcess vr;
    HostPort host(vr.pty_path(), 9600);
    EXPECT_EQ(host.exchange(link_command(0x09)), reply_frame(0, {}));  // answered at 9600
    EXPECT_TRUE(host.exchange(card_present_query()).empty());          // deaf at 9600 now
    ASSERT_TRUE(host.set_baud(115200));
    EXPECT_EQ(host.exchange(read_memory(0x0180, 1)), reply_frame(0, {0x09}));
    // 28800 exists only through the arbitrary-rate interface; the reader hears it all the same.
    EXPECT_EQ(host.exchange(link_command(0x06)), reply_frame(0, {}));
    EXPECT_TRUE(host.exchange(card_present_query()).empty());
    ASSERT_TRUE(host.set_baud(28800));
    EXPECT_EQ(host.exchange(card_present_query()), reply_frame(0, {0x00}));
    EXPECT_EQ(vr.expect_ok("rate"), "28800");
    bool noted = false;
    for (const auto& line : vr.log_lines()) noted |= line.find("discarded: host line at 9600 baud, reader at 115200") != std::string::npos;
    EXPECT_TRUE(noted);
}

TEST(PtyReader, EachFaultIsSeenOnTheWire) {
    VirtualReaderProcess vr;
    HostPort host(vr.pty_path(), 9600);
    const Bytes good = reply_frame(0, {0x00});
    const auto query = card_present_query();

    vr.set_fault("drop");
    EXPECT_TRUE(host.exchange(query).empty());
    vr.set_fault("lead 0x00");
    Bytes r = host.exchange(query);
    ASSERT_EQ(r.size(), good.size());
    EXPECT_EQ(r[0], 0x00);
    vr.set_fault("bcc");
    r = host.exchange(query);
    ASSERT_EQ(r.size(), good.size());
    EXPECT_NE(xor_of(r), 0);
    vr.set_fault("status 0x96");
    EXPECT_EQ(host.exchange(query), (Bytes{0x55, 0x96, 0x00, 0x00, 0xC3}));
    vr.set_fault("garbage 10");
    r = host.exchange(query);
    EXPECT_EQ(r.size(), 10u);
    EXPECT_NE(r[0], 0x55);
    vr.set_fault("truncate 3");
    EXPECT_EQ(host.exchange(query), Bytes(good.begin(), good.begin() + 3));
    vr.set_fault("oversize 0x0400");
    r = host.exchange(query);
    EXPECT_EQ(r.size(), 0x0405u);
    EXPECT_EQ(xor_of(r), 0);
    vr.set_fault("oversize 0x0400 5");
    EXPECT_EQ(host.exchange(query).size(), 10u);
    // After every fault the next exchange is clean.
    EXPECT_EQ(host.exchange(query), good);
}

TEST(PtyReader, DelayAndNeverAnswer) {
    VirtualReaderProcess vr;
    HostPort host(vr.pty_path(), 9600);
    const auto query = card_present_query();
    vr.set_fault("delay 400");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(host.exchange(query, 1000), reply_frame(0, {0x00}));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(390));
    // The control channel keeps answering while a reply waits.
    vr.set_fault("delay 600");
    std::thread late([&] { EXPECT_EQ(host.exchange(query, 1500), reply_frame(0, {0x00})); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(vr.expect_ok("ping"), "");
    late.join();

    vr.set_fault("never");
    EXPECT_TRUE(host.exchange(query).empty());
    EXPECT_TRUE(host.exchange(query).empty());
    vr.clear_faults();
    EXPECT_EQ(host.exchange(query), reply_frame(0, {0x00}));
}

TEST(PtyReader, FrameLogInMemoryAndInItsFile) {
    VirtualReaderProcess probe;  // only for a temporary directory that outlives the next process
    const std::string log_file = probe.directory() + "/frames.log";
    {
        VirtualReaderProcess vr({"--log", log_file});
        HostPort host(vr.pty_path(), 9600);
        host.exchange(card_present_query());
        const auto frames = vr.frames();
        ASSERT_EQ(frames.size(), 2u);
        EXPECT_EQ(frames[0], (WireFrame{'>', card_present_query()}));
        EXPECT_EQ(frames[1], (WireFrame{'<', reply_frame(0, {0x00})}));
        vr.clear_log();
        EXPECT_TRUE(vr.frames().empty());
    }
    std::ifstream in(log_file);
    std::string first, second;
    std::getline(in, first);
    std::getline(in, second);
    EXPECT_EQ(first, "> AA B9 00 05 80 00 00 00 00 96");
    EXPECT_EQ(second, "< 55 00 00 01 00 54");
}

TEST(PtyReader, SurvivesTheHostClosingReopeningAndLineNoise) {
    VirtualReaderProcess vr({"--empty-state", "86"});
    for (int round = 0; round < 3; ++round) {
        HostPort host(vr.pty_path(), 9600);
        ASSERT_TRUE(host.is_open());
        EXPECT_EQ(host.exchange(card_present_query()), reply_frame(0x86, {})) << "round " << round;
    }
    HostPort host(vr.pty_path(), 9600);
    // Half a frame, then silence: dropped, and the next whole frame is served.
    const Bytes q = card_present_query();
    EXPECT_TRUE(host.exchange(Bytes(q.begin(), q.begin() + 5), 700).empty());
    Bytes noisy{0x13, 0x00, 0xFE};
    noisy.insert(noisy.end(), q.begin(), q.end());
    EXPECT_EQ(host.exchange(noisy), reply_frame(0x86, {}));
    EXPECT_TRUE(vr.stop());
}

// Processor time (user and system) a process has used so far, from /proc/PID/stat.
double cpu_seconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(in, line);
    std::istringstream after_name(line.substr(line.rfind(')') + 2));
    std::string field;
    unsigned long ticks = 0;
    for (int i = 3; i <= 15 && after_name >> field; ++i)
        if (i >= 14) ticks += std::stoul(field);  // fields 14 and 15: utime, stime
    return static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

TEST(PtyReader, IdlesWhileNoHostHasTheTerminalOpen) {
    VirtualReaderProcess vr({"--empty-state", "86"});
    {
        HostPort host(vr.pty_path(), 9600);
        ASSERT_TRUE(host.is_open());
        EXPECT_EQ(host.exchange(card_present_query()), reply_frame(0x86, {}));
    }
    const double before = cpu_seconds(vr.pid());
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const double used = cpu_seconds(vr.pid()) - before;
    EXPECT_LT(used, 0.1) << "seconds of processor time in one second without a host";
    HostPort host(vr.pty_path(), 9600);
    EXPECT_EQ(host.exchange(card_present_query()), reply_frame(0x86, {})) << "the next host is served";
}

TEST(PtyReader, CardContentsPersistAcrossRuns) {
    const CatalogEntry* family = nullptr;
    for (const auto& entry : card_catalog())
        if (!entry.make()->contents().empty()) family = &entry;
    if (!family) GTEST_SKIP() << "no card family with contents in the catalog";
    Bytes image = family->make()->contents();
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(image[i] ^ (i * 31 + 7));

    VirtualReaderProcess probe;
    const std::string file = probe.directory() + "/card.bin";
    const std::string wanted = std::string(family->family) + ":" + file;
    {
        VirtualReaderProcess vr({"--card", wanted, "--save"});
        if (!family->make()->load_contents(image)) GTEST_SKIP() << family->family << " refuses an altered image";
        vr.load_card_contents(image);
        EXPECT_TRUE(std::filesystem::exists(file));  // written on the change, not only at exit
        EXPECT_TRUE(vr.terminate());
    }
    VirtualReaderProcess again({"--card", wanted});
    EXPECT_EQ(again.card_contents(), image);
}

TEST(PtyReader, RefusesABadCommandLine) {
    for (const auto& args : std::vector<std::vector<std::string>>{{"--rate", "14400"}, {"--card", "no-such-family"}, {"--save"},
                                                                          {"--latency", "0"}, {"--latency", "17"}}) {
        ::testing::TestPartResultArray failures;
        {
            ::testing::ScopedFakeTestPartResultReporter reporter(::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
            VirtualReaderProcess vr(args);
            EXPECT_FALSE(vr.running());
        }
        EXPECT_GE(failures.size(), 1) << args[0];  // the client reports the failed start
    }
}

}  // namespace
}  // namespace vreader::testing
