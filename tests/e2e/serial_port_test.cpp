// The POSIX serial layer on a bare pseudo-terminal with nothing answering: exclusive opening,
// line settings, and the real-time first-byte waits of the reply reception.
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>

#include "quillet.h"
#include "reader/exchange.h"
#include "reader/reader_commands.h"

namespace {

// A pseudo-terminal whose other side is held open and read by nobody: a port without a reader.
class SilentPort : public ::testing::Test {
protected:
    void SetUp() override {
        char name[128] = {};
        ASSERT_EQ(openpty(&master_, &slave_, name, nullptr, nullptr), 0);
        path_ = name;
        setenv("QUILLET_COM1", path_.c_str(), 1);
    }
    void TearDown() override {
        close(slave_);
        close(master_);
        unsetenv("QUILLET_COM1");
    }
    int master_ = -1, slave_ = -1;
    std::string path_;
};

double seconds_for(auto&& call) {
    const auto start = std::chrono::steady_clock::now();
    call();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

TEST_F(SilentPort, SerialOpenSucceedsWithoutAReaderAndIsExclusive) {
    const int32_t h = ic_init(0, 9600);
    ASSERT_GT(h, 0);
    EXPECT_NE(h, QL_NIBBLE_LINK);
    EXPECT_NE(h, QL_BYTE_LINK);
    EXPECT_EQ(ic_init(0, 9600), QL_PORT_BUSY) << "a port already held is refused";
    EXPECT_EQ(ic_exit(h), 0);
    const int32_t again = ic_init(0, 9600);
    EXPECT_GT(again, 0) << "closing releases the port";
    EXPECT_EQ(ic_exit(again), 0);
    EXPECT_EQ(ic_exit(again), QL_PORT_ERROR) << "a closed handle cannot be closed again";
}

TEST_F(SilentPort, MissingDeviceIsAPortError) {
    setenv("QUILLET_COM2", "/nonexistent/quillet-port", 1);
    EXPECT_EQ(ic_init(1, 9600), QL_PORT_ERROR);
    unsetenv("QUILLET_COM2");
}

TEST_F(SilentPort, NormalWaitTimesOutAfterAboutTwoSeconds) {
    const int32_t h = ic_init(0, 9600);
    ASSERT_GT(h, 0);
    int16_t state = 7;
    int16_t status = 0;
    const double took = seconds_for([&] { status = get_status0(h, &state); });
    EXPECT_EQ(status, QL_TIMEOUT);
    EXPECT_EQ(state, 7) << "a failed query leaves the state alone";
    EXPECT_GE(took, 2.0);
    EXPECT_LT(took, 2.0 + 0.3 + 0.5) << "plus at most one read time-out and scheduling";
    ic_exit(h);
}

TEST_F(SilentPort, LongWaitTimesOutAfterAboutEightSeconds) {
    const int32_t h = ic_init(0, 115200);
    ASSERT_GT(h, 0);
    quillet::Reply reply;
    quillet::Status status{};
    const double took = seconds_for([&] {
        status = quillet::exchange(h, quillet::reader_frame(quillet::reader_command::card_present),
                                   quillet::Wait::long_, reply);
    });
    EXPECT_EQ(status, quillet::Status::timeout);
    EXPECT_GE(took, 8.0);
    EXPECT_LT(took, 8.0 + 0.15 + 0.5);
    ic_exit(h);
}

TEST_F(SilentPort, CommandBytesGoOutAsFramed) {
    const int32_t h = ic_init(0, 9600);
    ASSERT_GT(h, 0);
    // The command is on the wire before the reply wait starts; read it from the other side.
    EXPECT_EQ(quillet::send_frame(h, quillet::reader_frame(quillet::reader_command::card_present)), quillet::Status::ok);
    uint8_t sent[16] = {};
    ssize_t n = 0, got;
    while (n < 10 && (got = read(master_, sent + n, sizeof sent - static_cast<size_t>(n))) > 0) n += got;
    ASSERT_EQ(n, 10);
    const uint8_t expected[] = {0xAA, 0xB9, 0x00, 0x05, 0x80, 0x00, 0x00, 0x00, 0x00, 0x96};
    EXPECT_EQ(std::memcmp(sent, expected, sizeof expected), 0);
    ic_exit(h);
}
