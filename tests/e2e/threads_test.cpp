// Two application threads, each with its own port and its own virtual reader, open, use and
// close their ports at the same time, register card codes and run card checks that read them.
// Calls on different handles are independent: each thread sees only its own reader. Under
// ThreadSanitizer (make test-tsan) any state the threads share without a lock is reported.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <thread>

#include "quillet.h"
#include "tests/support/virtual_reader_process.h"

using quillet::test::Bytes;
using quillet::test::VirtualReaderProcess;

namespace {

constexpr int rounds = 8;

struct Worker {
    int16_t port;
    uint8_t mark;  // the serial numbers this thread writes start with it
    std::atomic<int> failures{0};

    void run() {
        for (int round = 0; round < rounds; ++round) {
            const int32_t h = ic_init(port, 115200);
            if (h <= 0) {
                ++failures;
                continue;
            }
            std::array<uint8_t, 16> serial{};
            serial.fill(static_cast<uint8_t>(mark + round));
            std::array<uint8_t, 16> back{};
            if (swr_snr(h, 16, serial.data()) != 0) ++failures;
            if (srd_snr(h, 16, back.data()) != 0 || back != serial) ++failures;
            const uint8_t code[] = {mark, static_cast<uint8_t>(round)};
            set_code(8, 1, 2, code);
            if (chk_4442(h) != 0) ++failures;  // the card is an SLE4442: its own codes decide
            if (ic_exit(h) != 0) ++failures;
        }
    }
};

}  // namespace

TEST(Threads, TwoPortsOpenedUsedAndClosedAtOnce) {
    VirtualReaderProcess first{"--rate", "115200", "--card", "sle4442"};
    VirtualReaderProcess second{"--rate", "115200", "--card", "sle4442"};
    first.export_port(0);
    second.export_port(1);
    Worker a{0, 0x10};
    Worker b{1, 0x80};
    std::thread ta([&] { a.run(); });
    std::thread tb([&] { b.run(); });
    ta.join();
    tb.join();
    EXPECT_EQ(a.failures, 0);
    EXPECT_EQ(b.failures, 0);
    EXPECT_EQ(first.read_memory(0x0190, 16), Bytes(16, 0x10 + rounds - 1)) << "each thread reached its own reader";
    EXPECT_EQ(second.read_memory(0x0190, 16), Bytes(16, 0x80 + rounds - 1));
}
