// What the AT88SC153 and AT88SC1608 tests share: the host's side of the mutual authentication.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "quillet.h"
#include "tests/support/card_session.h"

namespace quillet::test {

struct Authentication {
    int16_t status;
    bool card_proved;  // the cryptogram read back is the one the host computed
};

// The host's side of the mutual authentication with the virtual card, through the family's
// configuration read and init_auth: read the attempt counter and cryptogram (configuration
// 32..39), compute with the card's secret seed and the host's Q, send Q and the first output
// block, read the new cryptogram back.
inline Authentication authenticate(decltype(&srdconfig_153) srdconfig, decltype(&init_auth_153) init_auth,
                                   int32_t handle, const uint8_t* seed, const uint8_t* q) {
    uint8_t c[8], out1[8], out2[8], after[8];
    if (int16_t s = srdconfig(handle, 32, 8, c); s != 0) return {s, false};
    SetInit(c, seed, q);
    Authenticate(out1, out2);
    uint8_t data[16];
    std::copy_n(q, 8, data);
    std::copy_n(out1, 8, data + 8);
    const int16_t s = init_auth(handle, 16, data);
    if (srdconfig(handle, 32, 8, after) != 0) return {s, false};
    return {s, after[0] == 0xFF && std::equal(after + 1, after + 8, out2 + 1)};
}

// A session with the card, whose contents image holds the configuration zone from configuration_at.
class CryptoMemorySession : public CardSession {
protected:
    CryptoMemorySession(const std::string& card, size_t configuration_at)
        : CardSession(card), configuration_at_(configuration_at) {}

    uint8_t config_byte(size_t address) { return vr.card_contents().at(configuration_at_ + address); }

private:
    size_t configuration_at_;
};

}  // namespace quillet::test
