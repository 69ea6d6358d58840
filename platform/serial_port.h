// One opened serial port, in the terms the reader link needs: the platform layer (POSIX termios or
// the Windows communications API) is the only code behind it that touches the operating system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace quillet {

struct SerialTimeouts {
    uint32_t read_interval_ms;         // longest gap between two received bytes
    uint32_t read_total_per_byte_ms;   // total read time-out = per byte x bytes asked + constant
    uint32_t read_total_constant_ms;
    uint32_t write_total_per_byte_ms;
    uint32_t write_total_constant_ms;
};

struct SerialSettings {
    uint32_t baud;           // one of the nine reader rates (the opener has already chosen 9600 for others)
    uint32_t buffer_size;    // input and output buffer sizes
    SerialTimeouts timeouts;
};

enum class ReadResult { ok, failed };

class SerialPort {
public:
    virtual ~SerialPort() = default;
    // Writes exactly one byte; false when the write call fails.
    virtual bool write_byte(uint8_t byte) = 0;
    // Waits for the transmit-buffer-empty event.
    virtual bool wait_transmit_empty() = 0;
    // One read call: up to count bytes within the port's read time-outs; got is how many arrived.
    virtual ReadResult read(uint8_t* into, size_t count, size_t& got) = 0;
    // Discards everything pending in both directions (transmit/receive abort and clear).
    virtual bool purge() = 0;
    // Changes only the line speed (the device control block's baud rate).
    virtual bool set_baud(uint32_t baud) = 0;
    // The read and write time-outs in force, and changing them (slow card operations lengthen the
    // read time-outs for one exchange); false when the platform refuses.
    virtual bool get_timeouts(SerialTimeouts& timeouts) = 0;
    virtual bool set_timeouts(const SerialTimeouts& timeouts) = 0;
    virtual bool close() = 0;
};

enum class OpenFailure {
    none,
    busy,    // held by another program
    refused  // no such device, no right to it, not a serial port, or its settings refused
};

struct OpenResult {
    std::unique_ptr<SerialPort> port;
    OpenFailure failure;
};

// Opens port number 0..19 (the caller has already mapped other numbers to 0) with the settings.
OpenResult open_serial_port(int port_number, const SerialSettings& settings);

}  // namespace quillet
