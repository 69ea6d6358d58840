#include "emulator/program/daemon.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "emulator/program/event_loop.h"

namespace vreader {

namespace {

// A word the shell reads back unchanged: as it is when it holds nothing special, else quoted.
std::string shell_word(const std::string& text) {
    const bool plain = !text.empty() && text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                                               "0123456789/._-+,:@%") == std::string::npos;
    if (plain) return text;
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string export_line(const std::string& name, const std::string& value) {
    return name + "=" + shell_word(value) + "; export " + name + "\n";
}

std::string make_private_directory() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/quillet-vreader.XXXXXX";
    return ::mkdtemp(pattern.data()) ? pattern : std::string();
}

bool write_all(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

void to_null(int fd) {
    const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (null < 0) return;
    ::dup2(null, fd);
    ::close(null);
}

// The background process: runs the reader and tells the foreground one through `report`.
int serve_in_background(const Options& options, const char* program, int report, const std::string& directory) {
    ::setsid();
    to_null(STDIN_FILENO);
    const ReadyHandler ready = [&](const std::string& terminal) {
        const std::string pid = std::to_string(::getpid());
        if (!(std::ofstream(options.pid_file) << pid << '\n')) {
            std::fprintf(stderr, "quillet-vreader: cannot write the pid file %s\n", options.pid_file.c_str());
            return false;
        }
        const std::string lines = export_line("QUILLET_COM" + std::to_string(options.com), terminal) +
                                  export_line("QUILLET_VREADER_CONTROL", options.control) +
                                  export_line("QUILLET_VREADER_PID", pid) + "# stop it: " + program + " ctl " +
                                  shell_word(options.control) + " stop   (or kill " + pid + ")\n";
        const bool told = write_all(report, lines);
        ::close(report);
        // From here on nobody reads the foreground's output: a shell's $(...) waits for its end.
        std::fflush(stdout);
        to_null(STDOUT_FILENO);
        if (options.log != "-") to_null(STDERR_FILENO);
        return told;
    };
    const int status = run_vreader(options, ready);
    std::remove(options.pid_file.c_str());
    if (!directory.empty()) ::rmdir(directory.c_str());
    return status;
}

}  // namespace

int run_daemon(Options options, const char* program) {
    std::string directory;
    if (options.control.empty()) {
        directory = make_private_directory();
        if (directory.empty()) {
            std::fprintf(stderr, "quillet-vreader: cannot make a directory for the control socket: %s\n",
                         std::strerror(errno));
            return 1;
        }
        options.control = directory + "/control";
    }
    if (options.pid_file.empty()) options.pid_file = directory.empty() ? options.control + ".pid" : directory + "/pid";

    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) return 1;
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = ::fork();
    if (child < 0) {
        std::fprintf(stderr, "quillet-vreader: fork: %s\n", std::strerror(errno));
        return 1;
    }
    if (child == 0) {
        ::close(report[0]);
        std::exit(serve_in_background(options, program, report[1], directory));
    }

    ::close(report[1]);
    std::string lines;
    char buffer[512];
    for (;;) {
        const ssize_t n = ::read(report[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        lines.append(buffer, static_cast<size_t>(n));
    }
    ::close(report[0]);
    if (!lines.empty()) {
        std::fputs(lines.c_str(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    // The background process ended before it was ready; it said why on standard error.
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!directory.empty()) ::rmdir(directory.c_str());
    return WIFEXITED(status) && WEXITSTATUS(status) != 0 ? WEXITSTATUS(status) : 1;
}

}  // namespace vreader
