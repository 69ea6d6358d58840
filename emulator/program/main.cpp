// quillet-vreader: a virtual contact card reader on a pseudo-terminal, for developing and testing
// applications without the hardware. `quillet-vreader ctl SOCKET COMMAND...` is the control
// channel's client.
#include <cstdio>
#include <string>
#include <vector>

#include "emulator/control/control_client.h"
#include "emulator/program/daemon.h"
#include "emulator/program/event_loop.h"
#include "emulator/program/options.h"

int main(int argc, char** argv) {
    if (argc >= 2 && std::string(argv[1]) == "ctl") {
        if (argc < 3) {
            std::fputs("usage: quillet-vreader ctl SOCKET [COMMAND...]\n", stderr);
            return 2;
        }
        return vreader::run_control_client(argv[2], std::vector<std::string>(argv + 3, argv + argc));
    }
    std::string error;
    const auto options = vreader::parse_options(argc, argv, error);
    if (!options) {
        std::fprintf(stderr, "quillet-vreader: %s\nsee quillet-vreader --help\n", error.c_str());
        return 2;
    }
    if (options->help) {
        std::fputs(vreader::usage_text().c_str(), stdout);
        return 0;
    }
    if (options->daemon) return vreader::run_daemon(*options, argv[0]);
    return vreader::run_vreader(*options, [&](const std::string& terminal) {
        return vreader::print_terminal(*options, terminal);
    });
}
