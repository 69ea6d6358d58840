// The fault campaign: every fault kind of the virtual reader's plan against one read of every
// family, each case checking the status, the time against its budget, the guard bytes around the
// caller's buffer, the open descriptors, and that the next exchange on the same port reads the
// same data as before the fault. One virtual reader serves all the faults of a family.
//
// The faults that cost a whole 2 s time-out (drop, never) and the late reply run only
// for the families marked `slow_faults`; the cheap ones run for all. With QUILLET_FAULT_TABLE set
// each case prints a row "ROW|fault|family|status|ms" (scripts/fault_table turns them into
// docs/fault_campaign.md).
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "quillet.h"
#include "tests/support/virtual_reader_process.h"

using quillet::test::Bytes;
using quillet::test::Fault;
using quillet::test::VirtualReaderProcess;

namespace {

constexpr size_t guard = 32;
constexpr uint8_t guard_byte = 0xE7;
constexpr int16_t length = 16;

size_t open_descriptors() {
    size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
    return n;
}

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// 00 00 07 | 00 A4 00 00 02 3F 00 | LRC: selects the master file.
Bytes select_master_file() {
    Bytes block{0x00, 0x00, 0x07, 0x00, 0xA4, 0x00, 0x00, 0x02, 0x3F, 0x00};
    uint8_t lrc = 0;
    for (uint8_t b : block) lrc ^= b;
    block.push_back(lrc);
    return block;
}

struct Family {
    const char* name;
    const char* card;  // the reader's --card, then any further options of the reader
    size_t output;  // bytes the operation writes
    std::function<int16_t(int32_t, uint8_t*)> read;
    std::function<void(int32_t)> prepare;  // once, after opening
    bool hides_transport;                   // the family repeats an exchange that failed in transport...
    bool hides_refusal;                     // ...or was refused, so a one-frame fault goes unseen
    uint32_t cover;                         // frames a fault covers: all of the family's attempts
    double retry_pause_s;                   // paid once when a retry hides the fault
    bool slow_faults;                       // also the 2 s faults
};

enum class Expect { fails, succeeds };

struct FaultCase {
    const char* name;
    std::function<Fault(uint32_t at, uint32_t cover)> make;
    std::optional<int16_t> status;  // the exact status when the family reports the fault as it is
    Expect expect;
    bool transport;  // the reply went wrong in transport (not a refusal)
    bool slow;
    double budget_s;  // what the fault may cost on top of an ordinary exchange
};

Fault over(Fault f, uint32_t at, uint32_t cover) { return cover == 1 ? f.at(at) : f.next(cover + at - 1); }

const std::vector<FaultCase>& fault_cases() {
    static const std::vector<FaultCase> cases{
        {"lead", [](uint32_t a, uint32_t c) { return over(Fault::wrong_lead(0xA5), a, c); }, QL_BAD_LEAD, Expect::fails, true, false, 0.3},
        {"bcc", [](uint32_t a, uint32_t c) { return over(Fault::bad_bcc(), a, c); }, QL_BAD_BCC, Expect::fails, true, false, 0.3},
        {"status 0x05", [](uint32_t a, uint32_t c) { return over(Fault::status(0x05), a, c); }, -5, Expect::fails, false, false, 0.3},
        {"garbage 24", [](uint32_t a, uint32_t c) { return over(Fault::garbage(24), a, c); }, QL_BAD_LEAD, Expect::fails, true, false, 0.3},
        {"oversize 1024", [](uint32_t a, uint32_t c) { return over(Fault::oversize(1024), a, c); }, QL_REPLY_TOO_LONG, Expect::fails, true, false, 0.5},
        {"oversize 1024 20", [](uint32_t a, uint32_t c) { return over(Fault::oversize(1024, 20), a, c); }, QL_REPLY_TOO_LONG, Expect::fails, true, false, 0.5},
        {"corrupt", [](uint32_t a, uint32_t) { return Fault::corrupt().at(a); }, 0, Expect::succeeds, false, false, 0.3},
        {"drip 5", [](uint32_t a, uint32_t) { return Fault::drip(5).at(a); }, 0, Expect::succeeds, false, false, 1.5},
        {"drop", [](uint32_t a, uint32_t c) { return over(Fault::drop(), a, c); }, QL_TIMEOUT, Expect::fails, true, true, 2.5},
        {"truncate 6", [](uint32_t a, uint32_t c) { return over(Fault::truncate(6), a, c); }, QL_TIMEOUT, Expect::fails, true, false, 1.0},
        {"never", [](uint32_t, uint32_t) { return Fault::never(); }, QL_TIMEOUT, Expect::fails, true, true, 2.5},
        {"delay 1500", [](uint32_t a, uint32_t) { return Fault::delay(1500).at(a); }, 0, Expect::succeeds, false, true, 2.0},
        // A processor card asking for more time: the library carries the S(WTX request) block to
        // the caller as the card's answer (the T=1 layer above it grants or refuses).
        {"wtx", [](uint32_t a, uint32_t c) { return over(Fault::wtx(), a, c); }, 0, Expect::succeeds, false, false, 0.3},
    };
    return cases;
}

int16_t srd(auto fn, int32_t h, uint8_t* out) { return fn(h, 0, length, out); }

const std::vector<Family>& families() {
    static const std::vector<Family> list{
        {"SLE4442", "sle4442", length, [](int32_t h, uint8_t* o) { return srd(srd_4442, h, o); }, {}, false, false, 1, 0, true},
        {"SLE4428", "sle4428", length, [](int32_t h, uint8_t* o) { return srd(srd_4428, h, o); }, {}, false, false, 1, 0, false},
        {"24C02", "24c02", length, [](int32_t h, uint8_t* o) { return srd(srd_24c02, h, o); }, {}, false, false, 1, 0, true},
        {"93C46", "93c46", length, [](int32_t h, uint8_t* o) { return srd(srd_93c46, h, o); }, {}, false, false, 1, 0, false},
        {"AT45D041", "at45d041", length, [](int32_t h, uint8_t* o) { return srd_45d041(h, 3, 0, length, o); }, {}, true, false, 1, 0.3, false},
        {"SSF1101", "ssf1101", length, [](int32_t h, uint8_t* o) { return srd_ssf1101(h, 3, 0, length, o); }, {}, true, true, 1, 0.3, false},
        {"SLE4404", "sle4404", length, [](int32_t h, uint8_t* o) { return srd(srd_4404, h, o); }, {}, false, false, 1, 0, false},
        {"AT88SC102", "at88sc102", length, [](int32_t h, uint8_t* o) { return srd_102(h, 1, 0, length, o); }, {}, false, false, 1, 0, false},
        {"AT88SC1604", "at88sc1604", length, [](int32_t h, uint8_t* o) { return srd_1604(h, 1, 0, length, o); }, {}, false, false, 1, 0, false},
        {"AT88SC1608", "at88sc1608", length, [](int32_t h, uint8_t* o) { return srd_1608(h, 0, 0, length, o); }, {}, false, false, 1, 0, false},
        {"CPU", "cpu", QL_CPU_RESPONSE_MAX,
         [](int32_t h, uint8_t* o) {
             const Bytes block = select_master_file();
             return cpu_protocol(h, static_cast<int16_t>(block.size()), block.data(), o);
         },
         [](int32_t h) {
             uint8_t answer[QL_CPU_ANSWER_MAX];
             EXPECT_EQ(cpu_reset(h, answer), 0);
         },
         false, false, 3, 0, false},
        {"SAM 1", "blank --sam 1:cpu", QL_CPU_RESPONSE_MAX,
         [](int32_t h, uint8_t* o) {
             const Bytes block = select_master_file();
             int16_t got = 0;
             return sam_slt_protocol(h, 1, static_cast<int16_t>(block.size()), block.data(), &got, o);
         },
         [](int32_t h) {
             uint8_t answer[QL_CPU_ANSWER_MAX];
             int16_t got = 0;
             EXPECT_EQ(sam_slt_reset(h, 1, &got, answer), 0);
         },
         false, false, 3, 0, false},
        {"reader srd_snr", "sle4442", length, [](int32_t h, uint8_t* o) { return srd_snr(h, length, o); }, {}, false, false, 1, 0, true},
    };
    return list;
}

// The caller's buffer with guard zones on both sides.
struct GuardedBuffer {
    explicit GuardedBuffer(size_t n) : bytes(n + 2 * guard, guard_byte), size(n) {}
    uint8_t* data() { return bytes.data() + guard; }
    Bytes inside() const { return Bytes(bytes.begin() + guard, bytes.begin() + static_cast<ptrdiff_t>(guard + size)); }
    bool guards_intact() const {
        for (size_t i = 0; i < guard; ++i)
            if (bytes[i] != guard_byte || bytes[bytes.size() - 1 - i] != guard_byte) return false;
        return true;
    }
    Bytes bytes;
    size_t size;
};

bool table_wanted() { return std::getenv("QUILLET_FAULT_TABLE") != nullptr; }

// One read of the family into a guarded buffer, timed, with the frames it took.
struct ReadRun {
    int16_t status;
    double took;
    bool guards_intact;
    size_t frames;
    Bytes data;
};

ReadRun read_once(VirtualReaderProcess& vr, int32_t h, const Family& family) {
    vr.clear_log();
    GuardedBuffer buffer(family.output);
    const auto start = std::chrono::steady_clock::now();
    const int16_t status = family.read(h, buffer.data());
    const double took = seconds_since(start);
    return {status, took, buffer.guards_intact(), vr.host_frames().size(), buffer.inside()};
}

// Test names and failure messages show the family by its name.
void PrintTo(const Family& value, std::ostream* out) { *out << value.name; }

class FaultCampaign : public ::testing::TestWithParam<Family> {};

// The reader's command line for a family: --card and the words of family.card (a SAM row's card
// carries --sam too), then extra.
std::vector<std::string> reader_options(const Family& family, std::initializer_list<std::string> extra = {}) {
    std::vector<std::string> options{"--rate", "115200", "--card"};
    std::istringstream card(family.card);
    for (std::string word; card >> word;) options.push_back(word);
    options.insert(options.end(), extra);
    return options;
}

}  // namespace

