// The frame trace's cost, off and on: the same 144-byte reads in two child processes, one with
// QUILLET_TRACE unset and one tracing to a file, each reporting its CPU and round-trip time per
// exchange. Children, because the library reads QUILLET_TRACE once, on first use: call this
// before the calling process makes its own first library call.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench_reader.h"
#include "quillet.h"

namespace bench {

struct ExchangeCost {
    double cpu_ms = 0;
    double wall_ms = 0;
    int failures = 0;
};

// In a child: port 0 at 115200, rounds reads after one warm-up read.
inline ExchangeCost measure_reads(const char* trace_setting, int rounds) {
    int fds[2];
    ExchangeCost cost;
    if (pipe(fds) != 0) return {0, 0, rounds};
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        if (trace_setting)
            setenv("QUILLET_TRACE", trace_setting, 1);
        else
            unsetenv("QUILLET_TRACE");
        const int32_t handle = ic_init(0, 115200);
        uint8_t buffer[144];
        srd_eeprom(handle, 0, 144, buffer);
        const double cpu_start = thread_cpu_ms();
        const auto wall_start = std::chrono::steady_clock::now();
        for (int i = 0; i < rounds; ++i) cost.failures += srd_eeprom(handle, 0, 144, buffer) != 0;
        cost.wall_ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wall_start).count();
        cost.cpu_ms = thread_cpu_ms() - cpu_start;
        ic_exit(handle);
        _exit(write(fds[1], &cost, sizeof cost) == static_cast<ssize_t>(sizeof cost) ? 0 : 1);
    }
    close(fds[1]);
    if (read(fds[0], &cost, sizeof cost) != static_cast<ssize_t>(sizeof cost)) cost = {0, 0, rounds};
    close(fds[0]);
    waitpid(child, nullptr, 0);
    return cost;
}

// Prints the two side by side; the trace file is removed afterwards.
inline void print_trace_cost(int rounds) {
    char path[] = "/tmp/quillet-trace-bench-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) return;
    close(fd);
    const ExchangeCost off = measure_reads(nullptr, rounds);
    const ExchangeCost on = measure_reads(path, rounds);
    unlink(path);
    std::printf("frame trace, per exchange (%d exchanges each)      off        on (to a file)\n", rounds);
    std::printf("  library CPU time                        %8.3f ms  %8.3f ms\n", off.cpu_ms / rounds,
                on.cpu_ms / rounds);
    std::printf("  round trip (pty)                        %8.3f ms  %8.3f ms\n", off.wall_ms / rounds,
                on.wall_ms / rounds);
    if (off.failures || on.failures) std::printf("  (%d and %d exchanges failed)\n", off.failures, on.failures);
}

}  // namespace bench
