// What every benchmark needs around the library: a quillet-vreader process at 115200 baud and the
// calling thread's CPU time.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace bench {

inline double thread_cpu_ms() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Starts the virtual reader (with a card of the family, or none) and returns its pseudo-terminal,
// read from its first line "QUILLET_COM1=path"; empty when it could not start.
inline std::string start_reader(const char* program, const char* card, pid_t& pid) {
    int fds[2];
    if (pipe(fds) != 0) return {};
    pid = fork();
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        if (card)
            execl(program, program, "--rate", "115200", "--card", card, static_cast<char*>(nullptr));
        else
            execl(program, program, "--rate", "115200", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    FILE* out = fdopen(fds[0], "r");
    char line[256] = {};
    if (!out || !std::fgets(line, sizeof line, out)) return {};
    std::string text(line);
    const auto eq = text.find('=');
    if (eq == std::string::npos) return {};
    text = text.substr(eq + 1);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

inline void stop_reader(pid_t pid) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

}  // namespace bench
