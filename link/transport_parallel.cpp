// The two parallel-port links. The library writes only six values to the control register and
// handshakes on status bit 7; the reader answers whole bytes on the data lines (byte link) or
// two 4-bit halves on status bits 3..6 (nibble link). Byte 0 of a reply is read "hardened":
// triple control writes, waits that need three agreeing reads, triple register reads.
#include "platform/clock.h"
#include "platform/port_io.h"
#include "core/process_state.h"
#include "link/reception.h"
#include "link/transport.h"
#include "wire/reader_protocol.h"

namespace quillet {

namespace control = wire::parallel_control;

namespace {

inline constexpr uint8_t busy_bit = 0x80;
inline constexpr uint8_t nibble_mask = 0x78;

class ParallelPort {
public:
    explicit ParallelPort(bool hardened = false)
        : base_(process_state().parallel_address), repeats_(hardened ? 3 : 1) {}

    void data(uint8_t value) { port_io().write(base_, value); }
    void control(uint8_t value) {
        for (int i = 0; i < repeats_; ++i) port_io().write(static_cast<uint16_t>(base_ + 2), value);
    }
    uint8_t status() { return read_repeated(static_cast<uint16_t>(base_ + 1)); }
    uint8_t data_in() { return read_repeated(base_); }

    // Waits for status bit 7 to show the level; hardened waits need three agreeing reads.
    bool wait_bit7(bool high, uint32_t limit_ms) {
        Deadline limit(limit_ms);
        for (;;) {
            if (shows(high) && (repeats_ == 1 || (shows(high) && shows(high)))) return true;
            if (limit.expired()) return false;
        }
    }

    // A handshake step that did not complete leaves the port idle.
    Status timed_out() {
        port_io().write(static_cast<uint16_t>(base_ + 2), control::idle);
        return Status::timeout;
    }

private:
    bool shows(bool high) {
        return ((port_io().read(static_cast<uint16_t>(base_ + 1)) & busy_bit) != 0) == high;
    }
    uint8_t read_repeated(uint16_t address) {
        uint8_t value = 0;
        for (int i = 0; i < repeats_; ++i) value = port_io().read(address);
        return value;
    }

    uint16_t base_;
    int repeats_;
};

Status send_byte(ParallelPort& port, uint8_t byte) {
    port.control(control::send_idle);
    if (!port.wait_bit7(true, limits::parallel_step_ms)) return port.timed_out();
    port.data(byte);
    port.control(control::send_strobe);
    if (!port.wait_bit7(false, limits::parallel_step_ms)) return port.timed_out();
    port.control(control::send_idle);
    return Status::ok;
}

Status receive_nibble_byte(ParallelPort& port, uint32_t first_limit, uint8_t& byte) {
    port.control(control::nibble_ready);
    if (!port.wait_bit7(true, first_limit)) return port.timed_out();
    const auto low = static_cast<uint8_t>((port.status() & nibble_mask) >> 3);
    port.control(control::idle);
    if (!port.wait_bit7(false, limits::parallel_step_ms)) return port.timed_out();
    port.control(control::nibble_ready);
    if (!port.wait_bit7(true, limits::parallel_step_ms)) return port.timed_out();
    const auto high = static_cast<uint8_t>((port.status() & nibble_mask) << 1);
    port.control(control::idle);
    if (!port.wait_bit7(false, limits::parallel_step_ms)) return port.timed_out();
    byte = static_cast<uint8_t>(high | low);
    return Status::ok;
}

Status receive_whole_byte(ParallelPort& port, uint32_t first_limit, uint8_t& byte) {
    port.control(control::byte_ready);
    if (!port.wait_bit7(true, first_limit)) return port.timed_out();
    byte = port.data_in();
    port.control(control::byte_taken);
    if (!port.wait_bit7(false, limits::parallel_step_ms)) return port.timed_out();
    return Status::ok;
}

}  // namespace

Status parallel_send(std::span<const uint8_t> bytes) {
    ParallelPort port;
    port.control(control::send_idle);
    port.data(0xFF);
    for (uint8_t b : bytes) QL_TRY(send_byte(port, b));
    return Status::ok;
}

Status parallel_receive(LinkKind kind, Wait wait, Reply& reply) {
    delay_ms(1);
    const uint32_t first = wait == Wait::long_ ? limits::long_first_byte_ms : limits::parallel_first_byte_ms;
    return receive_frame(reply, [&](uint8_t& byte, bool is_first) {
        ParallelPort port(is_first);
        const uint32_t limit = is_first ? first : limits::parallel_step_ms;
        return kind == LinkKind::byte ? receive_whole_byte(port, limit, byte) : receive_nibble_byte(port, limit, byte);
    });
}

}  // namespace quillet
