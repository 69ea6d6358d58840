#include "reader/handles.h"

#include <array>

namespace quillet {

namespace {
std::array<std::unique_ptr<SerialPort>, max_serial_ports>& table() {
    static std::array<std::unique_ptr<SerialPort>, max_serial_ports> ports;
    return ports;
}
}  // namespace

LinkKind link_kind(int32_t handle) {
    if (handle == nibble_link_handle) return LinkKind::nibble;
    if (handle == byte_link_handle) return LinkKind::byte;
    return LinkKind::serial;
}

bool is_parallel(int32_t handle) { return link_kind(handle) != LinkKind::serial; }

int32_t add_serial_port(std::unique_ptr<SerialPort> port) {
    auto& ports = table();
    for (int32_t i = 0; i < max_serial_ports; ++i) {
        if (!ports[static_cast<size_t>(i)]) {
            ports[static_cast<size_t>(i)] = std::move(port);
            return i + 1;
        }
    }
    port->close();
    return 0;
}

SerialPort* serial_port(int32_t handle) {
    if (handle < 1 || handle > max_serial_ports) return nullptr;
    return table()[static_cast<size_t>(handle - 1)].get();
}

bool close_serial_port(int32_t handle) {
    SerialPort* port = serial_port(handle);
    if (!port) return false;
    const bool closed = port->close();
    table()[static_cast<size_t>(handle - 1)].reset();
    return closed;
}

}  // namespace quillet
