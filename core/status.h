// The library's status codes: 0 success, minus a reader status byte, or one of the library's own.
#pragma once

#include <cstdint>
#include <string_view>

namespace quillet {

enum class Status : int16_t {
    ok = 0,
    read_failed = -128,
    write_failed = -129,
    reader_0x83 = -131,
    timeout = -132,
    wrong_card = -133,
    value_too_small = -135,
    port_error = -136,
    bad_bcc = -138,
    reply_too_long = -256,  // the library's own codes beyond -255 cannot be a reader status byte
    no_reader = -141,
    not_hex = -141,
    bad_lead = -142,
    bad_length = -143,
    bad_address = -144,
    bad_argument = -257,
    response_too_long = -258,  // a processor card's answer or response passes the bounds the library writes
    port_busy = -149,
    bad_slot = -201,
};

// A reader refusal: reply status byte s (non-zero) becomes -s. The only place that makes one.
constexpr Status reader_status(uint8_t status_byte) { return static_cast<Status>(-int{status_byte}); }

constexpr int16_t code(Status s) { return static_cast<int16_t>(s); }

constexpr bool failed(Status s) { return s != Status::ok; }

// Returns the status of expr from the enclosing function (which returns Status) when it failed.
#define QL_TRY(expr)                                                         \
    do {                                                                     \
        if (::quillet::Status s_ = (expr); ::quillet::failed(s_)) return s_; \
    } while (0)

// Name and meaning for messages in tests and tools; reader refusals get a generic entry.
struct StatusInfo {
    Status status;
    std::string_view name;
    std::string_view meaning;
};
StatusInfo describe(Status s);

}  // namespace quillet
