// The Unix-domain socket plumbing the control channel's two ends share: the server
// (control_server.h) and the client of `quillet-vreader ctl` (control_client.h).
#pragma once

#include <sys/un.h>

#include <optional>
#include <string>
#include <string_view>

namespace vreader {

// The socket address of path; nullopt (and error) when the path does not fit one.
std::optional<sockaddr_un> unix_address(const std::string& path, std::string& error);

// Writes all of text to a socket, waiting up to wait_ms at a time while it is full; false when
// the peer is gone or stopped reading.
bool send_all(int fd, std::string_view text, int wait_ms);

}  // namespace vreader
