#include "core/trace.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

#include "core/handles.h"
#include "platform/trace_sink.h"

namespace quillet::trace {

namespace detail {
std::atomic<int> state{unread};
}  // namespace detail

namespace {

struct Sink {
    std::mutex lock;  // held while the setting is read and while a line is written
    int fd = -1;
    std::array<std::string, max_serial_ports + 1> port_names;  // by serial handle; empty when unknown
};

Sink& sink() {
    static Sink s;
    return s;
}

void append_time(std::string& line) {
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    char text[32];
    std::snprintf(text, sizeof text, "%.6f ", seconds);
    line += text;
}

void append_port(std::string& line, int32_t handle) {
    if (handle == nibble_link_handle) {
        line += "parallel-nibble";
    } else if (handle == byte_link_handle) {
        line += "parallel-byte";
    } else if (handle > 0 && handle <= max_serial_ports && !sink().port_names[static_cast<size_t>(handle)].empty()) {
        line += sink().port_names[static_cast<size_t>(handle)];
    } else {
        line += "handle " + std::to_string(handle);
    }
}

void append_hex(std::string& line, std::span<const uint8_t> bytes) {
    static constexpr char digits[] = "0123456789ABCDEF";
    for (uint8_t b : bytes) {
        line += ' ';
        line += digits[b >> 4];
        line += digits[b & 0x0F];
    }
}

// The line is finished and written under the lock, so that the port's name is read there too.
template <typename Fill>
void write_line(Fill&& fill) {
    const int saved_errno = errno;
    try {
        std::string line;
        line.reserve(128);
        append_time(line);
        Sink& s = sink();
        std::lock_guard guard(s.lock);
        fill(line);
        line += '\n';
        write_trace_line(s.fd, line.data(), line.size());
    } catch (...) {
        // A line that cannot be made (no memory) is left out.
    }
    errno = saved_errno;
}

// "ok", "timeout", "reader status 0x99"; empty for a result that is not a status (a handle).
std::string status_name(long long result) {
    if (result > 0 || result < INT16_MIN) return {};
    const StatusInfo info = describe(static_cast<Status>(result));
    if (info.status != Status::ok && info.name == "reader_refusal" && result >= -255) {
        char text[32];
        std::snprintf(text, sizeof text, "reader status 0x%02llX", -result);
        return text;
    }
    return std::string(info.name);
}

std::string format_arg(const Arg& a) {
    char text[32];
    if (a.is_pointer && !a.pointer)
        std::snprintf(text, sizeof text, "null");
    else if (a.is_pointer)
        std::snprintf(text, sizeof text, "%p", a.pointer);
    else
        std::snprintf(text, sizeof text, "%lld", a.number);
    return text;
}

}  // namespace

bool detail::start() {
    Sink& s = sink();
    std::lock_guard guard(s.lock);
    if (state.load(std::memory_order_relaxed) == unread) {
        const int saved_errno = errno;
        const char* setting = std::getenv("QUILLET_TRACE");
        const bool wanted = setting && *setting && std::string_view(setting) != "0";
        s.fd = wanted ? open_trace_sink(setting) : -1;
        errno = saved_errno;
        state.store(s.fd >= 0 ? on : off, std::memory_order_release);
    }
    return state.load(std::memory_order_relaxed) == on;
}

void port_opened(int32_t handle, std::string_view device, uint32_t baud) {
    if (!on() || handle <= 0 || handle > max_serial_ports) return;
    write_line([&](std::string& line) {
        sink().port_names[static_cast<size_t>(handle)] = device;
        append_port(line, handle);
        line += " opened at " + std::to_string(baud) + " baud as handle " + std::to_string(handle);
    });
}

void port_closed(int32_t handle) {
    if (!on() || handle <= 0 || handle > max_serial_ports) return;
    write_line([&](std::string& line) {
        append_port(line, handle);
        line += " closed";
        sink().port_names[static_cast<size_t>(handle)].clear();
    });
}

void frame(int32_t handle, char direction, std::span<const uint8_t> bytes) {
    if (!on()) return;
    write_line([&](std::string& line) {
        append_port(line, handle);
        line += ' ';
        line += direction;
        append_hex(line, bytes);
    });
}

void mark(int32_t handle, std::string_view what) {
    if (!on()) return;
    write_line([&](std::string& line) {
        if (handle == 0)
            line += '-';
        else
            append_port(line, handle);
        line += " ! ";
        line += what;
    });
}

void call(const char* function, const char* names, std::initializer_list<Arg> args, long long result) {
    write_line([&](std::string& line) {
        line += "call ";
        line += function;
        line += '(';
        // names is the macro's argument list as written: "handle, offset, length, buffer".
        std::string_view rest(names);
        for (const Arg& a : args) {
            const size_t comma = rest.find(',');
            const std::string_view name = rest.substr(0, comma);
            rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
            if (line.back() != '(') line += ", ";
            line += name.substr(std::min(name.find_first_not_of(' '), name.size()));
            line += '=';
            line += format_arg(a);
        }
        line += ") = " + std::to_string(result);
        if (const auto name = status_name(result); !name.empty()) line += ' ' + name;
    });
}

}  // namespace quillet::trace
