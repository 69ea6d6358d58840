#include "emulator/control/socket_io.h"

#include <sys/socket.h>

#include <cstring>

#include "emulator/core/put_all.h"

namespace vreader {

std::optional<sockaddr_un> unix_address(const std::string& path, std::string& error) {
    sockaddr_un address{};
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        error = "control socket path empty or too long: " + path;
        return std::nullopt;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return address;
}

bool send_all(int fd, std::string_view text, int wait_ms) {
    return put_all(fd, text.size(), wait_ms, [&](size_t done) {
        return ::send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
    });
}

}  // namespace vreader
