// The command line of quillet-vreader.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "emulator/cards/catalog.h"
#include "emulator/core/reader.h"

namespace vreader {

struct Options {
    uint32_t rate = 9600;
    std::optional<std::string> version;
    std::optional<CardSpec> card;
    std::vector<std::pair<int, CardSpec>> sams;  // SAM slot 1..5 and its card
    bool save = false;
    std::string log;      // "" none, "-" stderr, else a file
    EmptyAnswer empty_state = EmptyAnswer::zero;
    std::string control;  // control socket path, "" none
    bool pace = false;    // replies at the real byte time of the rate
    uint32_t latency_ms = 0;  // replies handed to the host every latency_ms (0: at once)
    int com = 1;          // the variable named in the first line: QUILLET_COM<com>
    bool daemon = false;  // run in the background (daemon.h)
    std::string pid_file;  // daemon: where its process id goes ("" : beside its control socket)
    bool help = false;
};

// nullopt and error text on a bad command line.
std::optional<Options> parse_options(int argc, const char* const* argv, std::string& error);
std::string usage_text();

}  // namespace vreader
