// The POSIX serial layer on a bare pseudo-terminal with nothing answering: exclusive opening and
// its release, line settings, and the real-time first-byte waits of the reply reception, with and
// without signals arriving.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "quillet.h"
#include "link/exchange.h"
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

// Whether the terminal is in exclusive use: then only root may open it.
bool exclusive(const std::string& path) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return errno == EBUSY;
    int flag = 0;
    const bool asked = ioctl(fd, TIOCGEXCL, &flag) == 0;
    close(fd);
    return asked && flag != 0;
}

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

// A device the caller has no right to is not "held by another program": that would send the user
// looking for a program that does not exist. Root passes every permission check, so only an
// unprivileged run meets the refusal.
TEST_F(SilentPort, ADeviceTheCallerMayNotOpenIsAPortErrorNotBusy) {
    ASSERT_EQ(chmod(path_.c_str(), 0), 0);
    const int32_t h = ic_init(0, 9600);
    if (h > 0) {
        EXPECT_EQ(geteuid(), 0u) << "only root opens a device of mode 000";
        ic_exit(h);
        return;
    }
    EXPECT_EQ(h, QL_PORT_ERROR);
}

TEST_F(SilentPort, ClosingGivesUpExclusiveUse) {
    const int32_t h = ic_init(0, 9600);
    ASSERT_GT(h, 0);
    EXPECT_TRUE(exclusive(path_)) << "held exclusively while open";
    EXPECT_EQ(ic_exit(h), 0);
    EXPECT_FALSE(exclusive(path_)) << "the terminal outlives the handle (its other side is open): "
                                      "left exclusive, nobody but root could open it again";
}

TEST_F(SilentPort, MissingDeviceOrOneThatIsNoTerminalIsAPortError) {
    setenv("QUILLET_COM2", "/nonexistent/quillet-port", 1);
    EXPECT_EQ(ic_init(1, 9600), QL_PORT_ERROR);
    setenv("QUILLET_COM2", "/dev/null", 1);
    EXPECT_EQ(ic_init(1, 9600), QL_PORT_ERROR);
    const auto file = std::filesystem::temp_directory_path() / ("quillet-plain-file-" + std::to_string(getpid()));
    std::ofstream(file) << "not a terminal";
    setenv("QUILLET_COM2", file.c_str(), 1);
    EXPECT_EQ(ic_init(1, 9600), QL_PORT_ERROR);
    std::filesystem::remove(file);
    unsetenv("QUILLET_COM2");
}

// Whatever the port's last user left (flow control, line editing, modem-line waits), the open
// sets every line setting itself.
TEST_F(SilentPort, OpenSetsEveryLineSetting) {
    termios left{};
    ASSERT_EQ(tcgetattr(slave_, &left), 0);
    left.c_iflag |= IXON | IXOFF | IXANY | ICRNL | ISTRIP;
    left.c_oflag |= OPOST | ONLCR;
    left.c_lflag |= ICANON | ECHO | ISIG | IEXTEN;
    left.c_cflag |= CRTSCTS | PARENB | CSTOPB;
    left.c_cflag &= ~static_cast<tcflag_t>(CLOCAL);
    ASSERT_EQ(tcsetattr(slave_, TCSANOW, &left), 0);

    const int32_t h = ic_init(0, 19200);
    ASSERT_GT(h, 0);
    termios now{};
    ASSERT_EQ(tcgetattr(slave_, &now), 0);
    EXPECT_EQ(now.c_iflag & (IXON | IXOFF | IXANY), 0u) << "no software flow control";
    EXPECT_EQ(now.c_iflag, 0u) << "bytes as they come";
    EXPECT_EQ(now.c_oflag, 0u);
    EXPECT_EQ(now.c_lflag, 0u);
    EXPECT_EQ(now.c_cflag & CRTSCTS, 0u) << "no hardware flow control";
    EXPECT_NE(now.c_cflag & CLOCAL, 0u) << "modem lines ignored";
    EXPECT_EQ(now.c_cflag & (CSIZE | PARENB | CSTOPB), static_cast<tcflag_t>(CS8)) << "8N1";
    ic_exit(h);
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

namespace {
extern "C" void on_alarm(int) {}
}  // namespace

// An application with a 50 ms interval timer: every wait is interrupted forty times over, and
// still ends at its own time. Run in a child process, so that a wait that never ends is a failure
// rather than a hung test.
TEST_F(SilentPort, SignalsDoNotStretchTheWait) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        struct sigaction action{};
        action.sa_handler = on_alarm;  // no SA_RESTART: every signal interrupts the wait
        sigaction(SIGALRM, &action, nullptr);
        const itimerval every_50ms{{0, 50'000}, {0, 50'000}};
        setitimer(ITIMER_REAL, &every_50ms, nullptr);
        const int32_t h = ic_init(0, 9600);
        int16_t state = 0;
        int16_t status = 0;
        const double took = seconds_for([&] { status = get_status0(h, &state); });
        _exit(h > 0 && status == QL_TIMEOUT && took >= 2.0 && took < 2.8 ? 0 : 1);
    }
    int child_status = 0;
    const auto start = std::chrono::steady_clock::now();
    while (waitpid(child, &child_status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() - start > std::chrono::seconds(8)) {
            kill(child, SIGKILL);
            waitpid(child, &child_status, 0);
            FAIL() << "the 2 s wait was still running after 8 s under a 50 ms interval timer";
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(WIFEXITED(child_status));
    EXPECT_EQ(WEXITSTATUS(child_status), 0) << "expected -132 after 2.0 to 2.8 s";
}

// Sending under a 200 us interval timer: the byte writes and the transmit-empty waits are
// interrupted again and again, and every frame still goes out once, whole and in order. (Each is
// read at once from the other side: the next send purges the line.) Run in a child process, so
// that a send that never ends is a failure rather than a hung test.
TEST_F(SilentPort, SignalsDoNotBreakTheSending) {
    const std::vector<uint8_t> frame{0xAA, 0xB9, 0x00, 0x05, 0x80, 0x00, 0x00, 0x00, 0x00, 0x96};
    ASSERT_EQ(fcntl(master_, F_SETFL, O_NONBLOCK), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        struct sigaction action{};
        action.sa_handler = on_alarm;
        sigaction(SIGALRM, &action, nullptr);
        const itimerval every_200us{{0, 200}, {0, 200}};
        setitimer(ITIMER_REAL, &every_200us, nullptr);
        const int32_t h = ic_init(0, 115200);
        int whole = 0;
        for (int i = 0; i < 50 && h > 0; ++i) {
            if (quillet::send_frame(h, quillet::reader_frame(quillet::reader_command::card_present)) != quillet::Status::ok) break;
            std::vector<uint8_t> line;
            const auto start = std::chrono::steady_clock::now();
            while (line.size() < frame.size() + 1 && std::chrono::steady_clock::now() - start < std::chrono::milliseconds(50)) {
                uint8_t buffer[32];
                const ssize_t n = read(master_, buffer, sizeof buffer);
                if (n > 0) line.insert(line.end(), buffer, buffer + n);
            }
            whole += line == frame;
        }
        _exit(whole == 50 ? 0 : 1);
    }
    int child_status = 0;
    const auto start = std::chrono::steady_clock::now();
    while (waitpid(child, &child_status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() - start > std::chrono::seconds(10)) {
            kill(child, SIGKILL);
            waitpid(child, &child_status, 0);
            FAIL() << "sending 50 frames was still running after 10 s";
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(WIFEXITED(child_status));
    EXPECT_EQ(WEXITSTATUS(child_status), 0) << "a frame went out short, long or not at all";
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
