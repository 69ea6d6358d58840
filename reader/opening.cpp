#include "reader/opening.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/handles.h"
#include "platform/clock.h"
#include "platform/device_names.h"
#include "platform/port_io.h"
#include "core/process_state.h"
#include "reader/reader_commands.h"
#include "core/trace.h"

namespace quillet {

namespace {

constexpr std::array<int32_t, 9> reader_rates{1200, 2400, 4800, 9600, 19200, 28800, 38400, 57600, 115200};
constexpr std::array<int32_t, 9> search_order{9600, 115200, 38400, 57600, 19200, 28800, 4800, 2400, 1200};
constexpr std::array<int32_t, 5> hunt_order{9600, 115200, 19200, 38400, 57600};

constexpr uint32_t open_buffer_size = 2124;
constexpr uint32_t plain_buffer_size = 1024;

// Which opener is asking: ic_init's settings, or the plain open of chk_baud and auto_init.
enum class Opener { ic_init, plain };

// ic_init's read time-out per byte depends on the requested value, before it is checked.
uint32_t read_total_per_byte(int32_t requested) {
    if (requested == 4800) return 600;
    if (requested == 9600) return 300;
    if (requested <= 22800) return 200;
    return 150;
}

int32_t usable_rate(int32_t requested) { return is_reader_rate(requested) ? requested : 9600; }

// 0..19 open COM1..COM20; any other serial port number opens COM1.
int serial_index(int16_t port_number) { return port_number >= 0 && port_number <= 19 ? port_number : 0; }

int32_t open_serial(int16_t port_number, int32_t requested, Opener opener) {
    SerialSettings settings{};
    settings.baud = static_cast<uint32_t>(usable_rate(requested));
    settings.buffer_size = opener == Opener::ic_init ? open_buffer_size : plain_buffer_size;
    settings.timeouts = {200, opener == Opener::ic_init ? read_total_per_byte(requested) : 200, 0, 0, 200};
    OpenResult opened = open_serial_port(serial_index(port_number), settings);
    if (opened.failure != OpenFailure::none) {
        if (trace::on()) trace::mark(0, serial_device_name(serial_index(port_number)) + " cannot be opened");
        return code(opened.failure == OpenFailure::busy ? Status::port_busy : Status::port_error);
    }
    const int32_t handle = add_serial_port(std::move(opened.port));
    if (handle && trace::on()) trace::port_opened(handle, serial_device_name(serial_index(port_number)), settings.baud);
    return handle ? handle : code(Status::port_error);
}

// The openers' probe: a reader answers when the card-present query succeeds or says 0x83.
Status probe(int32_t handle) {
    uint8_t state = 0;
    return query_card_state(handle, 1, state);
}

bool reader_answers(Status s) { return s == Status::ok || s == Status::reader_0x83; }

int32_t open_parallel_reader(int16_t port_number, int32_t link) {
    const int32_t handle = select_parallel(port_number, link);
    uint8_t version[10] = {};
    const Status identified = read_version(handle, sizeof version, version);
    if (failed(identified) && !reader_answers(probe(handle))) return code(Status::port_error);
    if (!failed(identified) && handle == nibble_link_handle && std::memcmp(version, "KTV4", 4) == 0)
        process_state().extended_reader = true;
    return handle;
}

// Sets the host port's speed; on failure the port is closed.
Status retune(int32_t handle, int32_t baud) {
    const auto port = is_parallel(handle) ? nullptr : serial_port(handle);
    if (port && port->set_baud(static_cast<uint32_t>(baud))) return Status::ok;
    close_reader(handle);
    return Status::port_error;
}

Status probe_after_settling(int32_t handle) {
    delay_ms(100);
    return probe(handle);
}

}  // namespace

int32_t select_parallel(int16_t port_number, int32_t link) {
    const auto address = static_cast<uint16_t>(port_number);
    process_state().parallel_address = address;
    port_io().acquire(address);
    port_io().write(static_cast<uint16_t>(address + 2), 0x24);
    port_io().write(address, 0xFF);
    return link == 1 ? byte_link_handle : nibble_link_handle;
}

uint8_t baud_code(int32_t baud) {
    const auto it = std::find(reader_rates.begin(), reader_rates.end(), baud);
    return it == reader_rates.end() ? 4 : static_cast<uint8_t>(it - reader_rates.begin() + 1);
}

bool is_reader_rate(int32_t baud) {
    return std::find(reader_rates.begin(), reader_rates.end(), baud) != reader_rates.end();
}

int32_t open_port_plain(int16_t port_number, int32_t baud_or_link) {
    if (port_number > 100) return select_parallel(port_number, baud_or_link);
    return open_serial(port_number, baud_or_link, Opener::plain);
}

int32_t open_reader(int16_t port_number, int32_t baud_or_link) {
    if (port_number > 100) return open_parallel_reader(port_number, baud_or_link);
    return open_serial(port_number, baud_or_link, Opener::ic_init);
}

int32_t find_reader_rate(int16_t port_number) {
    if (port_number >= 100) {
        if (reader_answers(probe(select_parallel(port_number, 0)))) return 0;
        delay_ms(2000);
        if (reader_answers(probe(select_parallel(port_number, 1)))) return 1;
        return code(Status::no_reader);
    }
    bool first = true;
    for (int32_t rate : search_order) {
        const int32_t handle = open_serial(port_number, rate, first ? Opener::plain : Opener::ic_init);
        if (handle < 0) return handle;
        const Status s = probe(handle);
        if (s == Status::ok) {
            close_reader(handle);
            return rate;
        }
        if (!first) delay_ms(500);
        close_reader(handle);
        if (s == Status::reader_0x83) return code(s);
        first = false;
    }
    return code(Status::no_reader);
}

int32_t open_reader_at_rate(int16_t port_number, int32_t baud_or_link) {
    const int32_t handle = open_port_plain(port_number, baud_or_link);
    if (handle < 0) return handle;
    if (reader_answers(probe_after_settling(handle))) return handle;

    bool found = false;
    for (int32_t rate : hunt_order) {
        if (Status s = retune(handle, rate); failed(s)) return code(s);
        if (reader_answers(probe_after_settling(handle))) {
            found = true;
            break;
        }
    }
    if (!found) {
        close_reader(handle);
        return code(Status::no_reader);
    }

    switch_reader_link(handle, baud_or_link);
    delay_ms(5);
    if (Status s = retune(handle, usable_rate(baud_or_link)); failed(s)) return code(s);
    const Status s = probe_after_settling(handle);
    if (reader_answers(s)) return handle;
    close_reader(handle);
    return code(s);
}

Status close_reader(int32_t handle) {
    if (is_parallel(handle)) return Status::ok;
    trace::port_closed(handle);
    return close_serial_port(handle) ? Status::ok : Status::port_error;
}

Status switch_reader_link(int32_t handle, int32_t value) {
    uint8_t link = 0;
    QL_TRY(memory_read(handle, reader_address::link_byte, &link, 1));
    uint8_t next;
    if (value == 0)
        next = link & 0x0F;
    else if (value == 1)
        next = link | 0xF0;
    else
        next = static_cast<uint8_t>(baud_code(value) | (link & 0xF0));
    QL_TRY(write_link_byte(handle, next));
    delay_ms(2000);  // the reader restarts its link
    return Status::ok;
}

Status send_parallel_mode(int32_t handle, bool byte_mode) { return write_link_byte(handle, byte_mode ? 0xF0 : 0x0F); }

}  // namespace quillet
