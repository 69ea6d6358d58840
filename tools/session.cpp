#include "tools/session.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "quillet.h"
#include "tools/progress.h"

namespace quillet_tool {

namespace {

constexpr std::array common{
    OptionSpec{"port", "N", "port number: 0..19 serial (0 = COM1, QUILLET_COM1 on Linux), >100 parallel (default 0)"},
    OptionSpec{"baud", "RATE", "serial rate (1200..115200; default QUILLET_BAUD); without one it is looked for"},
    OptionSpec{"device", "PATH", "serial device for the port (sets QUILLET_COM<port+1>)"},
    OptionSpec{"trace", "", "show every frame and library call on stderr (QUILLET_TRACE=1)"},
    OptionSpec{"help", "", "this text"},
};

constexpr long highest_port = 32767;
constexpr int highest_serial_port = 19;

// The device the library opens for a serial port number, as it names it.
std::string device_of(int port) {
    if (port > highest_serial_port) return "parallel port " + std::to_string(port);
    const std::string variable = "QUILLET_COM" + std::to_string(port + 1);
    if (const char* path = std::getenv(variable.c_str()); path && *path) return path;
    return "/dev/ttyS" + std::to_string(port);
}

// Why the library could not open the port: the system's reason, learnt by opening the device here.
[[noreturn]] void cannot_open(const std::string& device, int status) {
    std::string reason = status == QL_PORT_BUSY ? "it is held by another program" : "it is not a usable serial port";
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        reason = std::strerror(errno);
    else
        ::close(fd);
    throw std::runtime_error("cannot open " + device + ": " + reason);
}

bool is_opening_failure(int status) { return status == QL_PORT_ERROR || status == QL_PORT_BUSY; }

int32_t rate_of(const Arguments& args) {
    if (args.has("baud")) return static_cast<int32_t>(args.number("baud", 0, 0, 115200));
    if (const char* text = std::getenv("QUILLET_BAUD"); text && *text)
        return static_cast<int32_t>(parse_number(text, "QUILLET_BAUD", 0, 115200));
    return 0;
}

}  // namespace

void check(int status, const char* call) {
    if (status != 0) throw CallFailed{call, status, {}};
}

std::span<const OptionSpec> common_options() { return common; }

ReaderSession::ReaderSession(const Arguments& args, ReaderFirst ask) {
    port_ = static_cast<int>(args.number("port", 0, 0, highest_port));
    if (const auto device = args.value("device")) {
        if (port_ > highest_serial_port) throw UsageError("--device names a serial port: --port must be 0..19");
        const std::string variable = "QUILLET_COM" + std::to_string(port_ + 1);
        ::setenv(variable.c_str(), device->c_str(), 1);
    }
    device_ = device_of(port_);
    baud_ = rate_of(args);
    if (baud_ == 0) {
        // Up to about 23 s when nothing answers: say what is going on, on a terminal.
        StatusLine line("looking for the reader's rate (chk_baud)");
        baud_ = chk_baud(static_cast<int16_t>(port_));
        if (is_opening_failure(baud_)) cannot_open(device_, baud_);
        if (baud_ == QL_NO_READER) throw std::runtime_error("no reader answers on " + device_ + " at any rate");
        if (baud_ < 0) throw CallFailed{"chk_baud", baud_, {}};
    }
    handle_ = ic_init(static_cast<int16_t>(port_), baud_);
    if (is_opening_failure(handle_)) cannot_open(device_, handle_);
    if (handle_ < 0) throw CallFailed{"ic_init", handle_, {}};
    if (ask == ReaderFirst::yes && !reader_answers())
        throw std::runtime_error("no reader answers on " + device_ + " at " + std::to_string(baud_) + " baud");
}

bool ReaderSession::reader_answers() const {
    int16_t state = 0;
    const int16_t s = get_status0(handle_, &state);
    return s == 0 || s == QL_READER_0x83;
}

ReaderSession::~ReaderSession() {
    if (handle_ >= 0) ic_exit(handle_);
}

}  // namespace quillet_tool
