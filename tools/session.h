// The reader link of one run of the tool: the port options, the rate search, ic_init and ic_exit.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "tools/arguments.h"

namespace quillet_tool {

// A library call that returned a failure status. Exit status 1, the status named on stderr.
struct CallFailed {
    std::string call;
    int status;
};

// Throws CallFailed when status is not 0.
void check(int status, const char* call);

// --port, --baud, --device and --help: every subcommand takes them.
std::span<const OptionSpec> common_options();

class ReaderSession {
public:
    // Opens the port of --port (0 = COM1 = QUILLET_COM1). --device PATH sets QUILLET_COM<port+1>
    // first. Without --baud the reader's rate is found with chk_baud. Throws CallFailed.
    explicit ReaderSession(const Arguments& args);
    ~ReaderSession();
    ReaderSession(const ReaderSession&) = delete;
    ReaderSession& operator=(const ReaderSession&) = delete;

    int32_t handle() const { return handle_; }
    int port() const { return port_; }
    int32_t baud() const { return baud_; }

private:
    int port_ = 0;
    int32_t baud_ = 0;
    int32_t handle_ = -1;
};

}  // namespace quillet_tool
