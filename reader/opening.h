// Opening and closing the link to the reader, finding its baud rate, switching its rate or
// parallel mode, and identifying it.
#pragma once

#include <cstdint>

#include "core/status.h"

namespace quillet {

// The nine serial rates the reader knows, and their baud codes 1..9 (other values: code 4, 9600).
uint8_t baud_code(int32_t baud);
bool is_reader_rate(int32_t baud);

int32_t open_reader(int16_t port_number, int32_t baud_or_link);       // ic_init
int32_t open_reader_at_rate(int16_t port_number, int32_t baud_or_link);  // auto_init
int32_t find_reader_rate(int16_t port_number);                        // chk_baud
Status close_reader(int32_t handle);                                  // ic_exit
Status switch_reader_link(int32_t handle, int32_t value);             // set_baud
Status send_parallel_mode(int32_t handle, bool byte_mode);           // AA B1 ... M, for Init_45
// Stores the parallel port address, sets the port idle (control 0x24, data 0xFF) and returns the
// link's handle: 8888 for link 1, else 6666. Nothing is sent to the reader.
int32_t select_parallel(int16_t port_number, int32_t link);
// The plain open: like open_reader with the plain settings, asking a parallel reader nothing.
int32_t open_port_plain(int16_t port_number, int32_t baud_or_link);

inline constexpr char library_version[] = "KOV###DRVSFT-V9.40A";

}  // namespace quillet
