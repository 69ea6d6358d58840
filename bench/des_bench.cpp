// Throughput of DES_Encrypt over 8000-byte buffers beside OpenSSL's single-block DES_ecb_encrypt
// on the same data in the same run. DES_Encrypt pays its key schedule on every call; OpenSSL's
// schedule is made once, outside the timing. Prints figures; it is not a test.
#include <openssl/des.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <random>
#include <vector>

#include "quillet.h"

namespace {

constexpr size_t buffer_size = 8000;
constexpr int rounds = 5;
constexpr double seconds_per_round = 0.4;

double cpu_seconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

// Best throughput in MB/s (10^6 bytes a second) of `pass` over rounds of about equal length,
// counted in processor time of this program so that other programs on the machine count less.
template <typename Pass>
double best_mb_per_s(Pass&& pass) {
    double best = 0;
    for (int r = 0; r < rounds; ++r) {
        size_t bytes = 0;
        const double start = cpu_seconds();
        double elapsed = 0;
        do {
            for (int i = 0; i < 64; ++i) pass();
            bytes += 64 * buffer_size;
            elapsed = cpu_seconds() - start;
        } while (elapsed < seconds_per_round);
        best = std::max(best, static_cast<double>(bytes) / elapsed / 1e6);
    }
    return best;
}

}  // namespace

int main() {
    std::mt19937 rng(8000);
    std::vector<uint8_t> in(buffer_size), ours(buffer_size), theirs(buffer_size);
    for (auto& b : in) b = static_cast<uint8_t>(rng());
    uint8_t key[8];
    for (auto& b : key) b = static_cast<uint8_t>(rng());

    DES_cblock openssl_key;
    std::memcpy(openssl_key, key, sizeof key);
    DES_key_schedule schedule;
    DES_set_key_unchecked(&openssl_key, &schedule);

    const auto quillet_pass = [&] { DES_Encrypt(key, 8, in.data(), buffer_size, ours.data()); };
    const auto openssl_pass = [&] {
        for (size_t i = 0; i < buffer_size; i += 8)
            DES_ecb_encrypt(reinterpret_cast<const_DES_cblock*>(in.data() + i),
                            reinterpret_cast<DES_cblock*>(theirs.data() + i), &schedule, DES_ENCRYPT);
    };

    quillet_pass();
    openssl_pass();
    if (ours != theirs) {
        std::printf("DES_Encrypt and DES_ecb_encrypt disagree: no figures\n");
        return 1;
    }

    const double quillet_rate = best_mb_per_s(quillet_pass);
    const double openssl_rate = best_mb_per_s(openssl_pass);
    std::printf("DES ECB encryption of %zu-byte buffers, best of %d rounds of %.1f s of processor time\n", buffer_size,
                rounds, seconds_per_round);
    std::printf("  DES_Encrypt (quillet)      %8.1f MB/s\n", quillet_rate);
    std::printf("  DES_ecb_encrypt (OpenSSL)  %8.1f MB/s\n", openssl_rate);
    std::printf("  ratio quillet / OpenSSL    %8.2f\n", quillet_rate / openssl_rate);
    return 0;
}
