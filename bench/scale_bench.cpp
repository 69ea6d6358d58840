// Scale across ports: N application threads, each with its own port and its own virtual reader,
// run 16-byte reads of the reader's serial number for a fixed time, for N = 1, 2, 4, 8. Prints the
// aggregate exchanges per second and its ratio to N x the one-port figure, twice: with the readers
// pacing their replies at the line's byte time (--pace, as on a wire: the threads mostly wait) and
// without (the pseudo-terminal carries bytes at once: every exchange is CPU work of the library and
// of its reader process, so the figure is bounded by the machine's cores). Not a test.
//
//   scale-bench [seconds per N]
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include "quillet.h"
#include "tests/support/virtual_reader_process.h"

using quillet::test::VirtualReaderProcess;

namespace {

struct Run {
    double per_second;
    long failures;
};

Run run_ports(int n, double seconds, bool paced) {
    std::vector<std::unique_ptr<VirtualReaderProcess>> readers;
    std::vector<int32_t> handles;
    for (int i = 0; i < n; ++i) {
        readers.push_back(std::make_unique<VirtualReaderProcess>(
            paced ? std::vector<std::string>{"--rate", "115200", "--pace"} : std::vector<std::string>{"--rate", "115200"}));
        readers.back()->export_port(i);
        handles.push_back(ic_init(static_cast<int16_t>(i), 115200));
        if (handles.back() <= 0) {
            std::fprintf(stderr, "cannot open port %d\n", i);
            std::exit(1);
        }
    }
    std::atomic<bool> stop{false};
    std::atomic<long> exchanges{0};
    std::atomic<long> failures{0};
    std::vector<std::thread> threads;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i)
        threads.emplace_back([&, h = handles[static_cast<size_t>(i)]] {
            uint8_t serial[16];
            long done = 0;
            long failed = 0;
            while (!stop.load(std::memory_order_relaxed)) {
                failed += srd_snr(h, 16, serial) != 0;
                ++done;
            }
            exchanges += done;
            failures += failed;
        });
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    stop = true;
    for (auto& t : threads) t.join();
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    for (int32_t h : handles) ic_exit(h);
    return {static_cast<double>(exchanges) / took, failures};
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
    int status = 0;
    for (bool paced : {true, false}) {
        std::printf("16-byte serial-number reads, one thread and one virtual reader per port, 115200 baud, %s, %.1f s each\n",
                    paced ? "paced at the byte time" : "unpaced (CPU bound)", seconds);
        std::printf("  %5s %14s %12s %10s\n", "ports", "exchanges/s", "per port", "ratio");
        double one = 0;
        for (int n : {1, 2, 4, 8}) {
            const Run r = run_ports(n, seconds, paced);
            if (n == 1) one = r.per_second;
            std::printf("  %5d %14.1f %12.1f %9.2fx%s\n", n, r.per_second, r.per_second / n, r.per_second / (n * one),
                        r.failures ? "  (failures!)" : "");
            if (r.failures) status = 1;
        }
    }
    std::printf("  cores: %u\n", std::thread::hardware_concurrency());
    return status;
}
