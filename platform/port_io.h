// Byte access to x86 I/O ports, used by the parallel-port links. The data register of a parallel
// port is at its address, the status register at address + 1, the control register at address + 2.
#pragma once

#include <cstdint>

namespace quillet {

class PortIo {
public:
    virtual ~PortIo() = default;
    // Asks for access to the three registers at address; false when the process cannot have it.
    virtual bool acquire(uint16_t address) = 0;
    virtual uint8_t read(uint16_t address) = 0;
    virtual void write(uint16_t address, uint8_t value) = 0;
};

PortIo& port_io();                 // the platform's backend unless a test installed another
void install_port_io(PortIo* io);  // nullptr restores the platform's backend

}  // namespace quillet
