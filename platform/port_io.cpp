// Port I/O backends: direct port access on x86 Linux (ioperm/inb/outb) and on Windows, a null
// backend elsewhere. A backend that cannot get access makes every parallel transfer time out.
#include "platform/port_io.h"

#if defined(__linux__) && (defined(__i386__) || defined(__x86_64__))
#include <sys/io.h>
#define QUILLET_PORT_IO_LINUX 1
#elif defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#define QUILLET_PORT_IO_X86 1
#endif

namespace quillet {

namespace {

#if defined(QUILLET_PORT_IO_X86)
// On Windows NT an I/O instruction in user mode faults unless a port-access driver has given the
// process I/O permission (Windows 9x lets it through). The first access is tried once under a
// vectored exception handler: a process without permission then gets timed-out transfers, as
// with the null backend, instead of a crash.
thread_local bool probing = false;
thread_local bool probe_faulted = false;

constexpr uint8_t in_al_dx = 0xEC;  // `inb %dx, %al`, one byte long

LONG CALLBACK skip_refused_probe(EXCEPTION_POINTERS* e) {
    const auto* at = static_cast<const uint8_t*>(e->ExceptionRecord->ExceptionAddress);
    if (!probing || e->ExceptionRecord->ExceptionCode != EXCEPTION_PRIV_INSTRUCTION || *at != in_al_dx)
        return EXCEPTION_CONTINUE_SEARCH;
    probe_faulted = true;
#if defined(_WIN64)
    e->ContextRecord->Rip += 1;
#else
    e->ContextRecord->Eip += 1;
#endif
    return EXCEPTION_CONTINUE_EXECUTION;
}

bool io_permitted(uint16_t address) {
    void* handler = AddVectoredExceptionHandler(1, skip_refused_probe);
    if (!handler) return false;
    probing = true;
    probe_faulted = false;
    uint8_t value = 0;
    __asm__ volatile("inb %%dx, %%al" : "=a"(value) : "d"(static_cast<uint16_t>(address + 1)) : "memory");
    probing = false;
    RemoveVectoredExceptionHandler(handler);
    (void)value;
    return !probe_faulted;
}
#endif

class NativePortIo final : public PortIo {
public:
    bool acquire(uint16_t address) override {
#if defined(QUILLET_PORT_IO_LINUX)
        granted_ = address <= 0xFFFD && ioperm(address, 3, 1) == 0;
#elif defined(QUILLET_PORT_IO_X86)
        granted_ = io_permitted(address);
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
