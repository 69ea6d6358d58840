// Where the frame trace's lines go: stderr or a file opened to append.
#pragma once

#include <cstddef>

namespace quillet {

// "1" is stderr; anything else a path, opened to append and created readable and writable by the
// owner only. -1 when the file cannot be opened.
int open_trace_sink(const char* setting);

// Writes the whole line, or gives up quietly at the first failing write call.
void write_trace_line(int sink, const char* line, size_t length);

}  // namespace quillet
