#include "tools/session.h"

#include <array>
#include <cstdlib>

#include "quillet.h"
#include "tools/progress.h"

namespace quillet_tool {

namespace {

constexpr std::array common{
    OptionSpec{"port", "N", "port number: 0..19 serial (0 = COM1, QUILLET_COM1 on Linux), >100 parallel (default 0)"},
    OptionSpec{"baud", "RATE", "serial rate (1200..115200); without it the reader's rate is looked for"},
    OptionSpec{"device", "PATH", "serial device for the port (sets QUILLET_COM<port+1>)"},
    OptionSpec{"help", "", "this text"},
};

constexpr long highest_port = 32767;

}  // namespace

void check(int status, const char* call) {
    if (status != 0) throw CallFailed{call, status};
}

std::span<const OptionSpec> common_options() { return common; }

ReaderSession::ReaderSession(const Arguments& args) {
    port_ = static_cast<int>(args.number("port", 0, 0, highest_port));
    if (const auto device = args.value("device")) {
        if (port_ > 19) throw UsageError("--device names a serial port: --port must be 0..19");
        const std::string variable = "QUILLET_COM" + std::to_string(port_ + 1);
        ::setenv(variable.c_str(), device->c_str(), 1);
    }
    if (args.has("baud")) {
        baud_ = static_cast<int32_t>(args.number("baud", 0, 0, 115200));
    } else {
        // Up to about 23 s when nothing answers: say what is going on, on a terminal.
        StatusLine line("looking for the reader's rate (chk_baud)");
        baud_ = chk_baud(static_cast<int16_t>(port_));
        if (baud_ < 0) throw CallFailed{"chk_baud", baud_};
    }
    handle_ = ic_init(static_cast<int16_t>(port_), baud_);
    if (handle_ < 0) throw CallFailed{"ic_init", handle_};
}

ReaderSession::~ReaderSession() {
    if (handle_ >= 0) ic_exit(handle_);
}

}  // namespace quillet_tool
