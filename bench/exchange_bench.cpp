// Cost of single exchanges over the pseudo-terminal at 115200 baud, each beside its floor (the
// same bytes, one write and one tcdrain per byte, bench_reader.h): the shortest exchange (the
// card-present query, a 10-byte frame and a 6-byte reply) and a 144-byte read of the reader's
// user area (12 bytes out, 149 back), whose library CPU time is also set against its wire time.
// Then the frame trace's cost, off and on (trace_cost.h). Prints figures; it is not a test.
//
//   exchange-bench [runs per block]
#include <cstdio>
#include <cstdlib>

#include "bench_reader.h"
#include "trace_cost.h"
#include "quillet.h"

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 100;
    constexpr int blocks = 15;
    bench::VirtualReaderProcess vr{"--rate", "115200"};
    if (!vr.running()) return 1;
    bench::FloorHost floor(vr.pty_path());
    vr.export_port(0);
    bench::print_trace_cost(rounds);  // before this process's own first library call
    const int32_t handle = ic_init(0, 115200);
    if (!floor.is_open() || handle < 0) {
        std::fprintf(stderr, "cannot open the virtual reader's terminal (ic_init %d)\n", handle);
        return 1;
    }
    int16_t state = 0;
    uint8_t buffer[144];
    const auto short_exchange = bench::compare(vr, floor, [&] { return get_status(handle, &state) == 0; }, rounds, blocks);
    const auto read_144 = bench::compare(vr, floor, [&] { return srd_eeprom(handle, 0, 144, buffer) == 0; }, rounds, blocks);
    ic_exit(handle);
    std::printf("Single exchanges over the pseudo-terminal at 115200 baud, median of %d turns of %d\n", blocks, rounds);
    bench::print("Card-present query (10-byte frame, 6-byte reply)", short_exchange);
    bench::print("144-byte read of the user area (12-byte frame, 149-byte reply)", read_144);
    return short_exchange.failures + read_144.failures ? 1 : 0;
}
