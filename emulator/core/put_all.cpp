#include "emulator/core/put_all.h"

#include <poll.h>

#include <cerrno>

namespace vreader {

bool put_all(int fd, size_t size, int wait_ms, const std::function<ssize_t(size_t done)>& put) {
    size_t done = 0;
    while (done < size) {
        const ssize_t n = put(done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) {
            pollfd p{fd, POLLOUT, 0};
            if (::poll(&p, 1, wait_ms) > 0 && (p.revents & POLLOUT)) continue;
        }
        return false;
    }
    return true;
}

}  // namespace vreader
