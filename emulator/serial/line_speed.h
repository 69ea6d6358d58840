// The line speed of a pseudo-terminal, read and set through the master side. Linux keeps one set
// of line settings for the pair, and the master's settings calls reach the slave's; the kernel's
// arbitrary-rate interface reports every rate as a number (28800 included, which has no B-constant).
#pragma once

#include <cstdint>

namespace vreader {

// The output speed the host set on the slave; 0 when it cannot be read.
uint32_t pty_line_speed(int master_fd);

// Raw 8N1 binary at the given rate, so that the slave is usable before a host configures it.
bool set_pty_raw(int master_fd, uint32_t baud);

}  // namespace vreader
