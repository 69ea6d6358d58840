#include "platform/raw_line.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>

#include <algorithm>
#include <iterator>

// <sys/ioctl.h> clashes with the kernel's termios2 definitions; the call itself is all we need.
extern "C" int ioctl(int fd, unsigned long request, ...);

namespace quillet {

bool set_raw_line(int fd, uint32_t baud, LineReads reads, bool hang_up_on_close) {
    termios2 tio{};
    if (ioctl(fd, TCGETS2, &tio) != 0) return false;
    tio.c_iflag = 0;
    tio.c_oflag = 0;
    tio.c_lflag = 0;
    tio.c_cflag = CS8 | CREAD | CLOCAL | BOTHER | (BOTHER << IBSHIFT) | (hang_up_on_close ? HUPCL : 0u);
    std::fill(std::begin(tio.c_cc), std::end(tio.c_cc), cc_t{0});
    tio.c_cc[VMIN] = reads == LineReads::wait_for_a_byte ? 1 : 0;
    tio.c_ispeed = baud;
    tio.c_ospeed = baud;
    return ioctl(fd, TCSETS2, &tio) == 0;
}

uint32_t line_speed(int fd) {
    termios2 tio{};
    return ioctl(fd, TCGETS2, &tio) == 0 ? tio.c_ospeed : 0;
}

bool is_terminal(int fd) {
    termios2 tio{};
    return ioctl(fd, TCGETS2, &tio) == 0;
}

}  // namespace quillet
