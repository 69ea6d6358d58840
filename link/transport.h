// Byte transport of command and reply frames over the serial link and the two parallel links.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "core/handles.h"
#include "core/status.h"
#include "link/frame.h"
#include "link/wait.h"
#include "platform/serial_port.h"

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

// What a failed serial reception read and dropped after the reply: how many bytes, the first of them.
struct Discarded {
    size_t count = 0;
    uint8_t first[32] = {};
    size_t kept() const { return count < sizeof first ? count : sizeof first; }
    void add(uint8_t byte) {
        if (count < sizeof first) first[count] = byte;
        ++count;
    }
};

Status serial_send(SerialPort& port, std::span<const uint8_t> bytes);
Status serial_receive(SerialPort& port, Wait wait, Reply& reply, Discarded& discarded);

Status parallel_send(std::span<const uint8_t> bytes);
Status parallel_receive(LinkKind kind, Wait wait, Reply& reply);

}  // namespace quillet
