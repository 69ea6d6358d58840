#include "emulator/control/control_server.h"

#include <fcntl.h>
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

}  // namespace

std::unique_ptr<ControlServer> ControlServer::open(const std::string& path, std::string& error) {
    const auto address = unix_address(path, error);
    if (!address) return nullptr;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return nullptr;
    }
    ::unlink(path.c_str());
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0 || ::listen(fd, 8) != 0) {
        error = "control socket " + path + ": " + std::strerror(errno);
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<ControlServer>(new ControlServer(fd, path));
}

ControlServer::~ControlServer() {
    for (auto& c : clients_) ::close(c.fd);
    ::close(listener_);
    ::unlink(path_.c_str());
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