TEST_P(FaultCampaign, EveryFaultGivesItsStatusInTimeAndLeavesThePortUsable) {
    const Family& family = GetParam();
    VirtualReaderProcess vr{reader_options(family)};
    ASSERT_TRUE(vr.running());
    vr.export_port(0);
    const int32_t h = ic_init(0, 115200);
    ASSERT_GT(h, 0);
    if (family.prepare) family.prepare(h);

    GuardedBuffer reference(family.output);
    vr.clear_log();
    ASSERT_EQ(family.read(h, reference.data()), 0);
    const auto frames = static_cast<uint32_t>(vr.host_frames().size());
    ASSERT_GE(frames, 1u);

    for (const FaultCase& c : fault_cases()) {
        if (c.slow && !family.slow_faults) continue;
        SCOPED_TRACE(std::string(family.name) + " / " + c.name);
        const size_t descriptors = open_descriptors();
        const bool hidden = c.expect == Expect::fails &&
                            (c.transport ? family.hides_transport : family.hides_refusal);
        // The last frame of the operation is the one that carries the data.
        vr.set_fault(c.make(frames, hidden ? 1 : family.cover));
        const ReadRun run = read_once(vr, h, family);
        const int16_t status = run.status;
        const double took = run.took;
        vr.clear_faults();

        if (c.expect == Expect::succeeds || hidden)
            EXPECT_EQ(status, 0);
        else
            EXPECT_EQ(status, *c.status);
        const double budget = 0.5 + c.budget_s * (c.expect == Expect::fails && !hidden ? family.cover : 1) +
                              (hidden ? family.retry_pause_s : 0);
        EXPECT_LT(took, budget);
        EXPECT_TRUE(run.guards_intact) << "written outside the caller's buffer";
        EXPECT_EQ(open_descriptors(), descriptors);

        const ReadRun after = read_once(vr, h, family);
        EXPECT_EQ(after.status, 0) << "the port stays usable";
        EXPECT_EQ(after.data, reference.inside()) << "the next exchange reads its own reply";
        if (table_wanted())
            std::printf("ROW|%s|%s|%d|%.0f\n", c.name, family.name, status, took * 1000);
    }
    EXPECT_EQ(ic_exit(h), 0);
}

