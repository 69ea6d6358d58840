// Port handles: small indexes into a table of opened serial ports, or one of the two fixed values
// that select a parallel link. Serial handles are 1..max_serial_ports, never 6666 or 8888.
//
// The table is the one thing every serial call shares: opening, closing and looking a handle up
// take its lock, only for the moment they touch the table. The exchange itself runs on the port
// it looked up, without the lock, so calls on different handles never wait for each other.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/serial_port.h"

namespace quillet {

inline constexpr int32_t nibble_link_handle = 6666;
inline constexpr int32_t byte_link_handle = 8888;
inline constexpr int32_t max_serial_ports = 64;

enum class LinkKind { serial, nibble, byte };

LinkKind link_kind(int32_t handle);
bool is_parallel(int32_t handle);

// The new handle, or 0 when the table is full (the port is then closed).
int32_t add_serial_port(std::unique_ptr<SerialPort> port);
// The port a handle names, or nullptr. The port stays usable while the caller holds it, even
// should another thread close the handle meanwhile (a caller's error: one exchange at a time on
// a handle).
std::shared_ptr<SerialPort> serial_port(int32_t handle);
// Forgets the handle and closes its port; false when the handle names none or closing failed.
bool close_serial_port(int32_t handle);

}  // namespace quillet
