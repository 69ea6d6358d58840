// Byte transport of command and reply frames over the serial link and the two parallel links.
#pragma once

#include <cstdint>
#include <span>

#include "reader/exchange.h"
#include "reader/handles.h"
#include "reader/platform/serial_port.h"

namespace quillet {

namespace limits {
inline constexpr uint32_t serial_first_byte_ms = 2000;
inline constexpr uint32_t parallel_first_byte_ms = 3000;
inline constexpr uint32_t long_first_byte_ms = 8000;
inline constexpr uint32_t serial_later_byte_ms = 200;
inline constexpr uint32_t parallel_step_ms = 800;
// The longest the serial link spends discarding the rest of a failed reply.
inline constexpr uint32_t drain_ms = 2000;
}  // namespace limits

Status serial_send(SerialPort& port, std::span<const uint8_t> bytes);
Status serial_receive(SerialPort& port, Wait wait, Reply& reply);

Status parallel_send(std::span<const uint8_t> bytes);
Status parallel_receive(LinkKind kind, Wait wait, Reply& reply);

}  // namespace quillet
