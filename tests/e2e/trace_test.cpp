// The frame trace (QUILLET_TRACE): its lines for a short session, the session's results with the
// trace off, on, and unwritable, and two threads tracing at once.
//
// The library reads QUILLET_TRACE once, on first use, so every session runs in a child process of
// its own with the variable set as the test wants; the child sends its results back over a pipe.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "quillet.h"
#include "tests/support/card_session.h"
#include "tests/support/virtual_reader_process.h"

using quillet::test::Bytes;
using quillet::test::command_frame;
using quillet::test::Fault;
using quillet::test::VirtualReaderProcess;

namespace {

using Results = std::vector<int>;

// Runs session in a child with QUILLET_TRACE = setting (nullptr: unset) and returns its results.
Results run_traced(const char* setting, const std::function<Results()>& session) {
    int fds[2];
    if (pipe(fds) != 0) return {};
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        if (setting)
            setenv("QUILLET_TRACE", setting, 1);
        else
            unsetenv("QUILLET_TRACE");
        umask(0);
        const Results results = session();
        const auto size = static_cast<ssize_t>(results.size() * sizeof(int));
        _exit(write(fds[1], results.data(), static_cast<size_t>(size)) == size ? 0 : 1);
    }
    close(fds[1]);
    Results results;
    int value = 0;
    while (read(fds[0], &value, sizeof value) == static_cast<ssize_t>(sizeof value)) results.push_back(value);
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    return results;
}

std::vector<std::string> lines_of(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// A line's time and text: "8214.503961 text"; nullopt when it does not start with such a time.
struct TraceLine {
    double at;
    std::string text;
};

std::optional<TraceLine> parse_line(const std::string& line) {
    const size_t dot = line.find('.');
    const size_t space = line.find(' ');
    if (dot == 0 || dot == std::string::npos || space != dot + 7) return std::nullopt;
    for (size_t i = 0; i < space; ++i)
        if (i != dot && !isdigit(static_cast<unsigned char>(line[i]))) return std::nullopt;
    return TraceLine{std::stod(line.substr(0, space)), line.substr(space + 1)};
}

// Pointer arguments ("buffer=0x7ffd...") differ from run to run: "buffer=PTR".
std::string without_addresses(std::string text) {
    for (size_t at = text.find("=0x"); at != std::string::npos; at = text.find("=0x", at + 1)) {
        size_t end = at + 3;
        while (end < text.size() && isxdigit(static_cast<unsigned char>(text[end]))) ++end;
        text.replace(at + 1, end - at - 1, "PTR");
    }
    return text;
}

// " AB 01 ..." with at least one byte.
bool hex_bytes(const std::string& text) {
    if (text.empty() || text.size() % 3 != 0) return false;
    for (size_t i = 0; i < text.size(); i += 3)
        if (text[i] != ' ' || !isxdigit(static_cast<unsigned char>(text[i + 1])) ||
            !isxdigit(static_cast<unsigned char>(text[i + 2])))
            return false;
    return true;
}

std::string hex(const Bytes& bytes) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    for (uint8_t b : bytes) text += {' ', digits[b >> 4], digits[b & 0x0F]};
    return text;
}

// A reply frame as the reader sends it: 55 status LH LL data BCC.
Bytes reply_frame(uint8_t status, const Bytes& data) {
    Bytes f{0x55, status, static_cast<uint8_t>(data.size() >> 8), static_cast<uint8_t>(data.size())};
    f.insert(f.end(), data.begin(), data.end());
    uint8_t x = 0;
    for (uint8_t b : f) x ^= b;
    f.push_back(x);
    return f;
}

const Bytes read_four = command_frame(0x61, {0x79, 0, 0, 0, 0, 0, 4});

