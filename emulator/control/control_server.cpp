#include "emulator/control/control_server.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "emulator/control/socket_io.h"

namespace vreader {

namespace {

inline constexpr size_t max_line = 1 << 22;  // a contents image of a large flash card, in hex
inline constexpr int write_wait_ms = 2000;

// Frees path for a new socket: nothing there, or a socket nobody answers on any more (one a
// reader that ended without cleaning up left behind). A file of another kind, or a socket that a
// running program still listens at, is refused and left as it is.
bool claim_socket_path(const std::string& path, const sockaddr_un& address, std::string& error) {
    struct stat existing{};
    if (::lstat(path.c_str(), &existing) != 0) {
        if (errno == ENOENT) return true;
        error = "control socket " + path + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISSOCK(existing.st_mode)) {
        error = "control socket " + path + ": exists and is not a socket (left as it is)";
        return false;
    }
    // Without blocking: a listener whose queue is full answers EAGAIN, as busy as a running one.
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (probe < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    const bool connected = ::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    const int why = errno;
    const bool answered = connected || why == EAGAIN || why == EINPROGRESS;
    ::close(probe);
    if (answered) {
        error = "control socket " + path + ": another program answers there (a reader already running?)";
        return false;
    }
    if (why != ECONNREFUSED) {
        error = "control socket " + path + ": " + std::strerror(why);
        return false;
    }
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
        error = "control socket " + path + ": cannot remove the stale socket: " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace

std::unique_ptr<ControlServer> ControlServer::open(const std::string& path, std::string& error) {
    const auto address = unix_address(path, error);
    if (!address || !claim_socket_path(path, *address, error)) return nullptr;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return nullptr;
    }
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0) {
        error = "control socket " + path + ": " + std::strerror(errno);
        ::close(fd);
        return nullptr;
    }
    OwnedPath made(path);
    if (::listen(fd, 8) != 0) {
        error = "control socket " + path + ": " + std::strerror(errno);
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<ControlServer>(new ControlServer(fd, std::move(made)));
}

ControlServer::~ControlServer() {
    for (auto& c : clients_) ::close(c.fd);
    ::close(listener_);
    // path_ removes the socket file, unless another reader has put its own there since.
}

std::vector<pollfd> ControlServer::poll_fds() const {
    std::vector<pollfd> fds{{listener_, POLLIN, 0}};
    for (const auto& c : clients_) fds.push_back({c.fd, POLLIN, 0});
    return fds;
}

void ControlServer::service(std::span<const pollfd> fds, const Handler& handler) {
    // Clients first: accepting changes the list that fds was made from.
    std::vector<int> gone;
    for (size_t i = 1; i < fds.size() && i - 1 < clients_.size(); ++i) {
        if (fds[i].revents == 0) continue;
        if (!serve(clients_[i - 1], handler)) gone.push_back(clients_[i - 1].fd);
    }
    std::erase_if(clients_, [&](const Client& c) {
        for (int fd : gone)
            if (fd == c.fd) return ::close(fd), true;
        return false;
    });
    if (!fds.empty() && (fds[0].revents & POLLIN)) accept_clients();
}

void ControlServer::accept_clients() {
    for (;;) {
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) return;
        clients_.push_back({fd, {}});
    }
}

bool ControlServer::serve(Client& client, const Handler& handler) {
    char buffer[4096];
    bool open = true;
    while (open) {
        const ssize_t n = ::recv(client.fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) break;
        if (n <= 0) {
            open = false;  // the lines already received are still answered
            break;
        }
        client.input.append(buffer, static_cast<size_t>(n));
        if (client.input.size() > max_line) return false;  // not a line-based client
    }
    size_t newline;
    while ((newline = client.input.find('\n')) != std::string::npos) {
        const std::string line = client.input.substr(0, newline);
        client.input.erase(0, newline + 1);
        std::string reply;
        for (const auto& l : handler(line)) reply += l + '\n';
        if (!send_all(client.fd, reply, write_wait_ms)) return false;
    }
    return open;
}

}  // namespace vreader
