// Line settings of a Linux terminal device (a serial port or either side of a pseudo-terminal)
// through the kernel's termios2 interface, which sets any rate as a number (28800 included, which
// has no B-constant). The library's serial port, the virtual reader's pseudo-terminal and the
// tests' host side all set their lines here.
#pragma once

#include <cstdint>

namespace quillet {

enum class LineReads {
    never_block,     // VMIN = VTIME = 0: a read returns what is there at once
    wait_for_a_byte  // VMIN = 1: a blocking read waits for the first byte
};

// Every setting a raw 8N1 binary link depends on, whatever the device's last user left: no
// translation, no hardware (RTS/CTS) or software (XON/XOFF) flow control, the modem lines ignored
// (CLOCAL) so that neither a read nor a write waits for a modem signal; HUPCL drops the modem lines
// on the last close. False when the device is no terminal or refuses.
bool set_raw_line(int fd, uint32_t baud, LineReads reads, bool hang_up_on_close = false);

// The output speed in force; 0 when it cannot be read.
uint32_t line_speed(int fd);

bool is_terminal(int fd);

}  // namespace quillet
