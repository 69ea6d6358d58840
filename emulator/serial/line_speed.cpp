#include "emulator/serial/line_speed.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>

// <sys/ioctl.h> clashes with the kernel's termios2 definitions; the call itself is all we need.
extern "C" int ioctl(int fd, unsigned long request, ...);

namespace vreader {

uint32_t pty_line_speed(int master_fd) {
    termios2 tio{};
    if (ioctl(master_fd, TCGETS2, &tio) != 0) return 0;
    return tio.c_ospeed;
}

bool set_pty_raw(int master_fd, uint32_t baud) {
    termios2 tio{};
    if (ioctl(master_fd, TCGETS2, &tio) != 0) return false;
    tio.c_iflag = 0;
    tio.c_oflag = 0;
    tio.c_lflag = 0;
    tio.c_cflag = CS8 | CREAD | CLOCAL | BOTHER | (BOTHER << IBSHIFT);
    tio.c_ispeed = baud;
    tio.c_ospeed = baud;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    return ioctl(master_fd, TCSETS2, &tio) == 0;
}

}  // namespace vreader
