#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>

namespace vreader {

// For a blocking descriptor (a file, a blocking pipe), which is never full: put_all does not wait.
inline constexpr int no_wait = 0;

// Hands all `size` bytes to a descriptor: `put(done)` makes one write or send of the bytes from
// offset `done` on and returns what that call returns. An interrupted call is made again; when
// the descriptor is full, waits up to wait_ms for room. False once the other side is gone or
// stops taking bytes.
bool put_all(int fd, size_t size, int wait_ms, const std::function<ssize_t(size_t done)>& put);

}  // namespace vreader
