// quillet-vreader: a virtual contact card reader on a pseudo-terminal, for developing and testing
// applications without the hardware.
#include <cstdio>

#include "emulator/program/event_loop.h"
#include "emulator/program/options.h"

int main(int argc, char** argv) {
    std::string error;
    const auto options = vreader::parse_options(argc, argv, error);
    if (!options) {
        std::fprintf(stderr, "quillet-vreader: %s\n%s", error.c_str(), vreader::usage_text().c_str());
        return 2;
    }
    if (options->help) {
        std::fputs(vreader::usage_text().c_str(), stdout);
        return 0;
    }
    return vreader::run_vreader(*options);
}
