// The frame trace, for finding out what went wrong with a reader in the field. Off unless the
// environment variable QUILLET_TRACE is set, and read once, on first use: "1" writes to stderr,
// anything else names a file opened to append (created readable and writable by its owner only).
// One line for each frame on a link ('>' host to reader, '<' reader to host), each mark of the link
// ('!': a time-out, bytes discarded, a retry) and each exported call with its arguments and its
// status; every line starts with a monotonic time in seconds and, for a link, the port.
//
// Lines are written whole, one write call each, under a lock: two threads never interleave them.
// A trace that cannot be written is left unwritten; no call's result depends on it. Off, a call
// pays one atomic load and a branch.
#pragma once

#include <atomic>
#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

#include "core/status.h"

namespace quillet::trace {

namespace detail {
enum : int { unread = 0, off = 1, on = 2 };
extern std::atomic<int> state;
bool start();  // reads QUILLET_TRACE; true when the trace is on
}  // namespace detail

inline bool on() {
    const int s = detail::state.load(std::memory_order_acquire);
    if (s == detail::unread) [[unlikely]]
        return detail::start();
    return s == detail::on;
}

// Names the port behind a handle in the lines that follow ("/dev/ttyUSB0", "COM3").
void port_opened(int32_t handle, std::string_view device, uint32_t baud);
void port_closed(int32_t handle);

// The bytes of one frame, or of what arrived of one; direction '>' or '<'.
void frame(int32_t handle, char direction, std::span<const uint8_t> bytes);
// A mark of the link: "timeout", "discarded 5 bytes: ...", "retry 1". Handle 0: no port known.
void mark(int32_t handle, std::string_view what);

// One argument of an exported call: a number, or a pointer (shown as null or its address).
struct Arg {
    bool is_pointer;
    long long number = 0;
    const void* pointer = nullptr;
    template <std::integral T>
    Arg(T value) : is_pointer(false), number(static_cast<long long>(value)) {}
    Arg(const void* p) : is_pointer(true), pointer(p) {}
};

// "call name(a=1, b=2) = result meaning"; names is the argument names, comma-separated.
void call(const char* function, const char* names, std::initializer_list<Arg> args, long long result);

template <typename Result, typename... A>
Result returned(Result result, const char* function, const char* names, const A&... args) {
    if (on()) [[unlikely]]
        call(function, names, {Arg(args)...}, static_cast<long long>(result));
    return result;
}

template <typename... A>
int16_t returned(Status status, const char* function, const char* names, const A&... args) {
    return returned(code(status), function, names, args...);
}

}  // namespace quillet::trace

// An export's return: the status (or value) it returns, traced with the export's name and the
// arguments named after it.
#define QL_TRACED(result, ...) ::quillet::trace::returned((result), __func__, #__VA_ARGS__, __VA_ARGS__)
