#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/trace_sink.h"

namespace quillet {

int open_trace_sink(const char* setting) {
    if (std::strcmp(setting, "1") == 0) return STDERR_FILENO;
    return open(setting, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY, 0600);
}

void write_trace_line(int sink, const char* line, size_t length) {
    while (length > 0) {
        const ssize_t n = write(sink, line, length);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        line += n;
        length -= static_cast<size_t>(n);
    }
}

}  // namespace quillet
