// Slow card operations lengthen the serial port's time-outs for one exchange. While a
// ScopedSerialTimeouts lives, the port behind the handle runs with the given time-outs; the saved
// ones come back when it goes, after a success and after every failure alike, so the port leaves
// the call as it entered it. The parallel links have no such time-outs: nothing changes there.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/serial_port.h"

namespace quillet {

class ScopedSerialTimeouts {
public:
    ScopedSerialTimeouts(int32_t handle, const SerialTimeouts& timeouts);
    ~ScopedSerialTimeouts();
    ScopedSerialTimeouts(const ScopedSerialTimeouts&) = delete;
    ScopedSerialTimeouts& operator=(const ScopedSerialTimeouts&) = delete;

private:
    std::shared_ptr<SerialPort> port_;  // empty: nothing was changed, nothing to put back
    SerialTimeouts saved_{};
};

}  // namespace quillet
