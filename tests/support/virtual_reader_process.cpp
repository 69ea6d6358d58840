#include "tests/support/virtual_reader_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

#include "emulator/core/bytes.h"

namespace quillet::test {

namespace {

inline constexpr int start_wait_ms = 10000;
inline constexpr int answer_wait_ms = 10000;
inline constexpr int quit_wait_ms = 3000;

// Reads one line from fd within the time limit; false on time-out or end of input.
bool read_line(int fd, std::string& line, int limit_ms) {
    line.clear();
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limit_ms);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count();
        if (left <= 0) return false;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0) continue;
        char c;
        const ssize_t n = ::read(fd, &c, 1);
        if (n == 1) {
            if (c == '\n') return true;
            line += c;
        } else if (n == 0 || errno != EINTR) {
            return false;
        }
    }
}

bool wait_exit(pid_t pid, int limit_ms, int& status) {
    for (int waited = 0; waited <= limit_ms; waited += 10) {
        if (::waitpid(pid, &status, WNOHANG) == pid) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

bool is_final(const std::string& line) { return line == "ok" || line.rfind("ok ", 0) == 0 || line.rfind("err", 0) == 0; }

std::string ok_text(const std::string& last) { return last.size() > 3 ? last.substr(3) : std::string(); }

}  // namespace

VirtualReaderProcess::VirtualReaderProcess(std::initializer_list<std::string> args) { start(std::vector<std::string>(args)); }

VirtualReaderProcess::VirtualReaderProcess(const std::vector<std::string>& args) { start(args); }

void VirtualReaderProcess::start(const std::vector<std::string>& args) {
    char pattern[] = "/tmp/quillet-vr.XXXXXX";
    if (!::mkdtemp(pattern)) {
        ADD_FAILURE() << "mkdtemp: " << std::strerror(errno);
        return;
    }
    directory_ = pattern;
    const std::string socket_path = directory_ + "/control";

    std::vector<std::string> argv_text{QUILLET_VREADER_PATH, "--control", socket_path};
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argv_text) argv.push_back(a.data());
    argv.push_back(nullptr);

    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "pipe: " << std::strerror(errno);
        return;
    }
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::execv(argv[0], argv.data());
        _exit(127);
    }
    ::close(out[1]);
    std::string first;
    const bool started = pid_ > 0 && read_line(out[0], first, start_wait_ms);
    ::close(out[0]);
    const std::string prefix = "QUILLET_COM1=";
    if (!started || first.rfind(prefix, 0) != 0) {
        ADD_FAILURE() << "quillet-vreader did not start (" << QUILLET_VREADER_PATH << "), first line: '" << first << "'";
        return;
    }
    pty_path_ = first.substr(prefix.size());

    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socket_path.c_str(), sizeof address.sun_path - 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ADD_FAILURE() << "control socket " << socket_path << ": " << std::strerror(errno);
        if (fd >= 0) ::close(fd);
        return;
    }
    control_fd_ = fd;
}

VirtualReaderProcess::~VirtualReaderProcess() {
    stop();
    if (!directory_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(directory_, ignored);
    }
}

bool VirtualReaderProcess::stop() {
    if (pid_ <= 0) return false;
    if (control_fd_ >= 0) {
        static const char quit[] = "quit\n";
        [[maybe_unused]] const auto n = ::send(control_fd_, quit, sizeof quit - 1, MSG_NOSIGNAL);
    }
    int status = 0;
    bool clean = wait_exit(pid_, quit_wait_ms, status) && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (::waitpid(pid_, &status, WNOHANG) == 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
        clean = false;
    }
    if (control_fd_ >= 0) ::close(control_fd_);
    control_fd_ = -1;
    pid_ = -1;
    return clean;
}

bool VirtualReaderProcess::terminate() {
    if (pid_ <= 0) return false;
    ::kill(pid_, SIGTERM);
    int status = 0;
    const bool clean = wait_exit(pid_, quit_wait_ms, status) && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!clean) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
    }
    if (control_fd_ >= 0) ::close(control_fd_);
    control_fd_ = -1;
    pid_ = -1;
    return clean;
}