INSTANTIATE_TEST_SUITE_P(Families, FaultCampaign, ::testing::ValuesIn(families()),
                         [](const ::testing::TestParamInfo<Family>& param) {
                             std::string name;
                             for (const char* p = param.param.name; *p; ++p)
                                 if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
                             return name;
                         });

// Behind a USB serial adapter whose latency timer hands replies over every 1 or 16 ms: every
// family's read, and the faults a read survives, succeed with exactly the frames of a read
// without them (an interval time-out that fired early would have cost a failure or a retry).
class AdapterLatencyCampaign : public ::testing::TestWithParam<std::tuple<Family, int>> {};

TEST_P(AdapterLatencyCampaign, EveryReadSucceedsWithoutARetry) {
    const auto& [family, latency] = GetParam();
    const std::string latency_text = std::to_string(latency);
    VirtualReaderProcess vr{reader_options(family, {"--latency", latency_text})};
    ASSERT_TRUE(vr.running());
    vr.export_port(0);
    const int32_t h = ic_init(0, 115200);
    ASSERT_GT(h, 0);
    if (family.prepare) family.prepare(h);

    const ReadRun plain = read_once(vr, h, family);
    ASSERT_EQ(plain.status, 0);
    // Each frame waits at most one period for its reply.
    const double per_frame_s = latency / 1000.0 + 0.02;
    EXPECT_LT(plain.took, 0.5 + static_cast<double>(plain.frames) * per_frame_s);
    if (table_wanted())
        std::printf("ROW|latency %d ms|%s|%d|%.0f\n", latency, family.name, plain.status, plain.took * 1000);

    for (const FaultCase& c : fault_cases()) {
        if (c.expect != Expect::succeeds || (c.slow && !family.slow_faults)) continue;
        SCOPED_TRACE(std::string(family.name) + " / " + c.name + " / latency " + latency_text);
        vr.set_fault(c.make(static_cast<uint32_t>(plain.frames), 1));
        const ReadRun run = read_once(vr, h, family);
        vr.clear_faults();
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.frames, plain.frames) << "a retry hid a failed exchange";
        EXPECT_LT(run.took, 0.5 + c.budget_s + static_cast<double>(plain.frames) * per_frame_s);
        EXPECT_TRUE(run.guards_intact);
        const ReadRun after = read_once(vr, h, family);
        EXPECT_EQ(after.status, 0);
        EXPECT_EQ(after.data, plain.data);
        if (table_wanted())
            std::printf("ROW|%s, latency %d ms|%s|%d|%.0f\n", c.name, latency, family.name, run.status, run.took * 1000);
    }
    EXPECT_EQ(ic_exit(h), 0);
}

