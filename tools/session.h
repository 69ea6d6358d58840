// The reader link of one run of the tool: the port options, the rate search, ic_init and ic_exit.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "tools/arguments.h"

namespace quillet_tool {

// A library call that returned a failure status. Exit status 1, the status named on stderr, with
// what it means for this call (detail, when the caller knows more, replaces the general meaning).
struct CallFailed {
    std::string call;
    int status;
    std::string detail;
};

// Throws CallFailed when status is not 0.
void check(int status, const char* call);

// --port, --baud, --device, --trace and --help: every subcommand takes them.
std::span<const OptionSpec> common_options();

// Whether the session asks for the reader once before the command's own calls, so that a line
// with no reader fails at once with a message that says so.
enum class ReaderFirst { no, yes };

class ReaderSession {
public:
    // Opens the port of --port (0 = COM1 = QUILLET_COM1). --device PATH sets QUILLET_COM<port+1>
    // first. Without --baud the rate is QUILLET_BAUD's, else found with chk_baud. Throws
    // CallFailed, or std::runtime_error naming the device when it cannot be opened or no reader
    // answers.
    explicit ReaderSession(const Arguments& args, ReaderFirst ask = ReaderFirst::no);
    ~ReaderSession();
    ReaderSession(const ReaderSession&) = delete;
    ReaderSession& operator=(const ReaderSession&) = delete;

    int32_t handle() const { return handle_; }
    int port() const { return port_; }
    int32_t baud() const { return baud_; }
    // "/dev/ttyUSB0", or "parallel port N"
    const std::string& device() const { return device_; }
    // True when the reader answers the card-present query (one try).
    bool reader_answers() const;

private:
    int port_ = 0;
    int32_t baud_ = 0;
    int32_t handle_ = -1;
    std::string device_;
};

}  // namespace quillet_tool
