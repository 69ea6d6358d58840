#include "emulator/program/options.h"

#include <algorithm>
#include <string_view>

#include "emulator/serial/adapter_latency.h"

namespace vreader {

std::optional<Options> parse_options(int argc, const char* const* argv, std::string& error) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const auto value = [&]() -> std::optional<std::string_view> {
            if (i + 1 >= argc) {
                error = std::string(arg) + " needs a value";
                return std::nullopt;
            }
            return std::string_view(argv[++i]);
        };
        // An option that takes any text: false when the value is missing.
        const auto text_into = [&](auto& field) {
            const auto v = value();
            if (v) field = std::string(*v);
            return v.has_value();
        };
        // An option that takes a number from lo to hi; `takes` is the error for any other value.
        const auto number_within = [&](uint32_t lo, uint32_t hi, const char* takes) -> std::optional<uint32_t> {
            const auto v = value();
            if (!v) return std::nullopt;
            const auto n = parse_number(*v);
            if (!n || *n < lo || *n > hi) {
                error = takes;
                return std::nullopt;
            }
            return n;
        };
        if (arg == "--help" || arg == "-h") {
            o.help = true;
        } else if (arg == "--save") {
            o.save = true;
        } else if (arg == "--pace") {
            o.pace = true;
        } else if (arg == "--daemon") {
            o.daemon = true;
        } else if (arg == "--pid-file") {
            if (!text_into(o.pid_file)) return std::nullopt;
        } else if (arg == "--com") {
            const auto n = number_within(1, 20, "--com takes 1..20 (QUILLET_COM1 .. QUILLET_COM20)");
            if (!n) return std::nullopt;
            o.com = static_cast<int>(*n);
        } else if (arg == "--rate") {
            const auto v = value();
            if (!v) return std::nullopt;
            const auto baud = parse_number(*v);
            if (!baud || !code_of_baud(*baud)) {
                error = "--rate " + std::string(*v) + ": not a reader rate (1200 2400 4800 9600 19200 28800 38400 57600 115200)";
                return std::nullopt;
            }
            o.rate = *baud;
        } else if (arg == "--latency") {
            const auto ms = number_within(AdapterLatency::shortest_ms, AdapterLatency::longest_ms,
                                          "--latency takes 1..16 (milliseconds between an adapter's hand-overs)");
            if (!ms) return std::nullopt;
            o.latency_ms = *ms;
        } else if (arg == "--version") {
            if (!text_into(o.version)) return std::nullopt;
        } else if (arg == "--card") {
            const auto v = value();
            if (!v) return std::nullopt;
            o.card = parse_card_spec(*v);
            if (!o.card) {
                error = "--card takes FAMILY or FAMILY:FILE";
                return std::nullopt;
            }
        } else if (arg == "--sam") {
            const auto v = value();
            if (!v) return std::nullopt;
            const auto colon = v->find(':');
            const auto slot = parse_number(v->substr(0, colon));
            const auto wanted = colon == std::string_view::npos ? std::nullopt : parse_card_spec(v->substr(colon + 1));
            if (!slot || *slot < 1 || *slot > static_cast<uint32_t>(Reader::sam_slots) || !wanted) {
                error = "--sam takes N:FAMILY or N:FAMILY:FILE, N 1..5";
                return std::nullopt;
            }
            o.sams.emplace_back(static_cast<int>(*slot), *wanted);
        } else if (arg == "--log") {
            if (!text_into(o.log)) return std::nullopt;
        } else if (arg == "--empty-state") {
            const auto v = value();
            if (!v) return std::nullopt;
            const auto e = empty_answer_by_name(*v);
            if (!e) {
                error = "--empty-state takes zero, 86 or 89";
                return std::nullopt;
            }
            o.empty_state = *e;
        } else if (arg == "--control") {
            if (!text_into(o.control)) return std::nullopt;
        } else {
            error = std::string(arg) + ": unknown option";
            return std::nullopt;
        }
    }
    const bool sam_file = std::any_of(o.sams.begin(), o.sams.end(), [](const auto& sam) { return !sam.second.file.empty(); });
    if (o.save && (!o.card || o.card->file.empty()) && !sam_file) {
        error = "--save needs --card FAMILY:FILE (or --sam N:FAMILY:FILE)";
        return std::nullopt;
    }
    if (!o.pid_file.empty() && !o.daemon) {
        error = "--pid-file needs --daemon";
        return std::nullopt;
    }
    return o;
}

std::string usage_text() {
    std::string text =
        "usage: quillet-vreader [options]\n"
        "       quillet-vreader ctl SOCKET [COMMAND...]   (no COMMAND: one command a line from stdin)\n"
        "A virtual contact card reader on a pseudo-terminal. The first line of output names the\n"
        "terminal: QUILLET_COM1=/dev/pts/N (export it, and the library's port 0 opens it).\n"
        "In a script: eval \"$(quillet-vreader --daemon --card sle4442)\" sets QUILLET_COM1,\n"
        "QUILLET_VREADER_CONTROL and QUILLET_VREADER_PID; quillet-vreader ctl \"$QUILLET_VREADER_CONTROL\" stop\n"
        "ends it.\n"
        "\n"
        "  --rate BAUD          initial serial rate (default 9600; 1200 .. 115200)\n"
        "  --version TEXT       the reader's version text\n"
        "  --card FAMILY[:FILE] a card in the slot; FILE holds its contents (binary image)\n"
        "  --sam N:FAMILY[:FILE] a card in SAM slot N (1..5); may be given for each slot\n"
        "  --save               write the card's contents back to FILE on every change and on exit\n"
        "  --log FILE|-         frame log in hex ('>' host to reader, '<' reader to host); '-' stderr\n"
        "  --empty-state S      card-present query on an empty slot: zero (status 0, state 0), 86, 89\n"
        "  --control PATH       control socket (line commands: insert, remove, mem, fault, log, stop...)\n"
        "  --pace               replies at the real byte time of the rate (10 bits a byte)\n"
        "  --latency MS         replies reach the host in bursts every MS ms (1..16), as through a USB\n"
        "                       serial adapter's latency timer\n"
        "  --com N              name the terminal QUILLET_COM<N> (default 1: the library's port 0)\n"
        "  --daemon             run in the background; print shell lines that export the terminal,\n"
        "                       the control socket (one is made if --control is not given) and the pid\n"
        "  --pid-file PATH      with --daemon: write the process id there (default: beside the socket)\n"
        "  --help               this text\n"
        "\ncard families:\n";
    text += "(names in any case; FILE is the card's image: its size follows each family)\n";
    for (const auto& entry : card_catalog())
        text += "  " + std::string(entry.family) + "  " + std::string(entry.description) + "  [" +
                image_size_text(*entry.make()) + "]\n";
    return text;
}

}  // namespace vreader