// The session of the line test: a read, a lost reply, a reply with a wrong lead byte (its rest
// discarded), a write the card refuses, and the close. Results: each status, then the bytes read.
Results short_session(VirtualReaderProcess& vr) {
    Results r;
    const int32_t h = ic_init(0, 115200);
    r.push_back(h);
    uint8_t buffer[4] = {};
    r.push_back(srd_4442(h, 0, 4, buffer));
    vr.set_fault(Fault::drop());
    r.push_back(srd_4442(h, 0, 4, buffer));
    vr.set_fault(Fault::wrong_lead(0x54));
    r.push_back(srd_4442(h, 0, 4, buffer));
    const uint8_t data[1] = {0xAB};
    r.push_back(swr_4442(h, 64, 1, data));
    r.push_back(ic_exit(h));
    r.insert(r.end(), buffer, buffer + 4);
    return r;
}

class Trace : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(vr.running());
        vr.export_port(0);
        path = vr.directory() + "/trace.log";
    }
    VirtualReaderProcess vr{"--card", "sle4442", "--rate", "115200"};
    std::string path;
};

TEST_F(Trace, ShowsFramesMarksAndCalls) {
    const Bytes image = vr.card_contents();
    vr.clear_log();
    const Results results = run_traced(path.c_str(), [&] { return short_session(vr); });
    const auto sent = vr.host_frames();  // the reader's own record of what reached it
    ASSERT_EQ(sent.size(), 4u);
    ASSERT_EQ(results.size(), 10u);
    EXPECT_EQ(results[0], 1);
    EXPECT_EQ((Results{results[1], results[2], results[3]}), (Results{0, QL_TIMEOUT, QL_BAD_LEAD}));
    const int refused = results[4];
    ASSERT_LT(refused, 0);

    const std::string port = vr.pty_path();
    const Bytes good_reply = reply_frame(0, Bytes(image.begin(), image.begin() + 4));
    const Bytes after_lead(good_reply.begin() + 1, good_reply.end());
    const std::string read_call = "call srd_4442(handle=1, offset=0, length=4, buffer=PTR) = ";
    char refusal[32];
    std::snprintf(refusal, sizeof refusal, "%d reader status 0x%02X", refused, -refused);
    const std::vector<std::string> expected{
        port + " opened at 115200 baud as handle 1",
        "call ic_init(port=0, baud=115200) = 1",
        port + " >" + hex(read_four),
        port + " <" + hex(good_reply),
        read_call + "0 ok",
        port + " >" + hex(read_four),
        port + " ! timeout, nothing received",
        read_call + "-132 timeout",
        port + " >" + hex(read_four),
        port + " < 54",
        port + " ! bad_lead after 1 bytes",
        port + " ! discarded " + std::to_string(after_lead.size()) + " bytes:" + hex(after_lead),
        read_call + "-142 bad_lead",
        port + " >" + hex(sent[3]),
        port + " <" + hex(reply_frame(static_cast<uint8_t>(-refused), {})),
        "call swr_4442(handle=1, offset=64, length=1, data=PTR) = " + std::string(refusal),
        port + " closed",
        "call ic_exit(handle=1) = 0 ok",
    };
    const auto lines = lines_of(path);
    ASSERT_EQ(lines.size(), expected.size());
    double previous = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto line = parse_line(lines[i]);
        ASSERT_TRUE(line) << lines[i];
        EXPECT_GE(line->at, previous) << lines[i];
        previous = line->at;
        EXPECT_EQ(without_addresses(line->text), expected[i]) << "line " << i;
    }
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);  // the child's umask was 0: the mode is the library's own
}

TEST_F(Trace, OffUnwritableOrOnTheSessionIsTheSame) {
    std::vector<Results> results;
    std::vector<std::vector<quillet::test::WireFrame>> wires;
    std::ofstream(path) << "kept\n";
    for (const char* setting :
         {static_cast<const char*>(nullptr), "0", "/dev/full", "/nonexistent-directory/trace.log", path.c_str()}) {
        vr.clear_log();
        results.push_back(run_traced(setting, [&] { return short_session(vr); }));
        wires.push_back(vr.frames());
    }
    for (size_t i = 1; i < results.size(); ++i) {
        EXPECT_EQ(results[i], results[0]) << "setting " << i;
        EXPECT_EQ(wires[i], wires[0]) << "setting " << i;
    }
    const auto lines = lines_of(path);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "kept");  // appended to, never truncated
    EXPECT_EQ(lines.size(), 19u);
    EXPECT_FALSE(std::ifstream("0").good());  // "0" is off, not a file name
}

