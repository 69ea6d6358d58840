// APDU round trips through the library over the pseudo-terminal at 115200 baud, against the
// virtual processor card: the round-trip time and the library's CPU time per APDU, set against
// the time the same frames take on a real wire (10 bits a byte). Two APDUs: READ BINARY of 16
// bytes (one block frame each way) and SELECT by name with Le (case 4: the card answers 61 08 and
// the library fetches the FCI with GET RESPONSE, two frames each way). Prints figures; it is not
// a test.
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
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

struct Case {
    const char* name;
    Bytes apdu;
    int wire_bytes;  // command and reply frames of one APDU, all exchanges
};

void measure(Session& session, const Case& c, int rounds) {
    session.apdu(c.apdu);  // warm-up
    const double cpu_start = bench::thread_cpu_ms();
    const auto wall_start = std::chrono::steady_clock::now();
    int failures = 0;
    for (int i = 0; i < rounds; ++i) failures += !session.apdu(c.apdu);
    const double wall_ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wall_start).count();
    const double cpu_ms = bench::thread_cpu_ms() - cpu_start;
    const double wire_ms = c.wire_bytes * 10 * 1000.0 / 115200.0;
    const double wall_per = wall_ms / rounds;
    const double cpu_per = cpu_ms / rounds;
    std::printf("%s, %d APDUs (%d failed)\n", c.name, rounds, failures);
    std::printf("  wire time per APDU at 115200     %8.3f ms (%d bytes x 10 bits)\n", wire_ms, c.wire_bytes);
    std::printf("  round trip per APDU (pty)        %8.3f ms  = %.2f%% of the wire time\n", wall_per,
                100.0 * wall_per / wire_ms);
    std::printf("  library CPU time per APDU        %8.3f ms  = %.2f%% of the wire time\n", cpu_per,
                100.0 * cpu_per / wire_ms);
}

}  // namespace

int main(int argc, char** argv) {
    const char* program = argc > 1 ? argv[1] : QUILLET_VREADER_PATH;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 300;
    pid_t reader = -1;
    const std::string pty = bench::start_reader(program, "cpu", reader);
    if (pty.empty()) {
        std::fprintf(stderr, "cannot start %s\n", program);
        return 1;
    }
    setenv("QUILLET_COM1", pty.c_str(), 1);
    const int32_t handle = ic_init(0, 115200);
    if (handle < 0) {
        std::fprintf(stderr, "ic_init failed: %d\n", handle);
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
    // READ BINARY: frame 10 + 9-byte block, reply 5 + 22-byte block (16 data, SW).
    measure(session, {"READ BINARY, 16 bytes", {0x00, 0xB0, 0x00, 0x00, 0x10}, 19 + 27}, rounds);
    // SELECT by name, case 4: 24 + 11 bytes, then GET RESPONSE 19 + 19 bytes.
    measure(session,
            {"SELECT by name with 61 08 and GET RESPONSE",
             {0x00, 0xA4, 0x04, 0x00, 0x04, 0xF0, 0x51, 0x56, 0x52, 0x00},
             24 + 11 + 19 + 19},
            rounds);
    ic_exit(handle);
    bench::stop_reader(reader);
    return 0;
}
