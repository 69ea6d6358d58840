#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <climits>
#include <cstring>

#include "platform/trace_sink.h"

namespace quillet {

int open_trace_sink(const char* setting) {
    if (std::strcmp(setting, "1") == 0) return 2;
    return _open(setting, _O_WRONLY | _O_APPEND | _O_CREAT | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}

void write_trace_line(int sink, const char* line, size_t length) {
    while (length > 0) {
        const unsigned chunk = length > INT_MAX ? INT_MAX : static_cast<unsigned>(length);
        const int n = _write(sink, line, chunk);
        if (n <= 0) return;
        line += n;
        length -= static_cast<size_t>(n);
    }
}

}  // namespace quillet
