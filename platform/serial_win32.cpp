// The serial port on Windows, through the communications API: the port is opened for reading and
// writing, not shared, as an existing device. Every field of the device control block that the
// link depends on is set, whatever the port's last user left: 8N1 binary bytes, no parity
// checking or replacement, no null stripping, no flow control of any kind (CTS, DSR, DTR, RTS,
// XON/XOFF), DTR and RTS simply on, and no abort on line errors. The read and write time-outs
// are the port's own, so a waiting ReadFile returns when its time-out runs out.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/clock.h"
#include "platform/device_names.h"
#include "platform/serial_port.h"

namespace quillet {

namespace {

constexpr DWORD purge_all = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;

bool set_line_speed(HANDLE h, uint32_t baud) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(h, &dcb)) return false;
    dcb.BaudRate = baud;
    return SetCommState(h, &dcb) != 0;
}

bool apply_line_settings(HANDLE h, uint32_t baud) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(h, &dcb)) return false;
    dcb.BaudRate = baud;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fTXContinueOnXoff = TRUE;
    dcb.fAbortOnError = FALSE;
    return SetCommState(h, &dcb) != 0;
}

bool apply_timeouts(HANDLE h, const SerialTimeouts& t) {
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = t.read_interval_ms;
    timeouts.ReadTotalTimeoutMultiplier = t.read_total_per_byte_ms;
    timeouts.ReadTotalTimeoutConstant = t.read_total_constant_ms;
    timeouts.WriteTotalTimeoutMultiplier = t.write_total_per_byte_ms;
    timeouts.WriteTotalTimeoutConstant = t.write_total_constant_ms;
    return SetCommTimeouts(h, &timeouts) != 0;
}

class Win32SerialPort final : public SerialPort {
public:
    Win32SerialPort(HANDLE h, const SerialTimeouts& timeouts)
        : handle_(h), write_timeout_ms_(timeouts.write_total_per_byte_ms + timeouts.write_total_constant_ms) {}
    ~Win32SerialPort() override { close(); }

    // Success is the call's own result: some drivers (Wine over a pseudo-terminal among them)
    // report 0 bytes written for a byte that does go out.
    bool write_byte(uint8_t byte) override {
        DWORD written = 0;
        return WriteFile(handle_, &byte, 1, &written, nullptr) != 0;
    }

    // The driver's output queue empty, looked at until the write time-out runs out. (A blocking
    // WaitCommEvent would wait without limit for a transmit-empty event that never comes, for
    // instance when the event was taken before the call.) ClearCommError also clears any line
    // error, so that nothing is left holding the port.
    bool wait_transmit_empty() override {
        const Deadline limit(write_timeout_ms_);
        for (;;) {
            DWORD errors = 0;
            COMSTAT state{};
            if (!ClearCommError(handle_, &errors, &state)) return false;
            if (state.cbOutQue == 0) return true;
            if (limit.expired()) return false;
            SwitchToThread();
        }
    }

    ReadResult read(uint8_t* into, size_t count, size_t& got) override {
        got = 0;
        DWORD n = 0;
        if (!ReadFile(handle_, into, static_cast<DWORD>(count), &n, nullptr)) return ReadResult::failed;
        got = n <= count ? n : count;
        return ReadResult::ok;
    }

    bool purge() override {
        DWORD errors = 0;
        ClearCommError(handle_, &errors, nullptr);
        return PurgeComm(handle_, purge_all) != 0;
    }

    bool set_baud(uint32_t baud) override { return set_line_speed(handle_, baud); }

    bool get_timeouts(SerialTimeouts& t) override {
        COMMTIMEOUTS timeouts{};
        if (!GetCommTimeouts(handle_, &timeouts)) return false;
        t = {timeouts.ReadIntervalTimeout, timeouts.ReadTotalTimeoutMultiplier, timeouts.ReadTotalTimeoutConstant,
             timeouts.WriteTotalTimeoutMultiplier, timeouts.WriteTotalTimeoutConstant};
        return true;
    }
    bool set_timeouts(const SerialTimeouts& t) override {
        COMMTIMEOUTS timeouts{t.read_interval_ms, t.read_total_per_byte_ms, t.read_total_constant_ms,
                              t.write_total_per_byte_ms, t.write_total_constant_ms};
        return SetCommTimeouts(handle_, &timeouts) != 0;
    }

    bool close() override {
        if (handle_ == INVALID_HANDLE_VALUE) return true;
        const bool closed = CloseHandle(handle_) != 0;
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE handle_;
    uint32_t write_timeout_ms_;
};

}  // namespace

OpenResult open_serial_port(int port_number, const SerialSettings& settings) {
    const std::string name = windows_device_name(port_number);
    const HANDLE h = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return {nullptr, GetLastError() == ERROR_ACCESS_DENIED ? OpenFailure::busy : OpenFailure::refused};
    auto port = std::make_unique<Win32SerialPort>(h, settings.timeouts);
    SetupComm(h, settings.buffer_size, settings.buffer_size);
    // The transmit-empty mask stays as the port's event mask; the wait itself looks at the queue.
    if (!apply_timeouts(h, settings.timeouts) || !apply_line_settings(h, settings.baud) ||
        !SetCommMask(h, EV_TXEMPTY)) {
        port->close();
        return {nullptr, OpenFailure::refused};
    }
    port->purge();
    return {std::move(port), OpenFailure::none};
}

}  // namespace quillet
