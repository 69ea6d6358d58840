// Port I/O backends: direct port access on x86 Linux (ioperm/inb/outb) and on Windows, a null
// backend elsewhere. A backend that cannot get access makes every parallel transfer time out.
#include "reader/platform/port_io.h"

#if defined(__linux__) && (defined(__i386__) || defined(__x86_64__))
#include <sys/io.h>
#define QUILLET_PORT_IO_LINUX 1
#elif defined(_WIN32)
#define QUILLET_PORT_IO_X86 1
#endif

namespace quillet {

namespace {

class NativePortIo final : public PortIo {
public:
    bool acquire(uint16_t address) override {
#if defined(QUILLET_PORT_IO_LINUX)
        granted_ = address <= 0xFFFD && ioperm(address, 3, 1) == 0;
#elif defined(QUILLET_PORT_IO_X86)
        (void)address;
        granted_ = true;
#else
        (void)address;
        granted_ = false;
#endif
        return granted_;
    }

    uint8_t read(uint16_t address) override {
        if (!granted_) return 0x7F;  // status bit 7 low and stays low: nothing answers
#if defined(QUILLET_PORT_IO_LINUX)
        return inb(address);
#elif defined(QUILLET_PORT_IO_X86)
        uint8_t value;
        __asm__ volatile("inb %1, %0" : "=a"(value) : "Nd"(address));
        return value;
#else
        (void)address;
        return 0x7F;
#endif
    }

    void write(uint16_t address, uint8_t value) override {
        if (!granted_) return;
#if defined(QUILLET_PORT_IO_LINUX)
        outb(value, address);
#elif defined(QUILLET_PORT_IO_X86)
        __asm__ volatile("outb %0, %1" : : "a"(value), "Nd"(address));
#else
        (void)address;
        (void)value;
#endif
    }

private:
    bool granted_ = false;
};

NativePortIo native;
PortIo* installed = nullptr;

}  // namespace

PortIo& port_io() { return installed ? *installed : native; }

void install_port_io(PortIo* io) { installed = io; }

}  // namespace quillet
