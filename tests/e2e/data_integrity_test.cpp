// Data integrity under a faulty reader: random writes and reads of random ranges of memory cards,
// with a fault injected into a few percent of the calls. A write that reports success left exactly
// its bytes on the card and touched no other byte; a read that reports success gave exactly the
// card's bytes; a failure is only ever reported as one (the card may then hold part of the write,
// and the test takes the card's image as it is from there on).
//
// QUILLET_INTEGRITY_SECONDS sets the run time per family (default 3; `make integrity` runs long),
// QUILLET_INTEGRITY_SLOW_FAULTS=1 adds the faults that cost a whole time-out (drop, never).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <random>
#include <ostream>
#include <string>
#include <vector>

#include "quillet.h"
#include "tests/support/virtual_reader_process.h"

using quillet::test::Bytes;
using quillet::test::Fault;
using quillet::test::VirtualReaderProcess;

namespace {

using Access = std::function<int16_t(int32_t, int16_t, int16_t, uint8_t*)>;

struct Card {
    const char* family;
    int first;  // the range the test writes: [first, end)
    int end;
    int longest;  // bytes of one call at most
    std::function<void(int32_t)> unlock;
    Access write;
    Access read;
};

double seconds_setting(const char* name, double otherwise) {
    const char* text = std::getenv(name);
    return text ? std::atof(text) : otherwise;
}

Fault random_fault(std::mt19937& random, bool slow) {
    const uint32_t at = 1 + random() % 2;
    switch (random() % (slow ? 8 : 6)) {
        case 0: return Fault::wrong_lead().at(at);
        case 1: return Fault::bad_bcc().at(at);
        case 2: return Fault::status(0x05).at(at);
        case 3: return Fault::garbage(20).at(at);
        case 4: return Fault::oversize(600, 8).at(at);
        case 5: return Fault::shortened(2).at(at);
        case 6: return Fault::truncate(5).at(at);
        default: return Fault::drop().at(at);
    }
}

// Test names and failure messages show the card by its name.
void PrintTo(const Card& value, std::ostream* out) { *out << value.family; }

class DataIntegrity : public ::testing::TestWithParam<Card> {};

}  // namespace

TEST_P(DataIntegrity, SuccessMeansExactlyTheDataAndFailureIsReported) {
    const Card& card = GetParam();
    VirtualReaderProcess vr{"--card", card.family, "--rate", "115200"};
    vr.export_port(0);
    const int32_t h = ic_init(0, 115200);
    ASSERT_GT(h, 0);
    if (card.unlock) card.unlock(h);

    const double seconds = seconds_setting("QUILLET_INTEGRITY_SECONDS", 3);
    const bool slow = std::getenv("QUILLET_INTEGRITY_SLOW_FAULTS") != nullptr;
    std::mt19937 random(static_cast<unsigned>(std::hash<std::string>{}(card.family)));
    Bytes image = vr.card_contents();
    long calls = 0, faulted = 0, failed = 0;
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() < seconds) {
        ++calls;
        const int length = 1 + static_cast<int>(random() % static_cast<unsigned>(card.longest));
        const int offset = card.first + static_cast<int>(random() % static_cast<unsigned>(card.end - card.first - length + 1));
        const bool fault = random() % 100 < 5;
        if (fault) {
            ++faulted;
            vr.set_fault(random_fault(random, slow));
        }
        const auto at = image.begin() + offset;
        if (random() % 2) {
            Bytes data(static_cast<size_t>(length));
            for (auto& b : data) b = static_cast<uint8_t>(random());
            const int16_t s = card.write(h, static_cast<int16_t>(offset), static_cast<int16_t>(length), data.data());
            vr.clear_faults();
            const Bytes now = vr.card_contents();
            if (s == 0) {
                Bytes expected = image;
                std::copy(data.begin(), data.end(), expected.begin() + offset);
                ASSERT_EQ(now, expected) << "call " << calls << ": a write reported as done left other bytes";
            } else {
                ASSERT_TRUE(fault) << "call " << calls << ": a write failed without a fault: " << s;
                ++failed;
            }
            image = now;
        } else {
            Bytes back(static_cast<size_t>(length), 0);
            const int16_t s = card.read(h, static_cast<int16_t>(offset), static_cast<int16_t>(length), back.data());
            vr.clear_faults();
            if (s == 0)
                ASSERT_EQ(back, Bytes(at, at + length)) << "call " << calls << ": a read reported as done gave other bytes";
            else {
                ASSERT_TRUE(fault) << "call " << calls << ": a read failed without a fault: " << s;
                ++failed;
            }
        }
    }
    EXPECT_GT(calls, 20);
    std::printf("%s: %ld calls, %ld with a fault, %ld failed\n", card.family, calls, faulted, failed);
    EXPECT_EQ(ic_exit(h), 0);
}

INSTANTIATE_TEST_SUITE_P(
    MemoryCards, DataIntegrity,
    ::testing::Values(
        Card{"24c02", 0, 256, 64, {}, [](int32_t h, int16_t o, int16_t n, uint8_t* d) { return swr_24c02(h, o, n, d); },
             [](int32_t h, int16_t o, int16_t n, uint8_t* d) { return srd_24c02(h, o, n, d); }},
        Card{"93c46", 0, 128, 32, {}, [](int32_t h, int16_t o, int16_t n, uint8_t* d) { return swr_93c46(h, o, n, d); },
             [](int32_t h, int16_t o, int16_t n, uint8_t* d) { return srd_93c46(h, o, n, d); }},
        Card{"sle4428", 32, 1000, 64,
             [](int32_t h) {
                 const uint8_t code[2] = {0xFF, 0xFF};
                 ASSERT_EQ(csc_4428(h, 2, code), 0);
             },
             [](int32_t h, int16_t o, int16_t n, uint8_t* d) { return swr_4428(h, o, n, d); },
             [](int32_t h, int16_t o, int16_t n, uint8_t* d) { return srd_4428(h, o, n, d); }}),
    [](const ::testing::TestParamInfo<Card>& param) { return std::string(param.param.family); });
