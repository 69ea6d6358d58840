#include "emulator/program/daemon.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "emulator/core/owned_path.h"
#include "emulator/core/put_all.h"
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
    return put_all(fd, text.size(), no_wait,
                   [&](size_t done) { return ::write(fd, text.data() + done, text.size() - done); });
}

void to_null(int fd) {
    const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (null < 0) return;
    ::dup2(null, fd);
    ::close(null);
}

// Whether the file at path is the pid file of a process that has ended (a reader killed without
// a chance to clean up); else error says why it stays: not a plain file (a link planted there),
// no process id in it, or its process still running.
bool is_stale_pid_file(const std::string& path, std::string& error) {
    struct stat seen{};
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 && errno != ELOOP) {
        error = "pid file " + path + ": " + std::strerror(errno) + " (left as it is)";
        return false;
    }
    if (fd < 0 || ::fstat(fd, &seen) != 0 || !S_ISREG(seen.st_mode)) {
        if (fd >= 0) ::close(fd);
        error = "pid file " + path + ": not a plain file (left as it is)";
        return false;
    }
    char text[24] = {};
    const ssize_t n = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    char* end = nullptr;
    errno = 0;
    const long pid = n > 0 ? std::strtol(text, &end, 10) : 0;
    if (pid <= 0 || pid > INT32_MAX || errno != 0 || (*end != '\0' && std::strcmp(end, "\n") != 0)) {
        error = "pid file " + path + ": holds no process id (left as it is)";
        return false;
    }
    if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM) {
        error = "pid file " + path + ": process " + std::to_string(pid) + " is running";
        return false;
    }
    return true;
}

// The pid file made new, so that nothing already at path is overwritten and a link planted there
// is never followed; a stale one is removed first. Owns nothing (and error says why) on failure.
OwnedPath create_pid_file(const std::string& path, const std::string& pid, std::string& error) {
    for (bool retried = false;; retried = true) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd >= 0) {
            OwnedPath made(path);
            const bool written = write_all(fd, pid + "\n");
            if (::close(fd) == 0 && written) return made;
            error = "cannot write the pid file " + path;
            return {};
        }
        if (errno != EEXIST) {
            error = "pid file " + path + ": " + std::strerror(errno);
            return {};
        }
        if (retried || !is_stale_pid_file(path, error)) {
            if (retried) error = "pid file " + path + ": made again by another process while it was replaced";
            return {};
        }
        ::unlink(path.c_str());
    }
}

// The background process: runs the reader and tells the foreground one through `report`.
int serve_in_background(const Options& options, const char* program, int report, const std::string& directory) {
    ::setsid();
    to_null(STDIN_FILENO);
    OwnedPath pid_file;
    const ReadyHandler ready = [&](const std::string& terminal) {
        const std::string pid = std::to_string(::getpid());
        std::string error;
        pid_file = create_pid_file(options.pid_file, pid, error);
        if (!pid_file.owns()) {
            std::fprintf(stderr, "quillet-vreader: %s\n", error.c_str());
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
    pid_file.remove();
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
