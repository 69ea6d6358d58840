// The fault campaign: every fault kind of the virtual reader's plan against the catalogue's
// operations (quillet_families.h): every family's read, its write and the presentation of its
// security code where it has them, plus the processor card's block, a SAM slot's and the reader's
// serial number. Each case checks the status, the time against its budget, the guard bytes
// around the caller's buffer, the open descriptors, and that the same call made again on the
// same port gives the result it gave before the fault (the data read, the data written as read
// back, the error counter full after the right code: the campaign presents only the right code,
// so a fault during a presentation costs the card no attempt for good). The erase codes are left
// out: every presentation of one, right or wrong, uses up a bit of its counter. One virtual
// reader serves all the cases of a family.
//
// The faults that cost a whole 2 s time-out (drop, never) and the late reply run only for the
// families marked slow_faults; the cheap ones run for all. With QUILLET_FAULT_TABLE set each case
// prints a row "ROW|operation|fault|family|status|ms" (scripts/fault_table turns them into
// docs/fault_campaign.md).
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "quillet.h"
#include "quillet_families.h"
#include "tests/support/virtual_reader_process.h"

using quillet::test::Bytes;
using quillet::test::Fault;
using quillet::test::VirtualReaderProcess;

namespace {

constexpr size_t guard = 32;
constexpr uint8_t guard_byte = 0xE7;
constexpr int16_t length = 16;     // units read
constexpr int16_t written = 3;     // units written

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

// The caller's buffer with guard zones on both sides.
struct GuardedBuffer {
    explicit GuardedBuffer(size_t n) : bytes(n + 2 * guard, guard_byte), size(n) {}
    explicit GuardedBuffer(const Bytes& contents) : GuardedBuffer(contents.size()) {
        std::copy(contents.begin(), contents.end(), data());
    }
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

// ---- the catalogue's operations, from its X-macros ----

struct Place {
    int16_t zone;  // zone or page; 0 on a flat card
    int16_t offset;
};

using ReadCall = std::function<int16_t(int32_t, Place, int16_t, uint8_t*)>;
using WriteCall = std::function<int16_t(int32_t, Place, int16_t, const uint8_t*)>;
using CodeCall = std::function<int16_t(int32_t, int16_t, const uint8_t*)>;  // the first code (zone 0, set 0)
using CounterCall = std::function<int16_t(int32_t, int*)>;

struct CatalogueRow {
    const char* name = nullptr;
    int16_t unit = 1;
    long units = 0;
    int16_t code_bytes = 0;
    int counter_max = 0;
    ReadCall read;
    WriteCall write;
    CodeCall present;
    CounterCall counter;
};

// The error counter as an int, from the call shape's own type (a count, or the card's raw byte).
template <typename Count, typename Call>
int16_t counter_value(int* value, Call&& call) {
    Count count = 0;
    const int16_t status = call(&count);
    *value = count;
    return status;
}

const std::vector<CatalogueRow>& catalogue() {
    static const std::vector<CatalogueRow> rows = [] {
        std::vector<CatalogueRow> r(QL_FAMILY_COUNT);
#define CAMPAIGN_ROW(key, alias, type, rank, shape, unit_bytes, size, write_units, zones, code, kinds, counter_top) \
    r[QL_FAMILY_##key].name = #key;                                                                             \
    r[QL_FAMILY_##key].unit = unit_bytes;                                                                       \
    r[QL_FAMILY_##key].units = size;                                                                            \
    r[QL_FAMILY_##key].code_bytes = code;                                                                       \
    r[QL_FAMILY_##key].counter_max = counter_top;
        QL_FAMILIES(CAMPAIGN_ROW)
#define CAMPAIGN_FLAT(key, read_fn, write_fn)                                                                             \
    r[QL_FAMILY_##key].read = [](int32_t h, Place p, int16_t n, uint8_t* b) { return read_fn(h, p.offset, n, b); };       \
    r[QL_FAMILY_##key].write = [](int32_t h, Place p, int16_t n, const uint8_t* b) { return write_fn(h, p.offset, n, b); };
#define CAMPAIGN_PLACED(key, read_fn, write_fn)                                                            \
    r[QL_FAMILY_##key].read = [](int32_t h, Place p, int16_t n, uint8_t* b) {                              \
        return read_fn(h, p.zone, p.offset, n, b);                                                         \
    };                                                                                                     \
    r[QL_FAMILY_##key].write = [](int32_t h, Place p, int16_t n, const uint8_t* b) {                       \
        return write_fn(h, p.zone, p.offset, n, b);                                                        \
    };
        QL_FAMILY_FLAT_MEMORY(CAMPAIGN_FLAT)
        QL_FAMILY_ZONED_MEMORY(CAMPAIGN_PLACED)
        QL_FAMILY_PAGED_MEMORY(CAMPAIGN_PLACED)
#define CAMPAIGN_CODE(key, present_fn, change_fn, counter_fn)                                               \
    r[QL_FAMILY_##key].present = [](int32_t h, int16_t n, const uint8_t* c) { return present_fn(h, n, c); }; \
    r[QL_FAMILY_##key].counter = [](int32_t h, int* v) {                                                    \
        return counter_value<int16_t>(v, [h](int16_t* c) { return counter_fn(h, c); });                     \
    };
#define CAMPAIGN_ZONE_CODE(key, present_fn, change_fn, counter_fn)                                              \
    r[QL_FAMILY_##key].present = [](int32_t h, int16_t n, const uint8_t* c) { return present_fn(h, 0, n, c); }; \
    r[QL_FAMILY_##key].counter = [](int32_t h, int* v) {                                                       \
        return counter_value<int16_t>(v, [h](int16_t* c) { return counter_fn(h, 0, c); });                     \
    };
#define CAMPAIGN_SLS_CODE(key, present_fn, change_fn, counter_fn, sets)                                            \
    r[QL_FAMILY_##key].present = [](int32_t h, int16_t n, const uint8_t* c) { return present_fn(h, 0, n, 0, c); }; \
    r[QL_FAMILY_##key].counter = [](int32_t h, int* v) {                                                          \
        return counter_value<uint8_t>(v, [h](uint8_t* c) { return counter_fn(h, 0, 1, 0, c); });                  \
    };
#define CAMPAIGN_SSL_CODE(key, present_fn, change_fn, counter_fn, sets)                                            \
    r[QL_FAMILY_##key].present = [](int32_t h, int16_t n, const uint8_t* c) { return present_fn(h, 0, 0, n, c); }; \
    r[QL_FAMILY_##key].counter = [](int32_t h, int* v) {                                                          \
        return counter_value<uint8_t>(v, [h](uint8_t* c) { return counter_fn(h, 0, 0, 1, c); });                  \
    };
        QL_FAMILY_CODES(CAMPAIGN_CODE)
        QL_FAMILY_ZONED_CODES(CAMPAIGN_ZONE_CODE)
        QL_FAMILY_PASSWORDS_SET_LENGTH_SELECTOR(CAMPAIGN_SLS_CODE)
        QL_FAMILY_PASSWORDS_SET_SELECTOR_LENGTH(CAMPAIGN_SSL_CODE)
        return r;
    }();
    return rows;
}

// ---- what the campaign knows of a family beyond the catalogue ----

struct Habits {
    std::string_view family;
    Place write_at{0, 5};               // where the card takes a write as made (the read starts in that zone or page)
    bool hides_transport = false;       // the family repeats an exchange that failed in transport...
    bool repeats_refused_reads = false; // ...and a read that was refused, so a one-frame fault goes unseen
    double retry_pause_s = 0;           // paid once when a retry hides the fault
    bool slow_faults = false;           // also the 2 s faults
    // A write that programs for 2.5 s meets these faults only (none named: every fault).
    std::array<std::string_view, 3> write_faults{};
};

constexpr Habits habits[] = {
    {"sle4442", {0, 64}, false, false, 0, true},
    {"2042", {0, 64}},
    {"sle4432", {0, 64}},
    {"sle4428", {0, 64}},
    {"sle4418", {0, 64}},
    {"24c02", {0, 5}, false, false, 0, true},
    {"sle4404", {0, 16}},
    {"sle4406", {0, 2}},
    {"sle4436", {0, 2}},
    {"at88sc101", {0, 24}},
    {"at88sc102", {1, 2}},
    {"at88sc1604", {1, 2}, false, false, 0, false, {"bcc", "status 0x05", "truncate 4"}},
    {"at88sc1604b", {1, 2}, false, false, 0, false, {"bcc"}},
    {"at88sc1604c", {1, 2}, false, false, 0, false, {"bcc"}},
    {"at88sc1608", {1, 8}},
    {"at88sc153", {1, 8}},
    {"at45d041", {3, 0}, true, false, 0.3},
    {"ssf1101", {3, 0}, true, true, 0.3},
};

// A call that proves its work by reading it back reports a corrupted read-back as a failure: the
// SLE4406's code shows only once the right one was presented.
struct Verdict {
    std::string_view family, operation, fault;
    int16_t status;
};
constexpr Verdict read_back_verdicts[] = {
    {"sle4406", "code", "corrupt", QL_WRITE_FAILED},
    {"sle4436", "code", "corrupt", QL_WRITE_FAILED},
};

// An SSF1101 page read takes the reply's header and its data in two reads on the port's own
// time-outs: a reply broken off after its header costs the second read's whole first-byte wait.
struct ExtraTime {
    std::string_view family, operation, fault;
    double seconds;
};
constexpr ExtraTime extra_times[] = {{"ssf1101", "read", "truncate 4", 2.0}};

Habits habits_of(std::string_view family) {
    for (const Habits& h : habits)
        if (h.family == family) return h;
    return Habits{family};
}

// ---- the subjects: a card in a virtual reader and the operations run on it ----

struct Operation {
    const char* name;  // "read", "write", "code"
    Bytes input;       // the caller's buffer before the call: the data written, the code; empty for a read
    size_t size;       // the caller's buffer
    std::function<int16_t(int32_t, uint8_t*)> call;
    std::function<void(int32_t)> setup;                  // before every call, outside the fault
    std::function<Bytes(int32_t, const Bytes&)> result;  // what a call gave: its buffer, or what it left on the card
    std::optional<Bytes> expected;                       // that result when known beforehand
    uint32_t cover = 1;                                  // frames a fault covers: all of the call's attempts
    std::array<std::string_view, 3> only_faults{};       // none named: every fault
};

struct Subject {
    std::string name;
    std::string card;  // the reader's --card, then any further options of the reader
    std::function<void(int32_t)> prepare;  // once, after opening
    std::vector<Operation> operations;
    Habits habits;
};

Bytes returned(int32_t, const Bytes& buffer) { return buffer; }

// A read into a buffer of `size` bytes; cover: the attempts the call makes at most.
Operation read_operation(size_t size, std::function<int16_t(int32_t, uint8_t*)> call, uint32_t cover = 1) {
    return {"read", {}, size, std::move(call), {}, returned, std::nullopt, cover};
}

Subject catalogued(const CatalogueRow& row) {
    const Habits habit = habits_of(row.name);
    Subject s{row.name, row.name, {}, {}, habit};
    const auto read_units = static_cast<int16_t>(std::min<long>(length, row.units));
    const Place read_at{habit.write_at.zone, 0};
    if (row.read)
        s.operations.push_back(read_operation(
            static_cast<size_t>(read_units * row.unit),
            [row, read_units, read_at](int32_t h, uint8_t* b) { return row.read(h, read_at, read_units, b); }));
    const Bytes code(static_cast<size_t>(row.code_bytes), 0xFF);  // every card's code as made
    std::function<void(int32_t)> present_code;
    if (row.present)
        present_code = [row, code](int32_t h) {
            EXPECT_EQ(row.present(h, row.code_bytes, code.data()), 0) << "the code as made";
        };

    Bytes data(static_cast<size_t>(written * row.unit));
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(0x11 + i);
    const Place at = habit.write_at;
    if (row.write)
        s.operations.push_back({"write", data, data.size(),
                                [row, at](int32_t h, uint8_t* b) { return row.write(h, at, written, b); }, present_code,
                                [row, at](int32_t h, const Bytes& sent) {
                                    Bytes back(sent.size());
                                    EXPECT_EQ(row.read(h, at, written, back.data()), 0);
                                    return back;
                                },
                                data, 1, habit.write_faults});
    if (row.present)
        s.operations.push_back({"code", code, code.size(),
                                [row](int32_t h, uint8_t* c) { return row.present(h, row.code_bytes, c); }, {},
                                [row](int32_t h, const Bytes&) {
                                    int count = -1;
                                    EXPECT_EQ(row.counter(h, &count), 0);
                                    return Bytes{static_cast<uint8_t>(count)};
                                },
                                Bytes{static_cast<uint8_t>(row.counter_max)}});
    return s;
}

// A processor card's block, in the main slot or a SAM slot: the card's three attempts.
Operation block_read(std::function<int16_t(int32_t, uint8_t*)> call) {
    return read_operation(QL_CPU_RESPONSE_MAX, std::move(call), 3);
}

const std::vector<Subject>& subjects() {
    static const std::vector<Subject> list = [] {
        std::vector<Subject> l;
        for (const CatalogueRow& row : catalogue()) l.push_back(catalogued(row));
        l.push_back({"CPU", "cpu",
                     [](int32_t h) {
                         uint8_t answer[QL_CPU_ANSWER_MAX];
                         EXPECT_EQ(cpu_reset(h, answer), 0);
                     },
                     {block_read([](int32_t h, uint8_t* o) {
                         const Bytes block = select_master_file();
                         return cpu_protocol(h, static_cast<int16_t>(block.size()), block.data(), o);
                     })},
                     Habits{"CPU"}});
        l.push_back({"SAM 1", "blank --sam 1:cpu",
                     [](int32_t h) {
                         uint8_t answer[QL_CPU_ANSWER_MAX];
                         int16_t got = 0;
                         EXPECT_EQ(sam_slt_reset(h, 1, &got, answer), 0);
                     },
                     {block_read([](int32_t h, uint8_t* o) {
                         const Bytes block = select_master_file();
                         int16_t got = 0;
                         return sam_slt_protocol(h, 1, static_cast<int16_t>(block.size()), block.data(), &got, o);
                     })},
                     Habits{"SAM 1"}});
        l.push_back({"reader srd_snr", "sle4442", {},
                     {read_operation(length, [](int32_t h, uint8_t* o) { return srd_snr(h, length, o); })},
                     Habits{"reader srd_snr", {0, 0}, false, false, 0, true}});
        return l;
    }();
    return list;
}

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
        // The reply broken off after its length: a read's data, a write's or a code's BCC missing.
        {"truncate 4", [](uint32_t a, uint32_t c) { return over(Fault::truncate(4), a, c); }, QL_TIMEOUT, Expect::fails, true, false, 1.0},
        {"never", [](uint32_t, uint32_t) { return Fault::never(); }, QL_TIMEOUT, Expect::fails, true, true, 2.5},
        {"delay 1500", [](uint32_t a, uint32_t) { return Fault::delay(1500).at(a); }, 0, Expect::succeeds, false, true, 2.0},
        // A processor card asking for more time: the library carries the S(WTX request) block to
        // the caller as the card's answer (the T=1 layer above it grants or refuses).
        {"wtx", [](uint32_t a, uint32_t c) { return over(Fault::wtx(), a, c); }, 0, Expect::succeeds, false, false, 0.3},
    };
    return cases;
}

bool hidden(const FaultCase& c, const Subject& subject, const Operation& op) {
    const Habits& habit = subject.habits;
    return c.expect == Expect::fails &&
           (c.transport ? habit.hides_transport : habit.repeats_refused_reads && std::string_view(op.name) == "read");
}

bool runs(const FaultCase& c, const Subject& subject, const Operation& op) {
    if (c.slow && !subject.habits.slow_faults) return false;
    return op.only_faults[0].empty() || std::find(op.only_faults.begin(), op.only_faults.end(), c.name) != op.only_faults.end();
}

double extra_time(const FaultCase& c, const Subject& subject, const Operation& op) {
    for (const ExtraTime& e : extra_times)
        if (e.family == subject.name && e.operation == op.name && e.fault == c.name) return e.seconds;
    return 0;
}

// The status the call must return under the fault, 0 when a retry hides it.
int16_t expected_status(const FaultCase& c, const Subject& subject, const Operation& op) {
    for (const Verdict& v : read_back_verdicts)
        if (v.family == subject.name && v.operation == op.name && v.fault == c.name) return v.status;
    return c.expect == Expect::succeeds || hidden(c, subject, op) ? 0 : *c.status;
}

bool table_wanted() { return std::getenv("QUILLET_FAULT_TABLE") != nullptr; }

// One call into a guarded buffer, timed, with the frames it took; the fault, if any, is planned
// after the operation's setup.
struct CallRun {
    int16_t status;
    double took;
    bool guards_intact;
    bool input_kept;
    size_t frames;
    Bytes buffer;
};

CallRun run_once(VirtualReaderProcess& vr, int32_t h, const Operation& op, const std::optional<Fault>& fault = {}) {
    if (op.setup) op.setup(h);
    if (fault) vr.set_fault(*fault);
    vr.clear_log();
    GuardedBuffer buffer = op.input.empty() ? GuardedBuffer(op.size) : GuardedBuffer(op.input);
    const auto start = std::chrono::steady_clock::now();
    const int16_t status = op.call(h, buffer.data());
    const double took = seconds_since(start);
    const size_t frames = vr.host_frames().size();
    if (fault) vr.clear_faults();
    return {status, took, buffer.guards_intact(), op.input.empty() || buffer.inside() == op.input, frames, buffer.inside()};
}

void print_row(const char* operation, const std::string& fault, const std::string& family, int status, double took) {
    if (table_wanted()) std::printf("ROW|%s|%s|%s|%d|%.0f\n", operation, fault.c_str(), family.c_str(), status, took * 1000);
}

std::string test_name(const std::string& name) {
    std::string out;
    for (char c : name)
        if (std::isalnum(static_cast<unsigned char>(c))) out += c;
    return out;
}

// Test names and failure messages show the family by its name.
void PrintTo(const Subject& value, std::ostream* out) { *out << value.name; }

// A reader at 115200 baud with the card (its words are the reader's card options) on port 0, and
// the port opened on it.
struct Session {
    std::unique_ptr<VirtualReaderProcess> reader;
    int32_t h = -1;
};

void open_session(const std::string& card, std::vector<std::string> options, Session& session) {
    options.insert(options.end(), {"--rate", "115200", "--card"});
    std::istringstream words(card);
    for (std::string word; words >> word;) options.push_back(word);
    session.reader = std::make_unique<VirtualReaderProcess>(options);
    ASSERT_TRUE(session.reader->running());
    session.reader->export_port(0);
    session.h = ic_init(0, 115200);
    ASSERT_GT(session.h, 0);
}

class FaultCampaign : public ::testing::TestWithParam<Subject> {};

}  // namespace

TEST_P(FaultCampaign, EveryFaultGivesItsStatusInTimeAndLeavesThePortUsable) {
    const Subject& subject = GetParam();
    Session session;
    ASSERT_NO_FATAL_FAILURE(open_session(subject.card, {}, session));
    if (subject.prepare) subject.prepare(session.h);
    VirtualReaderProcess& vr = *session.reader;
    const int32_t h = session.h;
    const Habits& habit = subject.habits;
    ASSERT_FALSE(subject.operations.empty());

    for (const Operation& op : subject.operations) {
        SCOPED_TRACE(subject.name + " / " + op.name);
        const CallRun plain = run_once(vr, h, op);
        ASSERT_EQ(plain.status, 0);
        const auto frames = static_cast<uint32_t>(plain.frames);
        ASSERT_GE(frames, 1u);
        const Bytes reference = op.result(h, plain.buffer);
        if (op.expected) {
            EXPECT_EQ(reference, *op.expected);
        }

        for (const FaultCase& c : fault_cases()) {
            if (!runs(c, subject, op)) continue;
            SCOPED_TRACE(c.name);
            const size_t descriptors = open_descriptors();
            const bool unseen = hidden(c, subject, op);
            // The last frame of the operation is the one that carries its answer.
            const CallRun run = run_once(vr, h, op, c.make(frames, unseen ? 1 : op.cover));

            EXPECT_EQ(run.status, expected_status(c, subject, op));
            const double budget = plain.took + 0.5 +
                                  c.budget_s * (c.expect == Expect::fails && !unseen ? op.cover : 1) +
                                  (unseen ? habit.retry_pause_s : 0) + extra_time(c, subject, op);
            EXPECT_LT(run.took, budget);
            EXPECT_TRUE(run.guards_intact) << "written outside the caller's buffer";
            EXPECT_TRUE(run.input_kept) << "written into the caller's data";
            EXPECT_EQ(open_descriptors(), descriptors);

            // The same call again: it succeeds and gives what it gave before the fault (a fault
            // during a code presentation leaves the card's error counter full again).
            const CallRun after = run_once(vr, h, op);
            EXPECT_EQ(after.status, 0) << "the port stays usable";
            EXPECT_EQ(op.result(h, after.buffer), reference) << "the next exchange reads its own reply";
            print_row(op.name, c.name, subject.name, run.status, run.took);
        }
    }
    EXPECT_EQ(ic_exit(h), 0);
}

INSTANTIATE_TEST_SUITE_P(Families, FaultCampaign, ::testing::ValuesIn(subjects()),
                         [](const ::testing::TestParamInfo<Subject>& param) { return test_name(param.param.name); });

// Behind a USB serial adapter whose latency timer hands replies over every 1 or 16 ms: every
// family's read, and the faults a read survives, succeed with exactly the frames of a read
// without them (an interval time-out that fired early would have cost a failure or a retry).
class AdapterLatencyCampaign : public ::testing::TestWithParam<std::tuple<Subject, int>> {};

TEST_P(AdapterLatencyCampaign, EveryReadSucceedsWithoutARetry) {
    const auto& [subject, latency] = GetParam();
    const std::string latency_text = std::to_string(latency);
    Session session;
    ASSERT_NO_FATAL_FAILURE(open_session(subject.card, {"--latency", latency_text}, session));
    if (subject.prepare) subject.prepare(session.h);
    VirtualReaderProcess& vr = *session.reader;
    const int32_t h = session.h;
    const Operation& read = subject.operations.front();

    const CallRun plain = run_once(vr, h, read);
    ASSERT_EQ(plain.status, 0);
    // Each frame waits at most one period for its reply.
    const double per_frame_s = latency / 1000.0 + 0.02;
    EXPECT_LT(plain.took, 0.5 + static_cast<double>(plain.frames) * per_frame_s);
    print_row("read, adapter latency", "latency " + latency_text + " ms", subject.name, plain.status, plain.took);

    for (const FaultCase& c : fault_cases()) {
        if (c.expect != Expect::succeeds || !runs(c, subject, read)) continue;
        SCOPED_TRACE(subject.name + " / " + c.name + " / latency " + latency_text);
        const CallRun run = run_once(vr, h, read, c.make(static_cast<uint32_t>(plain.frames), 1));
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.frames, plain.frames) << "a retry hid a failed exchange";
        EXPECT_LT(run.took, 0.5 + c.budget_s + static_cast<double>(plain.frames) * per_frame_s);
        EXPECT_TRUE(run.guards_intact);
        const CallRun after = run_once(vr, h, read);
        EXPECT_EQ(after.status, 0);
        EXPECT_EQ(after.buffer, plain.buffer);
        print_row("read, adapter latency", std::string(c.name) + ", latency " + latency_text + " ms", subject.name,
                  run.status, run.took);
    }
    EXPECT_EQ(ic_exit(h), 0);
}

INSTANTIATE_TEST_SUITE_P(Families, AdapterLatencyCampaign,
                         ::testing::Combine(::testing::ValuesIn(subjects()), ::testing::Values(1, 16)),
                         [](const ::testing::TestParamInfo<std::tuple<Subject, int>>& param) {
                             return test_name(std::get<0>(param.param).name) + "_" +
                                    std::to_string(std::get<1>(param.param)) + "ms";
                         });
// The reader goes away in the middle of a session: the call fails within its time-out, writes
// nothing outside the buffer, closing the handle gives back every descriptor, and a port opened
// afterwards on a new reader works.
TEST(FaultCampaignReaderGone, KilledReaderFailsInTimeAndLeaksNothing) {
    const size_t descriptors = open_descriptors();
    {
        Session session;
        ASSERT_NO_FATAL_FAILURE(open_session("sle4442", {}, session));
        VirtualReaderProcess& vr = *session.reader;
        const int32_t h = session.h;
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
        print_row("reader", "reader killed", "sle4442", status, took);
        ic_exit(h);
    }
    EXPECT_EQ(open_descriptors(), descriptors);
    Session next;
    ASSERT_NO_FATAL_FAILURE(open_session("sle4442", {}, next));
    const int32_t h = next.h;
    uint8_t data[length];
    EXPECT_EQ(srd_4442(h, 0, length, data), 0);
    EXPECT_EQ(ic_exit(h), 0);
}

// A flood of line noise, thousands of bytes, instead of a reply: refused at its first byte, the
// rest discarded within the drain limit, and the next exchange reads its own reply.
TEST(FaultCampaignFlood, GarbageFloodIsRefusedAndDiscarded) {
    Session session;
    ASSERT_NO_FATAL_FAILURE(open_session("sle4442", {}, session));
    VirtualReaderProcess& vr = *session.reader;
    const int32_t h = session.h;
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
        if (burst == 0) print_row("reader", "garbage flood 4000", "sle4442", status, took);
        GuardedBuffer after(length);
        EXPECT_EQ(srd_4442(h, 0, length, after.data()), 0);
        EXPECT_EQ(after.inside(), reference.inside());
    }
    EXPECT_EQ(open_descriptors(), descriptors);
    EXPECT_EQ(ic_exit(h), 0);
}
