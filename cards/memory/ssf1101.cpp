#include "cards/memory/ssf1101.h"

#include <algorithm>
#include <array>
#include <span>

#include "cards/memory/flash_retries.h"
#include "core/checks.h"
#include "core/chunks.h"
#include "link/port_timeouts.h"

namespace quillet::ssf1101 {

namespace {

using flash_retries::attempt;
using flash_retries::PausedRetries;
using flash_retries::reply_for;

constexpr int status_frames = 4;
constexpr int presence_tries = 3;

// Reads: up to 10 failed sends or receives and 3 refusals of any kind. Writes: up to 4 failed
// sends or receives and 3 busy answers, counted over the announce and data frames of a piece.
constexpr PausedRetries read_retries{10, 3, false};
constexpr PausedRetries write_retries{4, 3, true};

// The card works on the status read and the erase for seconds; the port's read time-outs grow
// for those replies (interval and per-byte time-out, in milliseconds).
constexpr SerialTimeouts status_timeouts{2000, 2000, 0, 0, 200};
constexpr SerialTimeouts erase_timeouts{3000, 3000, 0, 0, 200};

// AA cmd 00 07 6F pageH pageL offH offL nH nL
Frame piece_frame(uint8_t cmd, int page, int offset, int count) {
    Frame f(cmd);
    f.type(card_type)
        .be16(static_cast<uint16_t>(page))
        .be16(static_cast<uint16_t>(offset))
        .be16(static_cast<uint16_t>(count));
    return f;
}

Frame card_frame(uint8_t cmd) {
    Frame f(cmd);
    f.type(card_type).zero(4);
    return f;
}

// 66 data[n] BCC
class DataFrame {
public:
    DataFrame(const uint8_t* data, int n) : size_(static_cast<size_t>(n) + 2) {
        bytes_[0] = data_lead;
        std::copy_n(data, n, bytes_.begin() + 1);
        bytes_[size_ - 1] = bcc(std::span<const uint8_t>(bytes_.data(), size_ - 1));
    }
    std::span<const uint8_t> bytes() const { return {bytes_.data(), size_}; }

private:
    std::array<uint8_t, page_size + 2> bytes_{};
    size_t size_;
};

Status read_piece(int32_t handle, int page, int offset, int n, uint8_t* out) {
    const Frame f = piece_frame(command::read, page, offset, n);
    Reply reply = reply_for(static_cast<size_t>(n));
    QL_TRY(flash_retries::with_pauses(read_retries, [&] { return attempt(handle, f, Wait::block, reply); }));
    return take_data(reply, out, static_cast<size_t>(n));
}

// Every retry starts the piece again at its announce frame.
Status write_piece(int32_t handle, int page, int offset, int n, const uint8_t* data) {
    const Frame announce = piece_frame(command::announce, page, offset, n);
    const DataFrame data_frame(data, n);
    Reply reply;
    return flash_retries::with_pauses(write_retries, [&] {
        const auto announced = attempt(handle, announce, Wait::normal, reply);
        if (failed(announced.status)) return announced;
        return attempt(handle, data_frame.bytes(), Wait::normal, reply);
    });
}

// One exchange of a slow card command on the lengthened time-outs.
Status slow_exchange(int32_t handle, const Frame& f, const SerialTimeouts& timeouts, Reply& reply) {
    const ScopedSerialTimeouts longer(handle, timeouts);
    return exchange(handle, f, Wait::block, reply);
}

Status read_card_status(int32_t handle, uint8_t& status) {
    const Frame f = card_frame(command::card_status);
    Reply reply;
    for (int i = 0; i < status_frames; ++i) QL_TRY(slow_exchange(handle, f, status_timeouts, reply));
    return take_data(reply, &status, 1);
}

}  // namespace

Status read(int32_t handle, int16_t page, int16_t offset, int32_t length, uint8_t* buffer) {
    QL_TRY(first_failure({
        {length >= 1, Status::bad_length},
        {page >= 0 && page < pages && offset >= 0 && offset < page_size, Status::bad_address},
        {length <= (pages - page) * page_size - offset, Status::bad_length},
    }));
    return for_each_page_chunk(page, offset, length, page_size, page_size, [&](int p, int o, int n, int position) {
        return read_piece(handle, p, o, n, buffer + position);
    });
}

Status write(int32_t handle, int16_t page, int16_t offset, int32_t length, const uint8_t* data) {
    QL_TRY(first_failure({
        {page >= 0 && page < pages && offset >= 0 && offset <= page_size, Status::bad_address},
        {length <= (pages - page) * page_size - offset, Status::bad_length},
    }));
    if (length <= 0) return Status::ok;
    int first_page = page;
    int first_offset = offset;
    if (first_offset == page_size) {
        QL_TRY(write_piece(handle, first_page, first_offset, 0, data));
        ++first_page;
        first_offset = 0;
    }
    return for_each_page_chunk(
        first_page, first_offset, length, page_size, page_size,
        [&](int p, int o, int n, int position) { return write_piece(handle, p, o, n, data + position); });
}

Status erase_all(int32_t handle) {
    Reply reply;
    return slow_exchange(handle, card_frame(command::erase_all), erase_timeouts, reply);
}

Status check(int32_t handle) {
    for (int i = 0; i < presence_tries; ++i) {
        uint8_t status = 0;
        QL_TRY(read_card_status(handle, status));
        if (status == card_present) return Status::ok;
    }
    return Status::wrong_card;
}

}  // namespace quillet::ssf1101
