// Two and four application threads, each with its own port and its own virtual reader, open, use
// and close their ports at the same time: each thread puts a card of each family in turn into its
// reader, writes bytes of its own and reads them back, looks at its card's image too, and registers
// card codes for card checks that read them. Calls on different handles are independent: a reply
// crossing over to another thread's port, or state shared without a lock (ThreadSanitizer, make
// test-tsan), fails the test.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "quillet.h"
#include "tests/support/virtual_reader_process.h"

using quillet::test::Bytes;
using quillet::test::VirtualReaderProcess;

namespace {

constexpr int16_t count = 24;

using Write = std::function<int16_t(int32_t, int16_t, const uint8_t*)>;
using Read = std::function<int16_t(int32_t, int16_t, uint8_t*)>;

struct FamilyOps {
    const char* card;
    Write write;  // at a position of the card
    Read read;
    bool in_image;  // the bytes land in the card's image, from its start
    size_t compared = count;
    std::function<int16_t(int32_t, const Bytes&)> then = {};  // a further call, given the bytes written
};

// The reader's serial number (16 bytes at 0x0190 of its memory), and the card check of an SLE4442
// after the thread registered codes of its own: the card's own codes decide.
const FamilyOps serial_and_code{"sle4442", [](int32_t h, int16_t, const uint8_t* d) { return swr_snr(h, 16, d); },
                                [](int32_t h, int16_t, uint8_t* o) { return srd_snr(h, 16, o); }, false, 16,
                                [](int32_t h, const Bytes& data) {
                                    set_code(8, 1, 2, data.data());
                                    return chk_4442(h);
                                }};

const std::vector<FamilyOps>& family_ops() {
    static const uint8_t code_4428[2] = {0xFF, 0xFF};
    static const std::vector<FamilyOps> ops{
        {"24c02", [](int32_t h, int16_t p, const uint8_t* d) { return swr_24c02(h, p, count, d); },
         [](int32_t h, int16_t p, uint8_t* o) { return srd_24c02(h, p, count, o); }, true},
        {"93c46", [](int32_t h, int16_t p, const uint8_t* d) { return swr_93c46(h, p, count, d); },
         [](int32_t h, int16_t p, uint8_t* o) { return srd_93c46(h, p, count, o); }, true},
        {"sle4428",
         [](int32_t h, int16_t p, const uint8_t* d) {
             if (int16_t s = csc_4428(h, 2, code_4428); s != 0) return s;
             return swr_4428(h, p, count, d);
         },
         [](int32_t h, int16_t p, uint8_t* o) { return srd_4428(h, p, count, o); }, false},
        {"at45d041", [](int32_t h, int16_t p, const uint8_t* d) { return swr_45d041(h, 5, p, count, d); },
         [](int32_t h, int16_t p, uint8_t* o) { return srd_45d041(h, 5, p, count, o); }, false},
        {"sle4442", serial_and_code.write, serial_and_code.read, false, 16},
    };
    return ops;
}

struct Worker {
    int16_t port;
    std::unique_ptr<VirtualReaderProcess> reader;
    std::vector<std::string> failures;
    Bytes last;  // the bytes written last

    void fail(const std::string& what) { failures.push_back("port " + std::to_string(port) + ": " + what); }

    void run(const std::vector<FamilyOps>& ops, int rounds) {
        std::mt19937 random(static_cast<unsigned>(port) * 7919u + 1u);
        for (int round = 0; round < rounds; ++round) {
            for (const FamilyOps& f : ops) {
                reader->insert_card(f.card);
                const int32_t h = ic_init(port, 115200);
                if (h <= 0) {
                    fail(std::string("open for ") + f.card);
                    continue;
                }
                // Each thread's bytes start with its port number, so that another's cannot pass.
                Bytes data(count);
                for (auto& b : data) b = static_cast<uint8_t>(random());
                data[0] = static_cast<uint8_t>(0xA0 + port);
                const auto position = static_cast<int16_t>(32 + 8 * round);
                Bytes back(count, 0);
                if (f.write(h, position, data.data()) != 0) fail(std::string("write ") + f.card);
                if (f.read(h, position, back.data()) != 0) fail(std::string("read ") + f.card);
                if (!std::equal(data.begin(), data.begin() + static_cast<ptrdiff_t>(f.compared), back.begin()))
                    fail(std::string("read back differs on ") + f.card);
                if (f.in_image) {
                    const Bytes image = reader->card_contents();
                    const auto at = static_cast<size_t>(position);
                    if (image.size() < at + count ||
                        !std::equal(data.begin(), data.end(), image.begin() + static_cast<ptrdiff_t>(at)))
                        fail(std::string("card image differs on ") + f.card);
                }
                if (f.then && f.then(h, data) != 0) fail(std::string("then ") + f.card);
                if (ic_exit(h) != 0) fail("close");
                last = data;
            }
        }
    }
};

std::vector<Worker> run_threads(int n, const std::vector<FamilyOps>& ops, int rounds) {
    std::vector<Worker> workers(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        workers[static_cast<size_t>(i)].port = static_cast<int16_t>(i);
        workers[static_cast<size_t>(i)].reader =
            std::make_unique<VirtualReaderProcess>(std::vector<std::string>{"--rate", "115200"});
        workers[static_cast<size_t>(i)].reader->export_port(i);
    }
    std::vector<std::thread> threads;
    for (auto& w : workers) threads.emplace_back([&] { w.run(ops, rounds); });
    for (auto& t : threads) t.join();
    for (const auto& w : workers)
        for (const auto& f : w.failures) ADD_FAILURE() << f;
    return workers;
}

}  // namespace

TEST(Threads, TwoPortsOpenedUsedAndClosedAtOnce) {
    for (const Worker& w : run_threads(2, {serial_and_code}, 8))
        EXPECT_EQ(w.reader->read_memory(0x0190, 16), Bytes(w.last.begin(), w.last.begin() + 16))
            << "port " << w.port << " reached its own reader";
}

TEST(Threads, TwoPortsRunTheFamiliesWithoutCrossTalk) { run_threads(2, family_ops(), 2); }

TEST(Threads, FourPortsRunTheFamiliesWithoutCrossTalk) { run_threads(4, family_ops(), 2); }
