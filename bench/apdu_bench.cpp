// APDU round trips through the library over the pseudo-terminal at 115200 baud, against the
// virtual processor card, each beside its floor (the same bytes, one write and one tcdrain per
// byte, bench_reader.h): READ BINARY of 16 bytes (one block frame each way) and SELECT by name
// with Le (case 4: the card answers 61 08 and the library fetches the FCI with GET RESPONSE, two
// frames each way). Prints figures; it is not a test.
//
//   apdu-bench [APDUs per block]
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_reader.h"
#include "quillet.h"

namespace {

using Bytes = std::vector<uint8_t>;

// An application's I-blocks: NAD 0, N(S) from the card's last block.
class Session {
public:
    explicit Session(int32_t handle) : handle_(handle) {}
    bool apdu(const Bytes& command) {
        Bytes block{0x00, pcb_, static_cast<uint8_t>(command.size())};
        block.insert(block.end(), command.begin(), command.end());
        uint8_t lrc = 0;
        for (uint8_t b : block) lrc ^= b;
        block.push_back(lrc);
        uint8_t response[QL_CPU_RESPONSE_MAX];
        if (cpu_protocol(handle_, static_cast<int16_t>(block.size()), block.data(), response) != 0) return false;
        pcb_ = static_cast<uint8_t>((response[1] & 0x40) ^ 0x40);
        const size_t n = response[2];
        return n >= 2 && response[1 + n] == 0x90 && response[2 + n] == 0x00;
    }

private:
    int32_t handle_;
    uint8_t pcb_ = 0x00;
};

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 50;
    constexpr int blocks = 15;
    bench::VirtualReaderProcess vr{"--rate", "115200", "--card", "cpu"};
    if (!vr.running()) return 1;
    bench::FloorHost floor(vr.pty_path());
    vr.export_port(0);
    const int32_t handle = ic_init(0, 115200);
    if (!floor.is_open() || handle < 0) {
        std::fprintf(stderr, "cannot open the virtual reader's terminal (ic_init %d)\n", handle);
        return 1;
    }
    uint8_t answer[QL_CPU_ANSWER_MAX];
    Session session(handle);
    const bool ready = cpu_reset(handle, answer) == 0 &&
                       session.apdu({0x00, 0xA4, 0x04, 0x0C, 0x04, 0xF0, 0x51, 0x56, 0x52}) &&
                       session.apdu({0x00, 0xA4, 0x02, 0x0C, 0x02, 0x01, 0x01});
    if (!ready) {
        std::fprintf(stderr, "the virtual card did not answer\n");
        return 1;
    }
    const Bytes read_binary{0x00, 0xB0, 0x00, 0x00, 0x10};
    const Bytes select_by_name{0x00, 0xA4, 0x04, 0x00, 0x04, 0xF0, 0x51, 0x56, 0x52, 0x00};
    // The floor replays one APDU's frames again and again; the card answers each as it comes.
    const auto read = bench::compare(vr, floor, [&] { return session.apdu(read_binary); }, rounds, blocks);
    const auto select = bench::compare(vr, floor, [&] { return session.apdu(select_by_name); }, rounds, blocks);
    ic_exit(handle);
    std::printf("APDUs over the pseudo-terminal at 115200 baud, median of %d turns of %d\n", blocks, rounds);
    bench::print("READ BINARY, 16 bytes (19-byte frame, 27-byte reply)", read);
    bench::print("SELECT by name with 61 08 and GET RESPONSE (two frames each way)", select);
    return read.failures + select.failures ? 1 : 0;
}
