#include "core/handles.h"

#include <array>
#include <mutex>

namespace quillet {

namespace {

struct HandleTable {
    std::mutex lock;
    std::array<std::shared_ptr<SerialPort>, max_serial_ports> ports;
};

HandleTable& table() {
    static HandleTable handles;
    return handles;
}

bool is_serial_handle(int32_t handle) { return handle >= 1 && handle <= max_serial_ports; }

size_t slot_of(int32_t handle) { return static_cast<size_t>(handle - 1); }

}  // namespace

LinkKind link_kind(int32_t handle) {
    if (handle == nibble_link_handle) return LinkKind::nibble;
    if (handle == byte_link_handle) return LinkKind::byte;
    return LinkKind::serial;
}

bool is_parallel(int32_t handle) { return link_kind(handle) != LinkKind::serial; }

int32_t add_serial_port(std::unique_ptr<SerialPort> port) {
    {
        HandleTable& t = table();
        const std::lock_guard hold(t.lock);
        for (int32_t handle = 1; handle <= max_serial_ports; ++handle) {
            auto& slot = t.ports[slot_of(handle)];
            if (!slot) {
                slot = std::move(port);
                return handle;
            }
        }
    }
    port->close();
    return 0;
}

std::shared_ptr<SerialPort> serial_port(int32_t handle) {
    if (!is_serial_handle(handle)) return nullptr;
    HandleTable& t = table();
    const std::lock_guard hold(t.lock);
    return t.ports[slot_of(handle)];
}

bool close_serial_port(int32_t handle) {
    if (!is_serial_handle(handle)) return false;
    std::shared_ptr<SerialPort> port;
    {
        HandleTable& t = table();
        const std::lock_guard hold(t.lock);
        port = std::move(t.ports[slot_of(handle)]);
    }
    // Closing may wait for the device; the table is free meanwhile.
    return port && port->close();
}

}  // namespace quillet
