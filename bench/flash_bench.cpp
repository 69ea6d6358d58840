// Whole-card transfers of the flash cards over the pseudo-terminal at 115200 baud, each beside its
// floor (the same bytes, one write and one tcdrain per byte, bench_reader.h) and its wire time (the
// bytes on the line x 10 bits / 115200): a full AT45D041 read with srd_45d041 and with Read_45
// (every page twice), a full SSF1101 write and read.
//
// With --latency MS the virtual reader paces its replies at the line's byte time and hands them
// to the host in bursts every MS ms, as a USB serial adapter does; the full AT45D041 read is then
// timed against its wire time. Prints figures; it is not a test.
//
//   flash-bench [--latency MS]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bench_reader.h"
#include "quillet.h"

namespace {

constexpr int blocks = 5;
constexpr int32_t at45_size = 2048 * 264;
constexpr int32_t ssf_size = 512 * 1024;

std::vector<uint8_t> pattern(int32_t size, int step, int page) {
    std::vector<uint8_t> image(static_cast<size_t>(size));
    for (int32_t i = 0; i < size; ++i) image[static_cast<size_t>(i)] = static_cast<uint8_t>(i * step + i / page);
    return image;
}

// A reader with the card and the library's handle on it, the floor's descriptor opened first.
struct Bench {
    explicit Bench(const std::vector<std::string>& args) : vr(args), floor(vr.pty_path()) {
        vr.export_port(0);
        handle = vr.running() && floor.is_open() ? ic_init(0, 115200) : -1;
    }
    ~Bench() {
        if (handle >= 0) ic_exit(handle);
    }
    bench::VirtualReaderProcess vr;
    bench::FloorHost floor;
    int32_t handle = -1;
};

bool transfer(Bench& b, const char* what, const std::function<bool()>& call) {
    const auto c = bench::compare(b.vr, b.floor, call, 1, blocks);
    bench::print(what, c);
    return c.failures == 0;
}

int whole_cards() {
    bool ok = true;
    std::printf("Whole-card transfers over the pseudo-terminal at 115200 baud, median of %d turns\n", blocks);
    {
        Bench b({"--rate", "115200", "--card", "at45d041"});
        if (b.handle < 0) return 1;
        const auto image = pattern(at45_size, 7, 264);
        ok &= Write_45(b.handle, 0, 0, at45_size, image.data()) == 0;
        std::vector<uint8_t> back(image.size());
        ok &= transfer(b, "AT45D041 read, srd_45d041",
                       [&] { return srd_45d041(b.handle, 0, 0, at45_size, back.data()) == 0 && back == image; });
        ok &= transfer(b, "AT45D041 read, Read_45 (every page twice)",
                       [&] { return Read_45(b.handle, 0, 0, at45_size, back.data()) == 0 && back == image; });
    }
    {
        Bench b({"--rate", "115200", "--card", "ssf1101"});
        if (b.handle < 0) return 1;
        const auto image = pattern(ssf_size, 13, 1024);
        ok &= transfer(b, "SSF1101 write, swr_ssf1101", [&] { return swr_ssf1101(b.handle, 0, 0, ssf_size, image.data()) == 0; });
        std::vector<uint8_t> back(image.size());
        ok &= transfer(b, "SSF1101 read, srd_ssf1101",
                       [&] { return srd_ssf1101(b.handle, 0, 0, ssf_size, back.data()) == 0 && back == image; });
    }
    if (!ok) std::printf("a transfer failed or read back other data\n");
    return ok ? 0 : 1;
}

int behind_adapter(const char* latency) {
    Bench b({"--rate", "115200", "--card", "at45d041", "--pace", "--latency", latency});
    if (b.handle < 0) return 1;
    const auto image = pattern(at45_size, 7, 264);
    std::vector<uint8_t> back(image.size());
    bool ok = Write_45(b.handle, 0, 0, at45_size, image.data()) == 0;
    b.vr.clear_log();
    const auto start = std::chrono::steady_clock::now();
    ok = ok && srd_45d041(b.handle, 0, 0, at45_size, back.data()) == 0 && back == image;
    const double took = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    double bytes = 0;
    size_t frames = 0;
    for (const auto& f : b.vr.frames()) {
        bytes += static_cast<double>(f.bytes.size());
        frames += f.direction == '>';
    }
    const double wire = bench::wire_ms(bytes);
    std::printf("AT45D041 read, srd_45d041, paced at 115200 and handed over every %s ms%s\n", latency, ok ? "" : "  (FAILED)");
    std::printf("  %zu frames  wire %9.1f ms  measured %9.1f ms  = %.3f x the wire time\n", frames, wire, took, took / wire);
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--latency") == 0) return behind_adapter(argv[2]);
    if (argc != 1) {
        std::fprintf(stderr, "usage: flash-bench [--latency MS]\n");
        return 2;
    }
    return whole_cards();
}
