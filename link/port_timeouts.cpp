#include "link/port_timeouts.h"

#include "core/handles.h"

namespace quillet {

ScopedSerialTimeouts::ScopedSerialTimeouts(int32_t handle, const SerialTimeouts& timeouts) {
    auto port = is_parallel(handle) ? nullptr : serial_port(handle);
    // Time-outs that cannot be saved are not changed either: they could not be put back.
    if (!port || !port->get_timeouts(saved_)) return;
    port_ = port;
    port_->set_timeouts(timeouts);  // a port that keeps its own time-outs still works
}

ScopedSerialTimeouts::~ScopedSerialTimeouts() {
    if (port_) port_->set_timeouts(saved_);
}

}  // namespace quillet
