// Whole-card transfers of the flash cards over the pseudo-terminal at 115200 baud, each set against
// the time its bytes take on a real wire (bytes on the line x 10 bits / 115200): a full AT45D041
// read with srd_45d041 and with Read_45 (its double reads counted as wire time), a full SSF1101
// write and read. The pseudo-terminal does not pace bytes, so the measured time is the library's
// and the virtual reader's own cost. Prints figures; it is not a test.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "bench_reader.h"
#include "quillet.h"

namespace {

constexpr double baud = 115200.0;
constexpr double bits_per_byte = 10.0;

// Bytes on the line for a transfer of `length` bytes in frames that carry `per_frame` data bytes
// at most and never cross a page: each frame costs `request_overhead` bytes plus its data when it
// carries them (writes), and the reply `reply_overhead` plus its data (reads).
struct Traffic {
    double request_bytes = 0;
    double reply_bytes = 0;
    int frames = 0;
};

Traffic transfer_traffic(int pages, int page_size, int per_frame, bool write, double request_overhead,
                         double reply_overhead, int repeats = 1) {
    Traffic t;
    for (int page = 0; page < pages; ++page) {
        for (int offset = 0; offset < page_size; offset += per_frame) {
            const int n = page_size - offset < per_frame ? page_size - offset : per_frame;
            t.request_bytes += repeats * (request_overhead + (write ? n : 0));
            t.reply_bytes += repeats * (reply_overhead + (write ? 0 : n));
            t.frames += repeats;
        }
    }
    return t;
}

double wire_ms(const Traffic& t) { return (t.request_bytes + t.reply_bytes) * bits_per_byte * 1000.0 / baud; }

bool run(const char* what, const Traffic& t, const std::function<int()>& call) {
    const auto start = std::chrono::steady_clock::now();
    const int status = call();
    const double measured = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const double wire = wire_ms(t);
    std::printf("  %-34s %6d frames  wire %9.1f ms  measured %9.1f ms  = %6.2f%% of the wire time%s\n", what, t.frames,
                wire, measured, 100.0 * measured / wire, status ? "  FAILED" : "");
    if (status) std::printf("    status %d\n", status);
    return status == 0;
}

int32_t open_on(const std::string& pty) {
    setenv("QUILLET_COM1", pty.c_str(), 1);
    return ic_init(0, 115200);
}

}  // namespace

int main(int argc, char** argv) {
    const char* program = argc > 1 ? argv[1] : QUILLET_VREADER_PATH;
    bool all_ok = true;
    std::printf("Whole-card transfers at 115200 baud over the pseudo-terminal (wire = bytes x 10 bits / 115200)\n");

    {
        pid_t reader = -1;
        const std::string pty = bench::start_reader(program, "at45d041", reader);
        const int32_t h = pty.empty() ? -1 : open_on(pty);
        if (h < 0) {
            std::fprintf(stderr, "cannot reach the virtual reader with an AT45D041 card\n");
            return 1;
        }
        constexpr int32_t size = 2048 * 264;
        std::vector<uint8_t> image(size);
        for (int32_t i = 0; i < size; ++i) image[static_cast<size_t>(i)] = static_cast<uint8_t>(i * 7 + i / 264);
        Write_45(h, 0, 0, size, image.data());
        std::vector<uint8_t> back(size);
        // srd_45d041: the card check (4 status frames of 10 bytes, replies of 6), then frames of
        // 12 bytes asking for up to 144, replies of 5 + n.
        Traffic paced = transfer_traffic(2048, 264, 144, false, 12, 5);
        paced.request_bytes += 4 * 10;
        paced.reply_bytes += 4 * 6;
        paced.frames += 4;
        all_ok &= run("AT45D041 read, srd_45d041", paced, [&] { return srd_45d041(h, 0, 0, size, back.data()); });
        all_ok &= back == image;
        // Read_45: every page twice, 12 bytes out and 269 back.
        all_ok &= run("AT45D041 read, Read_45 (double)", transfer_traffic(2048, 264, 264, false, 12, 5, 2),
                      [&] { return Read_45(h, 0, 0, size, back.data()); });
        all_ok &= back == image;
        ic_exit(h);
        bench::stop_reader(reader);
    }
    {
        pid_t reader = -1;
        const std::string pty = bench::start_reader(program, "ssf1101", reader);
        const int32_t h = pty.empty() ? -1 : open_on(pty);
        if (h < 0) {
            std::fprintf(stderr, "cannot reach the virtual reader with an SSF1101 card\n");
            return 1;
        }
        constexpr int32_t size = 512 * 1024;
        std::vector<uint8_t> image(size);
        for (int32_t i = 0; i < size; ++i) image[static_cast<size_t>(i)] = static_cast<uint8_t>(i * 13 + i / 1024);
        // A write piece: announce of 12 bytes and its reply of 5, data frame of n + 2 and its reply of 5.
        all_ok &= run("SSF1101 write, swr_ssf1101", transfer_traffic(512, 1024, 1024, true, 12 + 2, 5 + 5),
                      [&] { return swr_ssf1101(h, 0, 0, size, image.data()); });
        std::vector<uint8_t> back(size);
        all_ok &= run("SSF1101 read, srd_ssf1101", transfer_traffic(512, 1024, 1024, false, 12, 5),
                      [&] { return srd_ssf1101(h, 0, 0, size, back.data()); });
        all_ok &= back == image;
        ic_exit(h);
        bench::stop_reader(reader);
    }
    if (!all_ok) std::printf("a transfer failed or read back other data\n");
    return all_ok ? 0 : 1;
}
