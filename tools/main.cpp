// quillet: the jobs people do at a terminal with a card reader, one subcommand each.
// Exit status: 0 done, 1 a library call failed (its status named on stderr) or nothing was
// found, 2 a command line the tool cannot use.
#include <array>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "quillet.h"
#include "tools/commands.h"
#include "tools/failure_text.h"
#include "tools/session.h"

namespace quillet_tool {

namespace {

constexpr int exit_failed = 1;
constexpr int exit_usage = 2;

const std::array<const Command*, 11> command_list{
    &info_command,        &detect_command,  &read_command, &write_command, &present_code_command,
    &change_code_command, &counter_command, &apdu_command, &run_command,   &beep_command,
    &watch_command,
};

void print_options(std::span<const OptionSpec> options) {
    for (const auto& o : options) {
        const std::string left = "--" + std::string(o.name) + (o.placeholder.empty() ? "" : " " + std::string(o.placeholder));
        std::printf("  %-18s %.*s\n", left.c_str(), static_cast<int>(o.help.size()), o.help.data());
    }
}

void print_command_help(const Command& c) {
    std::printf("usage: quillet %.*s [options]%s%.*s\n%.*s\n\noptions:\n", static_cast<int>(c.name.size()), c.name.data(),
                c.operands.empty() ? "" : " ", static_cast<int>(c.operands.size()), c.operands.data(),
                static_cast<int>(c.summary.size()), c.summary.data());
    print_options(c.options);
    print_options(common_options());
}

std::string library_version() {
    uint8_t version[20] = {0};
    lib_ver(version);
    return reinterpret_cast<const char*>(version);
}

void print_version() {
    std::printf("quillet %d.%d (library %s)\n", QUILLET_VERSION_MAJOR, QUILLET_VERSION_MINOR, library_version().c_str());
}

void print_help() {
    std::printf("usage: quillet COMMAND [options]\n"
                "Contact IC card readers through the quillet library (%s).\n\ncommands:\n",
                library_version().c_str());
    for (const Command* command : command_list) {
        const Command& c = *command;
        std::printf("  %-13.*s %.*s\n", static_cast<int>(c.name.size()), c.name.data(), static_cast<int>(c.summary.size()),
                    c.summary.data());
    }
    std::printf("\n`quillet COMMAND --help` shows a command's options. Every command takes --port N (0 = COM1;\n"
                "on Linux the device named by QUILLET_COM1, else /dev/ttyS0), --baud RATE (looked for when\n"
                "left out; QUILLET_BAUD gives a default), --device PATH and --trace (frames and calls on stderr).\n"
                "Exit status: 0 done, 1 a call failed, 2 a bad command line. quillet --version: the versions.\n");
}

const Command* find_command(std::string_view name) {
    for (const Command* command : command_list)
        if (command->name == name) return command;
    return nullptr;
}

int run(int argc, char** argv) {
    const std::vector<std::string> words(argv + 1, argv + argc);
    if (words.empty() || words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
        print_help();
        return words.empty() ? exit_usage : 0;
    }
    if (words[0] == "--version") {
        print_version();
        return 0;
    }
    const Command* command = find_command(words[0]);
    try {
        if (!command) throw UsageError("unknown command '" + words[0] + "' (quillet --help lists them)");
        const Arguments args({words.begin() + 1, words.end()}, command->options, common_options());
        if (args.has("help")) {
            print_command_help(*command);
            return 0;
        }
        // Before the command's first library call: the library reads it once, on first use.
        if (args.has("trace")) ::setenv("QUILLET_TRACE", "1", 1);
        return command->run(args);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "quillet %s: %s\n", words[0].c_str(), e.what());
        return exit_usage;
    } catch (const CallFailed& f) {
        std::fprintf(stderr, "quillet %s: %s\n", words[0].c_str(), failure_text(f).c_str());
        return exit_failed;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quillet %s: %s\n", words[0].c_str(), e.what());
        return exit_failed;
    }
}

}  // namespace

}  // namespace quillet_tool

int main(int argc, char** argv) { return quillet_tool::run(argc, argv); }
