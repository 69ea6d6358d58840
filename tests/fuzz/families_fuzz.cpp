// Every family's operations over a fuzzing link: an in-memory serial port that answers each
// command frame the library sends with the next reply taken from the fuzz input, on a simulated
// clock so that time-outs and retry pauses cost nothing. Buffers are heap blocks of exactly the
// size the call may fill, so ASan sees a byte written or read past them.
//
// Input: a byte picks the next operation; each frame it sends is answered from the bytes that
// follow. An answer starts with a header byte h:
//   h & 0x80   raw: the next (h & 0x7F) bytes go out as they are
//   otherwise  a well-formed reply 55 S LH LL data BCC: S the next byte when h & 0x40 (else 0),
//              the data length the next byte (+ 256 when h & 0x20), the data the bytes after
// When the input runs out, frames go unanswered.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "quillet.h"
#include "core/handles.h"
#include "platform/clock.h"
#include "platform/serial_port.h"

namespace {

class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool empty() const { return next_ >= size_; }
    uint8_t byte() { return empty() ? 0 : data_[next_++]; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t next_ = 0;
};

class SimulatedClock final : public quillet::Clock {
public:
    uint32_t now_ms() override { return now_ += 50; }
    void pause_ms(uint32_t ms) override { now_ += ms; }

private:
    uint32_t now_ = 0;
};

class FuzzingPort final : public quillet::SerialPort {
public:
    explicit FuzzingPort(Input& input) : input_(input) {}

    bool write_byte(uint8_t) override {
        written_ = true;
        return true;
    }
    bool wait_transmit_empty() override { return true; }
    quillet::ReadResult read(uint8_t* into, size_t count, size_t& got) override {
        if (pending_.empty() && written_) answer();
        got = std::min(count, pending_.size());
        std::copy_n(pending_.begin(), got, into);
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<ptrdiff_t>(got));
        return quillet::ReadResult::ok;
    }
    bool purge() override {
        pending_.clear();
        return true;
    }
    bool set_baud(uint32_t) override { return true; }
    bool get_timeouts(quillet::SerialTimeouts& t) override {
        t = timeouts_;
        return true;
    }
    bool set_timeouts(const quillet::SerialTimeouts& t) override {
        timeouts_ = t;
        return true;
    }
    bool close() override { return true; }

private:
    void answer() {
        written_ = false;
        if (input_.empty()) return;
        const uint8_t h = input_.byte();
        if (h & 0x80) {
            for (int i = 0; i < (h & 0x7F); ++i) pending_.push_back(input_.byte());
            return;
        }
        const uint8_t status = (h & 0x40) ? input_.byte() : 0;
        const size_t length = input_.byte() + ((h & 0x20) ? 256u : 0u);
        std::vector<uint8_t> frame{0x55, status, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)};
        for (size_t i = 0; i < length; ++i) frame.push_back(input_.byte());
        uint8_t bcc = 0;
        for (uint8_t b : frame) bcc ^= b;
        frame.push_back(bcc);
        pending_.insert(pending_.end(), frame.begin(), frame.end());
    }

    Input& input_;
    std::deque<uint8_t> pending_;
    bool written_ = false;
    quillet::SerialTimeouts timeouts_{200, 0, 2000, 0, 200};
};

// A heap block of exactly n bytes for the call to fill.
struct Out {
    explicit Out(size_t n) : bytes(n) {}
    uint8_t* operator()() { return bytes.data(); }
    std::vector<uint8_t> bytes;
};

const uint8_t data[1100] = {0x12, 0x34, 0x56};
const uint8_t code[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

int16_t cpu_select(int32_t h) {
    const uint8_t block[] = {0x00, 0x00, 0x07, 0x00, 0xA4, 0x00, 0x00, 0x02, 0x3F, 0x00, 0x9E};
    Out response(QL_CPU_RESPONSE_MAX);
    return cpu_protocol(h, sizeof block, block, response());
}

using Operation = std::function<int16_t(int32_t)>;

const std::vector<Operation>& operations() {
    static const std::vector<Operation> list{
        [](int32_t h) { Out o(32); return srd_4442(h, 0, 32, o()); },
        [](int32_t h) { return swr_4442(h, 32, 16, data); },
        [](int32_t h) { return csc_4442(h, 3, code); },
        [](int32_t h) { Out o(4); return prd_4442(h, 4, o()); },
        [](int32_t h) { int16_t n = 0; return rsct_4442(h, &n); },
        [](int32_t h) { return chk_4442(h); },
        [](int32_t h) { Out o(300); return srd_4428(h, 0, 300, o()); },
        [](int32_t h) { return swr_4428(h, 40, 20, data); },
        [](int32_t h) { Out o(200); return srd_24c02(h, 10, 200, o()); },
        [](int32_t h) { return swr_24c02(h, 0, 40, data); },
        [](int32_t h) { Out o(64); return srd_24c64(h, 100, 64, o()); },
        [](int32_t h) { Out o(100); return srd_93c46(h, 0, 100, o()); },
        [](int32_t h) { return swr_93c46(h, 2, 10, data); },
        [](int32_t h) { Out o(600); return srd_45d041(h, 1, 10, 600, o()); },
        [](int32_t h) { return swr_45d041(h, 1, 0, 300, data); },
        [](int32_t h) { Out o(300); return Read_45(h, 2, 0, 300, o()); },
        [](int32_t h) { Out o(1); return rdstrg_45d041(h, o()); },
        [](int32_t h) { Out o(1100); return srd_ssf1101(h, 0, 0, 1100, o()); },
        [](int32_t h) { return swr_ssf1101(h, 0, 1000, 60, data); },
        [](int32_t h) { Out o(52); return srd_4404(h, 0, 52, o()); },
        [](int32_t h) { Out o(40); return srd_4406(h, 0, 40, o()); },
        [](int32_t h) { Out o(178); return srd_102(h, 0, 0, 178, o()); },
        [](int32_t h) { Out o(100); return srd_1604(h, 1, 0, 100, o()); },
        [](int32_t h) { Out o(400); return srd_1608(h, 0, 0, 400, o()); },
        [](int32_t h) { Out o(129); return srdconfig_1608(h, 0, 129, o()); },
        [](int32_t h) { Out o(4); return reset_1608(h, 4, o()); },
        [](int32_t h) { Out o(QL_CPU_ANSWER_MAX); return cpu_reset(h, o()); },
        cpu_select,
        [](int32_t h) { Out o(16); return srd_snr(h, 16, o()); },
        [](int32_t h) { Out o(18); return srd_ver(h, 18, o()); },
        [](int32_t h) { int16_t state = 0; return get_status(h, &state); },
        [](int32_t h) { int32_t value = 0; return val_read(h, &value); },
        [](int32_t h) { return val_inc(h, 5); },
        [](int32_t h) { Out o(64); return srd_eeprom(h, 0, 64, o()); },
    };
    return list;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    static SimulatedClock simulated;
    quillet::install_clock(&simulated);
    Input input(bytes, size);
    const int32_t h = quillet::add_serial_port(std::make_unique<FuzzingPort>(input));
    if (h <= 0) __builtin_trap();
    for (int calls = 0; calls < 16 && !input.empty(); ++calls) {
        const auto& ops = operations();
        ops[input.byte() % ops.size()](h);
    }
    quillet::close_serial_port(h);
    return 0;
}