INSTANTIATE_TEST_SUITE_P(Families, AdapterLatencyCampaign,
                         ::testing::Combine(::testing::ValuesIn(families()), ::testing::Values(1, 16)),
                         [](const ::testing::TestParamInfo<std::tuple<Family, int>>& param) {
                             std::string name;
                             for (const char* p = std::get<0>(param.param).name; *p; ++p)
                                 if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
                             return name + "_" + std::to_string(std::get<1>(param.param)) + "ms";
                         });

// The reader goes away in the middle of a session: the call fails within its time-out, writes
// nothing outside the buffer, closing the handle gives back every descriptor, and a port opened
// afterwards on a new reader works.
TEST(FaultCampaignReaderGone, KilledReaderFailsInTimeAndLeaksNothing) {
    const size_t descriptors = open_descriptors();
    {
        VirtualReaderProcess vr{"--card", "sle4442", "--rate", "115200"};
        vr.export_port(0);
        const int32_t h = ic_init(0, 115200);
        ASSERT_GT(h, 0);
        GuardedBuffer buffer(length);
        ASSERT_EQ(srd_4442(h, 0, length, buffer.data()), 0);
        ASSERT_EQ(::kill(vr.pid(), SIGKILL), 0);
        vr.terminate();  // reaps it
        const auto start = std::chrono::steady_clock::now();
        const int16_t status = srd_4442(h, 0, length, buffer.data());
        const double took = seconds_since(start);
        EXPECT_LT(status, 0);
        EXPECT_LT(took, 2.5);
        EXPECT_TRUE(buffer.guards_intact());
        if (table_wanted()) std::printf("ROW|reader killed|SLE4442|%d|%.0f\n", status, took * 1000);
        ic_exit(h);
    }
    EXPECT_EQ(open_descriptors(), descriptors);
    VirtualReaderProcess next{"--card", "sle4442", "--rate", "115200"};
    next.export_port(0);
    const int32_t h = ic_init(0, 115200);
    ASSERT_GT(h, 0);
    uint8_t data[length];
    EXPECT_EQ(srd_4442(h, 0, length, data), 0);
    EXPECT_EQ(ic_exit(h), 0);
}

// A flood of line noise, thousands of bytes, instead of a reply: refused at its first byte, the
// rest discarded within the drain limit, and the next exchange reads its own reply.
TEST(FaultCampaignFlood, GarbageFloodIsRefusedAndDiscarded) {
    VirtualReaderProcess vr{"--card", "sle4442", "--rate", "115200"};
    vr.export_port(0);
    const int32_t h = ic_init(0, 115200);
    ASSERT_GT(h, 0);
    GuardedBuffer reference(length);
    ASSERT_EQ(srd_4442(h, 0, length, reference.data()), 0);
    const size_t descriptors = open_descriptors();
    for (int burst = 0; burst < 3; ++burst) {
        vr.set_fault(Fault::garbage(4000));
        GuardedBuffer buffer(length);
        const auto start = std::chrono::steady_clock::now();
        const int16_t status = srd_4442(h, 0, length, buffer.data());
        const double took = seconds_since(start);
        EXPECT_EQ(status, QL_BAD_LEAD);
        EXPECT_LT(took, 2.0 + 0.5);
        EXPECT_TRUE(buffer.guards_intact());
        if (table_wanted() && burst == 0) std::printf("ROW|garbage flood 4000|SLE4442|%d|%.0f\n", status, took * 1000);
        GuardedBuffer after(length);
        EXPECT_EQ(srd_4442(h, 0, length, after.data()), 0);
        EXPECT_EQ(after.inside(), reference.inside());
    }
    EXPECT_EQ(open_descriptors(), descriptors);
    EXPECT_EQ(ic_exit(h), 0);
}
