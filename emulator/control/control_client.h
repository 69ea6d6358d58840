// The control channel's client, built into the program: `quillet-vreader ctl SOCKET COMMAND...`
// sends one command line and prints the answer; without a command it sends every line of its
// standard input in turn. No socat or netcat is needed to drive a running virtual reader.
#pragma once

#include <string>
#include <vector>

namespace vreader {

// Exit status: 0 when every answer was "ok", 1 when one was "err", 2 when the socket cannot be
// reached or the connection ends before an answer is complete.
int run_control_client(const std::string& socket_path, const std::vector<std::string>& command_words);

}  // namespace vreader
