#include "emulator/control/control_client.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>
#include <string_view>

#include "emulator/control/socket_io.h"

namespace vreader {

namespace {

inline constexpr int answer_wait_ms = 30000;  // a delayed reply or a long log still comes back in time
inline constexpr int send_wait_ms = 2000;

// The last line of an answer starts with "ok" or "err"; the lines before it are listings.
bool closes_answer(std::string_view line) {
    const auto word = line.substr(0, line.find(' '));
    return word == "ok" || word == "err";
}

class Connection {
public:
    static std::optional<Connection> open(const std::string& path, std::string& error) {
        const auto address = unix_address(path, error);
        if (!address) return std::nullopt;
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0 || ::connect(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0) {
            error = "cannot reach the control socket " + path + ": " + std::strerror(errno);
            if (fd >= 0) ::close(fd);
            return std::nullopt;
        }
        return Connection(fd);
    }
    Connection(Connection&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    Connection& operator=(Connection&&) = delete;
    ~Connection() {
        if (fd_ >= 0) ::close(fd_);
    }

    // Sends one command and prints its answer; the answer's closing line, or nullopt when the
    // connection broke off first.
    std::optional<std::string> ask(std::string_view command) {
        std::string line(command);
        line += '\n';
        if (!send_all(fd_, line, send_wait_ms)) return std::nullopt;
        for (;;) {
            auto answer = next_line();
            if (!answer) return std::nullopt;
            std::printf("%s\n", answer->c_str());
            if (closes_answer(*answer)) {
                std::fflush(stdout);
                return answer;
            }
        }
    }

private:
    explicit Connection(int fd) : fd_(fd) {}

    std::optional<std::string> next_line() {
        for (;;) {
            const auto newline = input_.find('\n');
            if (newline != std::string::npos) {
                std::string line = input_.substr(0, newline);
                input_.erase(0, newline + 1);
                return line;
            }
            pollfd p{fd_, POLLIN, 0};
            const int ready = ::poll(&p, 1, answer_wait_ms);
            if (ready < 0 && errno == EINTR) continue;
            if (ready <= 0) return std::nullopt;
            char buffer[4096];
            const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return std::nullopt;
            input_.append(buffer, static_cast<size_t>(n));
        }
    }

    int fd_;
    std::string input_;
};

}  // namespace

int run_control_client(const std::string& socket_path, const std::vector<std::string>& command_words) {
    std::string error;
    auto connection = Connection::open(socket_path, error);
    if (!connection) {
        std::fprintf(stderr, "quillet-vreader ctl: %s\n", error.c_str());
        return 2;
    }
    int status = 0;
    const auto run = [&](const std::string& command) {
        const auto answer = connection->ask(command);
        if (!answer) {
            std::fprintf(stderr, "quillet-vreader ctl: no complete answer to '%s'\n", command.c_str());
            return false;
        }
        if (answer->starts_with("err")) status = 1;
        return true;
    };
    if (!command_words.empty()) {
        std::string line;
        for (const auto& word : command_words) line += (line.empty() ? "" : " ") + word;
        if (!run(line)) return 2;
    } else {
        for (std::string line; std::getline(std::cin, line);)
            if (!line.empty() && !run(line)) return 2;
    }
    std::fflush(stdout);
    return status;
}

}  // namespace vreader
