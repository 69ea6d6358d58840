// Two and four application threads, each with its own port and its own virtual reader, run the
// operations of several card families at once: each thread puts a card of each family in turn into
// its reader, writes bytes of its own and reads them back, and looks at its card's image too. A
// reply crossing over to another thread's port, or state shared without a lock (ThreadSanitizer,
// make test-tsan), fails the test.
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

constexpr int rounds = 2;
constexpr int16_t count = 24;

using Write = std::function<int16_t(int32_t, int16_t, const uint8_t*)>;
using Read = std::function<int16_t(int32_t, int16_t, uint8_t*)>;

struct FamilyOps {
    const char* card;
    Write write;  // at a position of the card
    Read read;
    uint16_t image_offset;  // where position 0 lies in the card's image (-1: not in the image)
    bool in_image;
};

const std::vector<FamilyOps>& family_ops() {
    static const uint8_t code_4428[2] = {0xFF, 0xFF};
    static const std::vector<FamilyOps> ops{
        {"24c02", [](int32_t h, int16_t p, const uint8_t* d) { return swr_24c02(h, p, count, d); },
         [](int32_t h, int16_t p, uint8_t* o) { return srd_24c02(h, p, count, o); }, 0, true},
        {"93c46", [](int32_t h, int16_t p, const uint8_t* d) { return swr_93c46(h, p, count, d); },
         [](int32_t h, int16_t p, uint8_t* o) { return srd_93c46(h, p, count, o); }, 0, true},
        {"sle4428",
         [](int32_t h, int16_t p, const uint8_t* d) {
             if (int16_t s = csc_4428(h, 2, code_4428); s != 0) return s;
             return swr_4428(h, p, count, d);
         },
         [](int32_t h, int16_t p, uint8_t* o) { return srd_4428(h, p, count, o); }, 0, false},
        {"at45d041", [](int32_t h, int16_t p, const uint8_t* d) { return swr_45d041(h, 5, p, count, d); },
         [](int32_t h, int16_t p, uint8_t* o) { return srd_45d041(h, 5, p, count, o); }, 0, false},
        {"sle4442", [](int32_t h, int16_t, const uint8_t* d) { return swr_snr(h, 16, d); },
         [](int32_t h, int16_t, uint8_t* o) { return srd_snr(h, 16, o); }, 0, false},
    };
    return ops;
}

struct Worker {
    int16_t port;
    std::unique_ptr<VirtualReaderProcess> reader;
    std::vector<std::string> failures;

    void fail(const std::string& what) { failures.push_back("port " + std::to_string(port) + ": " + what); }

    void run() {
        std::mt19937 random(static_cast<unsigned>(port) * 7919u + 1u);
        for (int round = 0; round < rounds; ++round) {
            for (const FamilyOps& f : family_ops()) {
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
                const size_t compared = std::string(f.card) == "sle4442" ? 16 : count;
                if (!std::equal(data.begin(), data.begin() + static_cast<ptrdiff_t>(compared), back.begin()))
                    fail(std::string("read back differs on ") + f.card);
                if (f.in_image) {
                    const Bytes image = reader->card_contents();
                    const size_t at = f.image_offset + static_cast<size_t>(position);
                    if (image.size() < at + count || !std::equal(data.begin(), data.end(), image.begin() + static_cast<ptrdiff_t>(at)))
                        fail(std::string("card image differs on ") + f.card);
                }
                if (ic_exit(h) != 0) fail("close");
            }
        }
    }
};

void run_threads(int n) {
    std::vector<Worker> workers(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        workers[static_cast<size_t>(i)].port = static_cast<int16_t>(i);
        workers[static_cast<size_t>(i)].reader =
            std::make_unique<VirtualReaderProcess>(std::vector<std::string>{"--rate", "115200"});
        workers[static_cast<size_t>(i)].reader->export_port(i);
    }
    std::vector<std::thread> threads;
    for (auto& w : workers) threads.emplace_back([&w] { w.run(); });
    for (auto& t : threads) t.join();
    for (const auto& w : workers)
        for (const auto& f : w.failures) ADD_FAILURE() << f;
}

}  // namespace

TEST(Threads, TwoPortsRunTheFamiliesWithoutCrossTalk) { run_threads(2); }

TEST(Threads, FourPortsRunTheFamiliesWithoutCrossTalk) { run_threads(4); }
