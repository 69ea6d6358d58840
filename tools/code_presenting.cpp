#include "tools/code_presenting.h"

#include <cstdio>
#include <string>

#include "tools/session.h"

namespace quillet_tool {

namespace {
constexpr int wrong_code = -0x97;  // the reader's answer to a wrong code
}  // namespace

void present_code(int32_t handle, const Family& family, const CodeCalls& calls, CodeTarget target,
                  const std::vector<uint8_t>& code) {
    const int16_t status = calls.present(handle, target, static_cast<int16_t>(code.size()), code.data());
    if (status == 0) return;
    if (status != wrong_code) throw CallFailed{calls.present_name, status, {}};
    int counter = 0;
    std::string detail = "wrong code";
    if (calls.counter(handle, target, &counter) == 0) {
        char text[64];
        if (family.raw_counter)
            std::snprintf(text, sizeof text, ", attempt counter now 0x%02X", counter);
        else
            std::snprintf(text, sizeof text, ", %d attempt%s left", counter, counter == 1 ? "" : "s");
        detail += text;
    }
    throw CallFailed{calls.present_name, status, detail};
}

}  // namespace quillet_tool
