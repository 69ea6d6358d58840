// quillet beep: sounds the reader's buzzer.
#include <array>

#include "quillet.h"
#include "tools/commands.h"
#include "tools/session.h"

namespace quillet_tool {

namespace {

constexpr std::array options{
    OptionSpec{"units", "N", "length in units of 10 ms, 0..255 (default 10)"},
};

int run_beep(const Arguments& args) {
    const auto units = static_cast<int16_t>(args.number("units", 10, 0, 255));
    ReaderSession session(args);
    check(dv_beep(session.handle(), units), "dv_beep");
    return 0;
}

}  // namespace

constexpr Command beep_command{"beep", "", "sound the reader's buzzer", options, run_beep};

}  // namespace quillet_tool