void VirtualReaderProcess::export_port(int port_number) const {
    ::setenv(("QUILLET_COM" + std::to_string(port_number + 1)).c_str(), pty_path_.c_str(), 1);
}

std::vector<std::string> VirtualReaderProcess::exchange_lines(const std::string& line) {
    if (control_fd_ < 0) return {"err virtual reader not running"};
    const std::string text = line + '\n';
    if (::send(control_fd_, text.data(), text.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(text.size()))
        return {"err control socket closed"};
    std::vector<std::string> lines;
    std::string l;
    while (read_line(control_fd_, l, answer_wait_ms)) {
        lines.push_back(l);
        if (is_final(l)) return lines;
    }
    lines.push_back("err no answer to '" + line + "'");
    return lines;
}

std::string VirtualReaderProcess::command(const std::string& line) {
    std::string joined;
    for (const auto& l : exchange_lines(line)) joined += (joined.empty() ? "" : "\n") + l;
    return joined;
}

std::string VirtualReaderProcess::expect_ok(const std::string& line) {
    const auto lines = exchange_lines(line);
    if (lines.back().rfind("err", 0) == 0) {
        ADD_FAILURE() << "virtual reader: '" << line << "' -> " << lines.back();
        return {};
    }
    return ok_text(lines.back());
}

void VirtualReaderProcess::insert_card(const std::string& family_and_file) { expect_ok("insert " + family_and_file); }
void VirtualReaderProcess::remove_card() { expect_ok("remove"); }

Bytes VirtualReaderProcess::card_contents() { return vreader::from_hex(expect_ok("contents")).value_or(Bytes{}); }

void VirtualReaderProcess::load_card_contents(std::span<const uint8_t> image) { expect_ok("load " + vreader::to_hex(image)); }

Bytes VirtualReaderProcess::read_memory(uint16_t address, size_t count) {
    const auto bytes = vreader::from_hex(expect_ok("mem read " + std::to_string(address) + " " + std::to_string(count)));
    return bytes.value_or(Bytes{});
}

void VirtualReaderProcess::write_memory(uint16_t address, std::span<const uint8_t> bytes) {
    expect_ok("mem write " + std::to_string(address) + " " + vreader::to_hex(bytes));
}

void VirtualReaderProcess::set_version(const std::string& text) { expect_ok("version " + text); }
void VirtualReaderProcess::set_rate(uint32_t baud) { expect_ok("rate " + std::to_string(baud)); }
void VirtualReaderProcess::set_empty_state(const std::string& state) { expect_ok("empty-state " + state); }
void VirtualReaderProcess::set_fault(const std::string& wanted) { expect_ok("fault " + wanted); }
void VirtualReaderProcess::clear_faults() { expect_ok("fault clear"); }
void VirtualReaderProcess::clear_log() { expect_ok("log clear"); }

std::vector<std::string> VirtualReaderProcess::log_lines() {
    auto lines = exchange_lines("log");
    if (lines.back().rfind("err", 0) == 0) ADD_FAILURE() << "virtual reader: log -> " << lines.back();
    lines.pop_back();
    return lines;
}

std::vector<WireFrame> VirtualReaderProcess::frames() {
    std::vector<WireFrame> out;
    for (const auto& line : log_lines()) {
        if (line.size() < 2 || (line[0] != '>' && line[0] != '<')) continue;
        out.push_back({line[0], vreader::from_hex(std::string_view(line).substr(2)).value_or(Bytes{})});
    }
    return out;
}

std::vector<Bytes> VirtualReaderProcess::host_frames() {
    std::vector<Bytes> out;
    for (auto& f : frames())
        if (f.direction == '>') out.push_back(std::move(f.bytes));
    return out;
}

std::vector<int> VirtualReaderProcess::beeps() {
    std::vector<int> units;
    const std::string text = expect_ok("beeps");
    size_t i = 0;
    while (i < text.size()) {
        const size_t end = text.find(' ', i);
        units.push_back(std::atoi(text.substr(i, end - i).c_str()));
        if (end == std::string::npos) break;
        i = end + 1;
    }
    return units;
}

}  // namespace quillet::test
