// Cost of one exchange over the pseudo-terminal: the library's CPU time and the round-trip time of
// a 144-byte read of the reader's user area at 115200 baud, set against the time the same frames
// take on a real wire (161 bytes of 10 bits). Prints figures; it is not a test.
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench_reader.h"
#include "trace_cost.h"
#include "quillet.h"

namespace {

}  // namespace

int main(int argc, char** argv) {
    const char* program = argc > 1 ? argv[1] : QUILLET_VREADER_PATH;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 300;
    pid_t reader = -1;
    const std::string pty = bench::start_reader(program, nullptr, reader);
    if (pty.empty()) {
        std::fprintf(stderr, "cannot start %s\n", program);
        return 1;
    }
    setenv("QUILLET_COM1", pty.c_str(), 1);
    bench::print_trace_cost(rounds);
    const int32_t handle = ic_init(0, 115200);
    if (handle < 0) {
        std::fprintf(stderr, "ic_init failed: %d\n", handle);
        return 1;
    }
    uint8_t buffer[144];
    srd_eeprom(handle, 0, 144, buffer);  // warm-up

    const double cpu_start = bench::thread_cpu_ms();
    const auto wall_start = std::chrono::steady_clock::now();
    int failures = 0;
    for (int i = 0; i < rounds; ++i) failures += srd_eeprom(handle, 0, 144, buffer) != 0;
    const double wall_ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wall_start).count();
    const double cpu_ms = bench::thread_cpu_ms() - cpu_start;
    ic_exit(handle);

    const double wire_ms = (12 + 149) * 10 * 1000.0 / 115200.0;
    const double cpu_per = cpu_ms / rounds;
    const double wall_per = wall_ms / rounds;
    std::printf("144-byte read, %d exchanges over the pseudo-terminal at 115200 baud (%d failed)\n", rounds, failures);
    std::printf("  wire time per exchange          %8.3f ms (161 bytes x 10 bits)\n", wire_ms);
    std::printf("  library CPU time per exchange   %8.3f ms  = %.2f%% of the wire time\n", cpu_per, 100.0 * cpu_per / wire_ms);
    std::printf("  round trip per exchange (pty)   %8.3f ms\n", wall_per);
    bench::stop_reader(reader);
    return failures ? 1 : 0;
}
