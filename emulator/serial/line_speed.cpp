#include "emulator/serial/line_speed.h"

#include "platform/raw_line.h"

namespace vreader {

uint32_t pty_line_speed(int master_fd) { return quillet::line_speed(master_fd); }

bool set_pty_raw(int master_fd, uint32_t baud) {
    return quillet::set_raw_line(master_fd, baud, quillet::LineReads::wait_for_a_byte);
}

}  // namespace vreader
