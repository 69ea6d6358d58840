#include "tools/code_presenting.h"

#include <cstdio>
#include <string>

#include "tools/session.h"

namespace quillet_tool {

namespace {
constexpr int wrong_code = -0x97;  // the reader's answer to a wrong code
}  // namespace

void present_code(int32_t handle, const CodeFamily& family, CodeTarget target, const uint8_t* code) {
    const int16_t status = family.present(handle, target, code);
    if (status == 0) return;
    if (status != wrong_code) throw CallFailed{family.present_name, status, {}};
    int counter = 0;
    std::string detail = "wrong code";
    if (family.counter(handle, target, &counter) == 0) {
        char text[64];
        if (family.counter_counts_attempts)
            std::snprintf(text, sizeof text, ", %d attempt%s left", counter, counter == 1 ? "" : "s");
        else
            std::snprintf(text, sizeof text, ", attempt counter now 0x%02X", counter);
        detail += text;
    }
    throw CallFailed{family.present_name, status, detail};
}

}  // namespace quillet_tool