TEST_F(Trace, MarksARetry) {
    vr.clear_log();
    const Results results = run_traced(path.c_str(), [&] {
        const int32_t h = ic_init(0, 115200);
        vr.set_fault(Fault::drop());  // the card-present query's first reply is lost; it asks again
        int16_t state = -1;
        const Results r{get_status(h, &state), state};
        ic_exit(h);
        return r;
    });
    ASSERT_EQ(results, (Results{0, 1}));
    const std::string port = vr.pty_path();
    std::vector<std::string> texts;
    for (const auto& line : lines_of(path)) texts.push_back(without_addresses(line.substr(line.find(' ') + 1)));
    ASSERT_EQ(texts.size(), 10u);
    const auto query = vr.host_frames().at(0);
    EXPECT_EQ(texts[2], port + " >" + hex(query));
    EXPECT_EQ(texts[3], port + " ! timeout, nothing received");
    EXPECT_EQ(texts[4], port + " ! retry 1");
    EXPECT_EQ(texts[5], port + " >" + hex(query));
    EXPECT_EQ(texts[6].substr(0, port.size() + 2), port + " <");
    EXPECT_EQ(texts[7], "call get_status(handle=1, state=PTR) = 0 ok");
}

TEST(TraceThreads, LinesOfTwoThreadsNeverInterleave) {
    VirtualReaderProcess first{"--card", "24c64", "--rate", "115200"};
    VirtualReaderProcess second{"--card", "24c64", "--rate", "115200"};
    first.export_port(0);
    second.export_port(1);
    const std::string path = first.directory() + "/threads.log";
    constexpr int rounds = 150;
    const Results results = run_traced(path.c_str(), [&] {
        Results r(2, 0);
        auto reads = [&](int16_t port, int& failures) {
            const int32_t h = ic_init(port, 115200);
            uint8_t buffer[200];
            for (int i = 0; i < rounds; ++i) failures += srd_24c64(h, 0, sizeof buffer, buffer) != 0;
            ic_exit(h);
        };
        std::thread a(reads, 0, std::ref(r[0]));
        std::thread b(reads, 1, std::ref(r[1]));
        a.join();
        b.join();
        return r;
    });
    ASSERT_EQ(results, (Results{0, 0}));
    // A whole line of one thread, never parts of two: each is one of the forms below, entire.
    auto well_formed = [&](const std::string& text, int& port) {
        const std::string call = without_addresses(text);
        for (const char* form : {"call ic_init(port=0, baud=115200) = ", "call ic_init(port=1, baud=115200) = ",
                                 "call ic_exit(handle=", "call srd_24c64(handle="})
            if (call.starts_with(form))
                return call.ends_with(" ok") || call.ends_with(" = 1") || call.ends_with(" = 2");
        for (port = 0; port < 2; ++port) {
            const std::string device = (port ? second : first).pty_path() + " ";
            if (!text.starts_with(device)) continue;
            const std::string rest = text.substr(device.size());
            if (rest == "closed" || rest == "opened at 115200 baud as handle 1" ||
                rest == "opened at 115200 baud as handle 2")
                return true;
            return (rest.starts_with("> ") || rest.starts_with("< ")) && hex_bytes(rest.substr(1));
        }
        return false;
    };
    int frames[2] = {};
    for (const auto& text : lines_of(path)) {
        const auto line = parse_line(text);
        ASSERT_TRUE(line) << text;
        int port = -1;
        ASSERT_TRUE(well_formed(line->text, port)) << text;
        if (port >= 0 && port < 2 && line->text.find(" < ") != std::string::npos) ++frames[port];
    }
    // Each read of 200 bytes is at least one reply frame on each port.
    EXPECT_GE(frames[0], rounds);
    EXPECT_GE(frames[1], rounds);
}

}  // namespace
